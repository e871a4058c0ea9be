#include "browser/filter/filter_lists.h"

#include <new>

#include "browser/filter/rule_store.h"
#include "platform/constants.h"

namespace lumbrel::filter {

namespace {

constexpr const char* kCaption = "Lumbrel";

}  // namespace

int FilterLists::Load(std::string_view path, const char* what, RuleLines& list, RuleList& rules,
                      bool& fromImage) {
    list = RuleLines();
    rules = RuleList();
    fromImage = false;
    // A list that is there but cannot be had whole stays switched on and refuses everything:
    // a filter that went off here would let through what the administrator listed, and any
    // program of the kiosk's user can hold the file open without sharing.
    const auto refuseAll = [&](const std::string& problem, long error) {
        system_.windows.MessageBox(platform::WindowHandle::Null,
                                   "The " + std::string(what) + " file " + problem + ":\n" +
                                       std::string(path) + "\n\n" +
                                       system_.files.DescribeError(error) +
                                       "\n\nThe filter refuses everything in this window.",
                                   kCaption, platform::mb::kOk | platform::mb::kIconExclamation);
        return 1;
    };
    LoadedList loaded;
    try {
        loaded = LoadRuleList(system_.files, path, imageFolder_);
    } catch (const std::bad_alloc&) {
        return refuseAll("is too large to load", platform::error::kNotEnoughMemory);
    }
    if (loaded.openError == platform::error::kFileNotFound ||
        loaded.openError == platform::error::kPathNotFound) {
        // Not there at all: the administrator named no list, and the filter is off.
        system_.windows.MessageBox(platform::WindowHandle::Null,
                                   "The " + std::string(what) + " file cannot be opened:\n" +
                                       std::string(path) + "\n\n" +
                                       system_.files.DescribeError(loaded.openError),
                                   kCaption, platform::mb::kOk | platform::mb::kIconExclamation);
        return 0;
    }
    if (loaded.openError != 0) {
        return refuseAll("cannot be opened", loaded.openError);
    }
    if (loaded.readError != 0) {
        return refuseAll("could not be read to its end", loaded.readError);
    }
    rules = std::move(loaded.rules);
    list = rules.Lines();
    fromImage = loaded.fromImage;
    return 1;
}

int FilterLists::LoadUrlList(std::string_view path) {
    return Load(path, "URL filter", urlList, urlRules_, urlListFromImage);
}

int FilterLists::LoadContentList(std::string_view path) {
    return Load(path, "content filter", contentList, contentRules_, contentListFromImage);
}

Verdict FilterLists::JudgeUrl(std::string_view address) const {
    // The rules fold case as they compare: a lower-case copy would change no verdict.
    return urlRules_.Evaluate(address);
}

Verdict FilterLists::JudgeContent(std::string_view markup) const {
    return contentRules_.Evaluate(markup);
}

int FilterLists::IsUrlAllowed(std::string_view address) const {
    return JudgeUrl(address).allowed ? 1 : 0;
}

int FilterLists::IsContentAllowed(std::string_view markup) const {
    return JudgeContent(markup).allowed ? 1 : 0;
}

void LoadSwitchedLists(FilterLists& lists, FilterSwitches& switches) {
    if (switches.filterURLs != 0) {
        switches.filterURLs =
            switches.filterURLFile.empty() ? 0 : lists.LoadUrlList(switches.filterURLFile);
    }
    if (switches.filterContent != 0) {
        switches.filterContent =
            switches.contentFile.empty() ? 0 : lists.LoadContentList(switches.contentFile);
    }
}

bool PassesSchemeRule(std::string_view address) {
    for (const std::string_view prefix : {"http://", "https://", "java", "res://", "mms://"}) {
        if (address.substr(0, prefix.size()) == prefix) {
            return true;
        }
    }
    return address == "about:blank";
}

bool CheckNavigation(const FilterLists& lists, std::string_view address, bool filterURLs,
                     bool filterOnlyHTTP) {
    const bool listRefused = filterURLs && lists.IsUrlAllowed(address) == 0;
    const bool schemeRefused = filterOnlyHTTP && !PassesSchemeRule(address);
    return !listRefused && !schemeRefused;
}

}  // namespace lumbrel::filter
