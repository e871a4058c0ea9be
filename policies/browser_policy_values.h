// The Policies sub-key's section for Edge and Chrome: what each checkbox tells each browser,
// under the current user's policy keys the two read.
#pragma once

#include <cstdint>
#include <iterator>

#include "policies/policy_values.h"

namespace corvane {

enum class Browser { Edge, Chrome };

inline constexpr Browser kBrowsers[] = {Browser::Edge, Browser::Chrome};

inline constexpr const char* BrowserPolicyKey(Browser browser) {
    return browser == Browser::Edge ? "Software\\Policies\\Microsoft\\Edge"
                                    : "Software\\Policies\\Google\\Chrome";
}

inline constexpr const char* BrowserName(Browser browser) {
    return browser == Browser::Edge ? "Edge" : "Chrome";
}

// The scheme of each browser's own pages.
inline constexpr const char* BrowserOwnScheme(Browser browser) {
    return browser == Browser::Edge ? "edge" : "chrome";
}

// One checkbox of the section: its stored value, with the page's label.
struct BrowserSwitch {
    const char* name;
    int PolicySettings::*field;
    const char* label;
};

inline constexpr BrowserSwitch kBrowserSwitches[] = {
    {"BrowsersNoDeveloperTools", &PolicySettings::browsersNoDeveloperTools,
     "Turn off Developer Tools"},
    {"BrowsersNoDownloads", &PolicySettings::browsersNoDownloads, "Block all downloads"},
    {"BrowsersNoPrinting", &PolicySettings::browsersNoPrinting, "Turn off printing"},
    {"BrowsersNoPrivateWindows", &PolicySettings::browsersNoPrivateWindows,
     "Turn off InPrivate, Incognito and Guest windows"},
    {"BrowsersNoNewProfiles", &PolicySettings::browsersNoNewProfiles,
     "Do not let the public add profiles"},
    {"BrowsersNoFileDialogs", &PolicySettings::browsersNoFileDialogs,
     "Turn off the file selection dialogs"},
    {"BrowsersNoPasswordManager", &PolicySettings::browsersNoPasswordManager,
     "Turn off the password manager"},
    {"BrowsersBlockOwnPages", &PolicySettings::browsersBlockOwnPages,
     "Block the browsers' own pages (settings, flags, extensions)"},
    {"BrowsersNoEndProcess", &PolicySettings::browsersNoEndProcess,
     "Do not let the browser's Task Manager end processes"},
    {"BrowsersUrlRules", &PolicySettings::browsersUrlRules,
     "Apply the URL rules to Edge and Chrome"},
};

// One number a ticked checkbox writes for one browser (a REG_DWORD, by the browsers' published
// policy names).
struct BrowserPolicyValue {
    int PolicySettings::*field;
    Browser browser;
    const char* name;
    uint32_t data;
};

inline constexpr BrowserPolicyValue kBrowserPolicyValues[] = {
    {&PolicySettings::browsersNoDeveloperTools, Browser::Edge, "DeveloperToolsAvailability", 2},
    {&PolicySettings::browsersNoDeveloperTools, Browser::Chrome, "DeveloperToolsAvailability", 2},
    {&PolicySettings::browsersNoDownloads, Browser::Edge, "DownloadRestrictions", 3},
    {&PolicySettings::browsersNoDownloads, Browser::Chrome, "DownloadRestrictions", 3},
    {&PolicySettings::browsersNoPrinting, Browser::Edge, "PrintingEnabled", 0},
    {&PolicySettings::browsersNoPrinting, Browser::Chrome, "PrintingEnabled", 0},
    {&PolicySettings::browsersNoPrivateWindows, Browser::Edge, "InPrivateModeAvailability", 1},
    {&PolicySettings::browsersNoPrivateWindows, Browser::Chrome, "IncognitoModeAvailability", 1},
    {&PolicySettings::browsersNoPrivateWindows, Browser::Edge, "BrowserGuestModeEnabled", 0},
    {&PolicySettings::browsersNoPrivateWindows, Browser::Chrome, "BrowserGuestModeEnabled", 0},
    {&PolicySettings::browsersNoNewProfiles, Browser::Edge, "BrowserAddProfileEnabled", 0},
    {&PolicySettings::browsersNoNewProfiles, Browser::Chrome, "BrowserAddPersonEnabled", 0},
    {&PolicySettings::browsersNoFileDialogs, Browser::Edge, "AllowFileSelectionDialogs", 0},
    {&PolicySettings::browsersNoFileDialogs, Browser::Chrome, "AllowFileSelectionDialogs", 0},
    {&PolicySettings::browsersNoPasswordManager, Browser::Edge, "PasswordManagerEnabled", 0},
    {&PolicySettings::browsersNoPasswordManager, Browser::Chrome, "PasswordManagerEnabled", 0},
    {&PolicySettings::browsersNoEndProcess, Browser::Edge, "TaskManagerEndProcessEnabled", 0},
    {&PolicySettings::browsersNoEndProcess, Browser::Chrome, "TaskManagerEndProcessEnabled", 0},
};

// The browsers' own pages blocked by BrowsersBlockOwnPages, as "edge://settings" and
// "chrome://settings": where the public could change what the policies cannot reach.
inline constexpr const char* kBrowserOwnPages[] = {
    "settings", "flags", "extensions", "inspect", "net-internals", "policy", "management",
};

// The list sub-keys of each browser's key: values "1", "2", ... of type REG_SZ.
inline constexpr const char* kUrlBlocklist = "URLBlocklist";
inline constexpr const char* kUrlAllowlist = "URLAllowlist";

}  // namespace corvane
