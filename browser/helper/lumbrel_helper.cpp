#include "browser/helper/lumbrel_helper.h"

#include "browser/filter/rule_store.h"
#include "browser/helper/helper_settings.h"
#include "common/event_log.h"
#include "common/managed_settings.h"

namespace lumbrel {

LumbrelHelper::LumbrelHelper(platform::System& system, std::atomic<int32_t>& attachedBrowserCount,
                             MessageDialogs& dialogs)
    : system_(system),
      attachedBrowserCount_(attachedBrowserCount),
      dialogs_(dialogs),
      settings_(HelperDefaults()),
      lists_(system) {}

LumbrelHelper::~LumbrelHelper() {
    Detach();
}

void LumbrelHelper::Attach(BrowserWindow& browser) {
    if (browser_ != nullptr) {
        Detach();
    }
    // Kept first: whatever fails below, this window's navigations are still decided here.
    browser_ = &browser;
    ++attachments_;
    counted_ = false;
    refuseAll_ = false;
    skipNextContentCheck_ = false;
    try {
        AttachTo(browser);
    } catch (...) {
        // A window that could not be set up cannot be trusted to filter: it refuses everything.
        refuseAll_ = true;
        try {
            system_.windows.MessageBox(
                platform::WindowHandle::Null,
                "Lumbrel could not be set up in this window.\n\nIt refuses every address.",
                "Lumbrel", platform::mb::kOk | platform::mb::kIconExclamation);
        } catch (...) {
            // Refusing does not depend on the message.
        }
    }
}

void LumbrelHelper::AttachTo(BrowserWindow& browser) {
    settings_ = HelperDefaults();
    {
        const corvane::ManagedProblemScope reporting(
            [this](const std::string& text) { corvane::EventLog(system_).Warn(text); });
        ReadSettings(system_.registry, settings_);
    }
    filter::FilterSwitches switches{settings_.filterURLs, settings_.filterURLFile,
                                    settings_.filterContent, settings_.contentFile};
    // The lists' compiled images are kept beside the program, where only administrators write.
    lists_.SetImageFolder(filter::ImageFolderOf(ReadProgramPath(system_.registry)));
    filter::LoadSwitchedLists(lists_, switches);
    settings_.filterURLs = switches.filterURLs;
    settings_.filterContent = switches.filterContent;

    // Counting this window reads, in the same step, whether it is the first and whether the
    // page was accepted already: two windows opening at once in two processes (of either
    // build) cannot both skip the page. A window that opens while the page is still unanswered
    // shows its own, and gets the bars with it.
    counted_ = true;
    const int32_t before = attachedBrowserCount_.fetch_add(1);
    const bool first = (before & kWindowCountMask) == 0;
    const bool accepted = (before & kPolicyAcceptedBit) != 0;
    const bool showPage = settings_.policyShow != 0 && (first || !accepted);
    if (!first && !showPage && settings_.barsEveryWindow == 0) {
        return;
    }
    if (showPage) {
        const uint64_t attachment = attachments_;
        const int answer = dialogs_.Show(PolicyRequest(settings_));
        // The page's loop lets the browser call in: one that let go of this helper meanwhile
        // (its window is closing) is not touched again.
        if (attachments_ != attachment) {
            return;
        }
        if (answer == kMessageDeclined) {
            browser.Quit();
        } else if (answer == kMessageAccepted) {
            attachedBrowserCount_.fetch_or(kPolicyAcceptedBit);
        }
    }
    browser.PutAddressBar(settings_.guiAddressBar != 0);
    browser.PutFullScreen(settings_.guiFullScreen != 0);
    browser.PutMenuBar(settings_.guiMenuBar != 0);
    browser.PutStatusBar(settings_.guiStatusBar != 0);
    browser.PutToolBar(settings_.guiToolBar != 0);
}

void LumbrelHelper::Detach() {
    if (browser_ == nullptr) {
        return;
    }
    browser_ = nullptr;
    ++attachments_;
    refuseAll_ = false;
    if (!counted_) {
        return;
    }
    counted_ = false;
    // A count already at 0 was reset by a process that unloaded the server; never go below it.
    // The last window to go takes the acceptance with it: the next first window asks again.
    int32_t word = attachedBrowserCount_.load();
    while ((word & kWindowCountMask) > 0) {
        const int32_t count = (word & kWindowCountMask) - 1;
        const int32_t next = count == 0 ? 0 : (count | (word & kPolicyAcceptedBit));
        if (attachedBrowserCount_.compare_exchange_weak(word, next)) {
            break;
        }
    }
}

bool LumbrelHelper::OnBeforeNavigate(std::string_view address) {
    if (browser_ == nullptr) {
        return false;
    }
    if (refuseAll_) {
        return true;
    }
    if (filter::CheckNavigation(lists_, address, settings_.filterURLs != 0,
                                settings_.filterOnlyHTTP != 0)) {
        return false;
    }
    ShowFilterMessage(settings_.filterURL);
    return true;
}

bool LumbrelHelper::OnFrameNavigate(std::string_view address) {
    if (browser_ == nullptr) {
        return false;
    }
    if (refuseAll_) {
        return true;
    }
    return settings_.filterFrames != 0 &&
           !filter::CheckNavigation(lists_, address, settings_.filterURLs != 0,
                                    settings_.filterOnlyHTTP != 0);
}

bool LumbrelHelper::OnNewWindow(std::string_view address) {
    if (browser_ == nullptr || (settings_.refuseNewWindows == 0 && !refuseAll_)) {
        return false;
    }
    // A window that refuses everything opens nothing anywhere.
    if (!refuseAll_ && !address.empty()) {
        browser_->Navigate(std::string(address));
    }
    return true;
}

void LumbrelHelper::OnDocumentComplete(
    const std::function<std::optional<std::string>()>& bodyMarkup) {
    if (browser_ == nullptr || refuseAll_ || settings_.filterContent == 0) {
        return;
    }
    if (skipNextContentCheck_) {
        skipNextContentCheck_ = false;
        return;
    }
    const std::optional<std::string> markup = bodyMarkup();
    if (!markup || lists_.IsContentAllowed(*markup) != 0) {
        return;
    }
    skipNextContentCheck_ = true;
    browser_->GoBack();
    ShowFilterMessage(settings_.contentURL);
}

void LumbrelHelper::ShowFilterMessage(const std::string& url) {
    if (settings_.filterShow != 0) {
        dialogs_.Show(FilterRequest(settings_, url));
    }
}

}  // namespace lumbrel
