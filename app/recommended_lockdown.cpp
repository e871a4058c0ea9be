#include "app/recommended_lockdown.h"

#include <cstring>
#include <iterator>

#include "common/root_values.h"
#include "common/settings_store.h"
#include "policies/browser_policy_values.h"
#include "policies/policies.h"

namespace corvane {

namespace {

using T = LockdownTab;

constexpr LockdownItem kItems[] = {
    // Hide GUI: the shell, the administrator's way back in, and the keys and clicks that lead out.
    // Not the Ctrl and Alt keys as a whole: they would hold back AltGr, which some keyboards
    // need for the characters of the administrator's password.
    {T::HideGui, "EnableOverrides", "Enable Override Keys"},
    {T::HideGui, "HideDesktop", "Hide Desktop"},
    {T::HideGui, "HideTaskbar", "Hide Taskbar"},
    {T::HideGui, "HideStartButton", "Hide Start Button"},
    {T::HideGui, "HideTaskTray", "Hide Task Tray"},
    {T::HideGui, "DisableRightClick", "Disable Right Click"},
    {T::HideGui, "DisableShiftLeftClick", "Disable Shift Left Click"},
    {T::HideGui, "DisableWindowsKey", "Disable Windows Key"},
    {T::HideGui, "DisableApplicationsKey", "Disable Applications Key"},
    {T::HideGui, "DisableCtrlEsc", "Disable Ctrl Esc"},
    {T::HideGui, "DisableShiftEnter", "Disable Shift Enter"},
    {T::HideGui, "DisableTaskSwitching", "Disable Task Switching"},
    {T::HideGui, "DisableAltSpace", "Disable Alt Space"},
    {T::HideGui, "DisableSleepKey", "Disable Sleep Key"},
    {T::HideGui, "DisableBrowserSearchKey", "Disable Browser Search Key"},
    {T::HideGui, "DisableBrowserFavoritesKey", "Disable Browser Favorites Key"},
    {T::HideGui, "DisableLaunchMailKey", "Disable Launch Mail Key"},
    {T::HideGui, "DisableLaunchMediaKey", "Disable Launch Media Key"},
    {T::HideGui, "DisableLaunchApp1Key", "Disable Launch App 1 Key"},
    {T::HideGui, "DisableLaunchApp2Key", "Disable Launch App 2 Key"},
    {T::HideGui, "DisableHelpKey", "Disable F1 (Help)"},
    {T::HideGui, "DisableMenuKeys", "Disable F10 and Alt alone (Menu Bar)"},
    {T::HideGui, "DisableShiftF10", "Disable Shift F10 (Context Menu)"},
    {T::HideGui, "DisableFullScreenKey", "Disable F11 (Full Screen)"},
    {T::HideGui, "DisablePrintScreenKey", "Disable Print Screen"},
    {T::HideGui, "DisableMiddleClick", "Disable Middle Click"},
    {T::HideGui, "DisableCtrlClick", "Disable Ctrl Click"},
    {T::HideGui, "DisableAccessibilityKeys", "Disable Accessibility Hot Keys"},
    {T::HideGui, "DisableDevToolsKey", "Disable F12 and Ctrl Shift I (Developer Tools)"},
    {T::HideGui, "DisableBrowserShortcuts",
     "Disable Ctrl O, N, P, S, L, W, Ctrl F4 and Alt F4 (Browser Shortcuts)"},
    {T::HideGui, "KeepUserModeRunning", "Start User Mode Again When It Is Ended"},
    // Policies: the browser's menus and dialogs that open the machine, and the system's screens.
    {T::Policies, "NoRun", "Disable access to Files in Internet Explorer"},
    {T::Policies, "NoBrowserOptions", "Disable Internet Options menu item"},
    {T::Policies, "NoBrowserContextMenu", "Disable right-click context menu"},
    {T::Policies, "NoBrowserSaveAs", "Disable the ability to Save As"},
    {T::Policies, "NoFileOpen", "Disable the File Open menu item"},
    {T::Policies, "NoFileNew", "Disable the File New menu item"},
    {T::Policies, "NoOpeninNewWnd", "Disable Open in New Window option"},
    {T::Policies, "NoFindFiles", "Disable the Find Files menu item"},
    {T::Policies, "NoSelectDownloadDir", "Disable the selecting of download directory"},
    {T::Policies, "NoViewSource", "Disable the ability to view the page source"},
    {T::Policies, "NoTheaterMode", "Disable the Full Screen view option"},
    {T::Policies, "NoWindowsUpdate", "Remove Windows Update menu item"},
    {T::Policies, "DisableDevTools", "Turn off the browser's Developer Tools"},
    {T::Policies, "DisableTaskMgr", "Disable Task Manager"},
    {T::Policies, "DisableLockWorkstation", "Disable Lock Computer"},
    {T::Policies, "DisableChangePassword", "Disable Change Password"},
    {T::Policies, "NoLogoff", "Remove Log Off"},
    {T::Policies, "NoClose", "Remove Shut Down, Restart, Sleep and Hibernate"},
    {T::Policies, "NoToastApplicationNotification", "Turn off Notification Toasts"},
    {T::Policies, "HideFastUserSwitching", "Hide Switch User (the whole machine)"},
    {T::Policies, "DisableEdgeSwipe", "Disable Edge Swipes (the whole machine, touch screens)"},
    // Edge and Chrome, which read none of the above. Not the URL rules: they need a file that
    // translates.
    {T::Policies, "BrowsersNoDeveloperTools", "Turn off Developer Tools"},
    {T::Policies, "BrowsersNoDownloads", "Block all downloads"},
    {T::Policies, "BrowsersNoPrivateWindows", "Turn off InPrivate, Incognito and Guest windows"},
    {T::Policies, "BrowsersNoNewProfiles", "Do not let the public add profiles"},
    {T::Policies, "BrowsersNoFileDialogs", "Turn off the file selection dialogs"},
    {T::Policies, "BrowsersNoPasswordManager", "Turn off the password manager"},
    {T::Policies, "BrowsersBlockOwnPages",
     "Block the browsers' own pages (settings, flags, extensions)"},
    {T::Policies, "BrowsersNoEndProcess", "Do not let the browser's Task Manager end processes"},
    // Lumbrel: the browser windows a page can make.
    {T::Lumbrel, "FilterFrames", "Filter Frames Too"},
    {T::Lumbrel, "BarsEveryWindow", "Set the Bars in Every Window"},
    {T::Lumbrel, "RefuseNewWindows", "Open New Windows in the Same Window"},
};

template <class S>
int* FlagOf(std::span<const SettingEntry<S>> table, S& settings, const char* name) {
    for (const SettingEntry<S>& entry : table) {
        if (entry.flag != nullptr && std::strcmp(entry.value, name) == 0) {
            return &(settings.*entry.flag);
        }
    }
    return nullptr;
}

int* PolicyFlag(PolicySettings& settings, const char* name) {
    for (const PolicyValue& value : kPolicyValues) {
        if (value.field != nullptr && std::strcmp(value.name, name) == 0) {
            return &(settings.*value.field);
        }
    }
    for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
        if (std::strcmp(browserSwitch.name, name) == 0) {
            return &(settings.*browserSwitch.field);
        }
    }
    return nullptr;
}

int* FieldOf(const LockdownItem& item, const LockdownTarget& target) {
    switch (item.tab) {
        case T::HideGui:
            return FlagOf<HideGuiSettings>(kHideGuiValues, target.hideGui, item.value);
        case T::Policies:
            return PolicyFlag(target.policies, item.value);
        case T::Lumbrel:
            break;
    }
    return FlagOf<LumbrelSettings>(kLumbrelValues, target.lumbrel, item.value);
}

constexpr const char* TabName(LockdownTab tab) {
    switch (tab) {
        case T::HideGui:
            return "Hide GUI";
        case T::Policies:
            return "Policies";
        case T::Lumbrel:
            break;
    }
    return "Lumbrel";
}

}  // namespace

const char* LockdownKey(LockdownTab tab) {
    switch (tab) {
        case T::HideGui:
            return kHideGuiKey;
        case T::Policies:
            return kPoliciesKey;
        case T::Lumbrel:
            break;
    }
    return kLumbrelKey;
}

std::span<const LockdownItem> RecommendedLockdown() {
    return kItems;
}

int ApplyRecommendedLockdown(const LockdownTarget& target) {
    int ticked = 0;
    for (const LockdownItem& item : kItems) {
        if (int* field = FieldOf(item, target)) {
            *field = 1;
            ++ticked;
        }
    }
    target.enableHideGui = 1;
    target.enablePolicies = 1;
    return ticked;
}

std::string RecommendedLockdownSummary() {
    std::string text =
        "Apply the recommended lockdown?\n\nHide GUI and Policies are switched on and these are "
        "ticked:";
    const LockdownItem* previous = nullptr;
    for (const LockdownItem& item : kItems) {
        text += previous == nullptr || previous->tab != item.tab
                    ? std::string("\n\n") + TabName(item.tab) + ": "
                    : std::string(", ");
        text += item.label;
        previous = &item;
    }
    text +=
        ".\n\nPages, lists, timers and every other setting stay as they are. Nothing is stored "
        "until you click Apply or OK.";
    return text;
}

long StoreRecommendedLockdown(platform::Registry& registry) {
    // Only the values the lockdown names are written: the rest of each sub-key stays as stored.
    platform::RegistryKeyPtr key;
    for (const LockdownItem& item : kItems) {
        if (const long opened =
                OpenForWriting(registry, platform::Hive::LocalMachine, LockdownKey(item.tab), key);
            opened != platform::error::kSuccess) {
            return opened;
        }
        if (const long written = SetDWordValue(*key, item.value, 1);
            written != platform::error::kSuccess) {
            return written;
        }
    }
    if (const long opened =
            OpenForWriting(registry, platform::Hive::LocalMachine, kSettingsRoot, key);
        opened != platform::error::kSuccess) {
        return opened;
    }
    for (const char* name : {root_value::kEnableHideGUI, root_value::kEnablePolicies}) {
        if (const long written = SetDWordValue(*key, name, 1);
            written != platform::error::kSuccess) {
            return written;
        }
    }
    return platform::error::kSuccess;
}

}  // namespace corvane
