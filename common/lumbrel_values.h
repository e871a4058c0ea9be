// The Lumbrel sub-key: the browser helper's settings, written by the configuration page and
// read by the helper in every browser window.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

#include "common/settings_table.h"

namespace corvane {

inline constexpr const char* kLumbrelKey = "Software\\Vemtrix\\Corvane\\Lumbrel";

// The defaults are the page's: what the configuration program holds before the key was read.
struct LumbrelSettings {
    int policyShow = 0;
    int policyMoveable = 0;
    uint32_t policyHeight = 0;  // pixels; the helper reads them as signed
    uint32_t policyWidth = 0;
    std::string policyURL;
    std::string policyTitle;
    std::string policyAcceptButton;
    std::string policyDeclineButton;
    std::string policyText;
    int filterURLs = 0;
    int filterShow = 0;  // the helper's default is 1
    int filterMoveable = 1;
    int filterOnlyHTTP = 0;
    uint32_t filterHeight = 0;
    uint32_t filterWidth = 0;
    std::string filterURLFile;
    std::string filterURL;
    std::string filterTitle;
    std::string filterButton;
    std::string filterText;
    int filterContent = 0;
    std::string contentURL;
    std::string contentFile;
    int guiAddressBar = 1;
    int guiFullScreen = 0;
    int guiMenuBar = 1;
    int guiStatusBar = 1;
    int guiToolBar = 1;
    // The kiosk's own, off by default so a stored tree without them behaves as before.
    int filterFrames = 0;      // a frame's navigation is judged by the URL rules too
    int barsEveryWindow = 0;   // the bars and full screen in every window, not only the first
    int refuseNewWindows = 0;  // a page's new window opens in its own window instead
};

// The 28 values the tab always had, then the kiosk's own, in the order they are written.
inline constexpr SettingEntry<LumbrelSettings> kLumbrelValues[] = {
    FlagSetting("PolicyShow", &LumbrelSettings::policyShow),
    FlagSetting("PolicyMoveable", &LumbrelSettings::policyMoveable),
    NumberSetting("PolicyHeight", &LumbrelSettings::policyHeight),
    NumberSetting("PolicyWidth", &LumbrelSettings::policyWidth),
    TextSetting("PolicyURL", &LumbrelSettings::policyURL),
    TextSetting("PolicyTitle", &LumbrelSettings::policyTitle),
    TextSetting("PolicyAcceptButton", &LumbrelSettings::policyAcceptButton),
    TextSetting("PolicyDeclineButton", &LumbrelSettings::policyDeclineButton),
    TextSetting("PolicyText", &LumbrelSettings::policyText),
    FlagSetting("FilterURLs", &LumbrelSettings::filterURLs),
    FlagSetting("FilterShow", &LumbrelSettings::filterShow),
    FlagSetting("FilterMoveable", &LumbrelSettings::filterMoveable),
    FlagSetting("FilterOnlyHTTP", &LumbrelSettings::filterOnlyHTTP),
    NumberSetting("FilterHeight", &LumbrelSettings::filterHeight),
    NumberSetting("FilterWidth", &LumbrelSettings::filterWidth),
    TextSetting("FilterURLFile", &LumbrelSettings::filterURLFile),
    TextSetting("FilterURL", &LumbrelSettings::filterURL),
    TextSetting("FilterTitle", &LumbrelSettings::filterTitle),
    TextSetting("FilterButton", &LumbrelSettings::filterButton),
    TextSetting("FilterText", &LumbrelSettings::filterText),
    FlagSetting("FilterContent", &LumbrelSettings::filterContent),
    TextSetting("ContentURL", &LumbrelSettings::contentURL),
    TextSetting("ContentFile", &LumbrelSettings::contentFile),
    FlagSetting("GUIAddressBar", &LumbrelSettings::guiAddressBar),
    FlagSetting("GUIFullScreen", &LumbrelSettings::guiFullScreen),
    FlagSetting("GUIMenuBar", &LumbrelSettings::guiMenuBar),
    FlagSetting("GUIStatusBar", &LumbrelSettings::guiStatusBar),
    FlagSetting("GUIToolBar", &LumbrelSettings::guiToolBar),
    FlagSetting("FilterFrames", &LumbrelSettings::filterFrames),
    FlagSetting("BarsEveryWindow", &LumbrelSettings::barsEveryWindow),
    FlagSetting("RefuseNewWindows", &LumbrelSettings::refuseNewWindows),
};
static_assert(std::size(kLumbrelValues) == 28 + 3);

}  // namespace corvane

namespace corvane {

// The browser helper's identities.
inline constexpr const char* kLumbrelClassId = "{B6457ECA-A63B-4056-9B05-9FC7700AC658}";
inline constexpr const char* kLumbrelAppId = "{F2F70899-E640-451A-B21A-39DD9142208F}";
inline constexpr const char* kLumbrelTypeLibId = "{48CBB618-FA3B-4A8D-95D1-9DD1029C8AEA}";
// Where the browser finds the helpers it loads into every window.
inline constexpr const char* kBrowserHelperObjectsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

}  // namespace corvane
