// The decisions of one browser window's helper: what happens when it attaches to a browser,
// when the browser navigates, and when a page has loaded. The COM object in the browser turns
// the browser's calls and events into these and carries out what they ask of the browser.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "browser/filter/filter_lists.h"
#include "browser/helper/message_request.h"
#include "common/lumbrel_values.h"
#include "platform/system.h"

namespace lumbrel {

// The browser window a helper is attached to, as far as the helper changes it.
class BrowserWindow {
  public:
    virtual ~BrowserWindow() = default;
    virtual void PutAddressBar(bool shown) = 0;
    virtual void PutFullScreen(bool on) = 0;
    virtual void PutMenuBar(bool shown) = 0;
    virtual void PutStatusBar(bool shown) = 0;
    virtual void PutToolBar(bool shown) = 0;
    virtual void Quit() = 0;
    virtual void GoBack() = 0;
    virtual void Navigate(const std::string& address) = 0;
};

// Runs the browser message dialog modally, owned by the thread's active window.
class MessageDialogs {
  public:
    virtual ~MessageDialogs() = default;
    virtual int Show(const MessageRequest& request) = 0;
};

// The one 32-bit word every helper of every browser process shares: the count of attached
// windows, and whether the policy page was accepted since the count was last 0. A window that
// opens while the first window's page waits for its answer shows its own page.
inline constexpr int32_t kPolicyAcceptedBit = 0x40000000;
inline constexpr int32_t kWindowCountMask = kPolicyAcceptedBit - 1;

class LumbrelHelper {
  public:
    // `attachedBrowserCount` is shared by every helper in every browser process.
    LumbrelHelper(platform::System& system, std::atomic<int32_t>& attachedBrowserCount,
                  MessageDialogs& dialogs);
    ~LumbrelHelper();
    LumbrelHelper(const LumbrelHelper&) = delete;
    LumbrelHelper& operator=(const LumbrelHelper&) = delete;

    // Once the browser's events are connected: reads the settings and filter files and, for
    // the only browser window open, shows the policy page and sets the bars. When any of it
    // fails, the window refuses every navigation from then on, and a message says so. The
    // caller keeps `browser` alive until this returns, even if the browser detaches the helper
    // while the page is up (then the window is not touched after the page).
    void Attach(BrowserWindow& browser);
    // Before the events are disconnected. Nothing happens when not attached.
    void Detach();

    // A top-level navigation; true when it must be cancelled.
    bool OnBeforeNavigate(std::string_view address);
    // A navigation inside a frame of the page; true when it must be cancelled. Refused frames
    // stay empty: no message, since the page around them is allowed.
    bool OnFrameNavigate(std::string_view address);
    // A page asks for a new window showing `address`; true when the new window must be
    // cancelled (the address then opens in this window, judged as any navigation is).
    bool OnNewWindow(std::string_view address);
    // A completed top-level page. `bodyMarkup` is asked only when the page is to be checked;
    // no value means the body could not be had and the page goes unchecked.
    void OnDocumentComplete(const std::function<std::optional<std::string>()>& bodyMarkup);

    const corvane::LumbrelSettings& Settings() const { return settings_; }
    const filter::FilterLists& Lists() const { return lists_; }

    // Whether a failed attach left the window refusing everything.
    bool RefusesEverything() const { return refuseAll_; }

  private:
    void AttachTo(BrowserWindow& browser);
    void ShowFilterMessage(const std::string& url);

    platform::System& system_;
    std::atomic<int32_t>& attachedBrowserCount_;
    MessageDialogs& dialogs_;
    BrowserWindow* browser_ = nullptr;
    uint64_t attachments_ = 0;  // each attach and detach: tells a page's caller it was left
    bool counted_ = false;      // in the shared count of attached windows
    bool refuseAll_ = false;    // the attach failed: every navigation is refused
    bool skipNextContentCheck_ = false;
    corvane::LumbrelSettings settings_;
    filter::FilterLists lists_;
};

}  // namespace lumbrel
