// The Policies sub-key and the Windows policy values it is applied as.
#pragma once

#include <cstdint>
#include <iterator>

namespace corvane {

inline constexpr const char* kPoliciesKey = "Software\\Vemtrix\\Corvane\\Policies";
// Under HKEY_CURRENT_USER, where Explorer and the browser read them.
inline constexpr const char* kExplorerPolicyKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
inline constexpr const char* kBrowserPolicyKey =
    "Software\\Policies\\Microsoft\\Internet Explorer\\Restrictions";
// The browser's developer tools (F12) are turned off by a value of their own key.
inline constexpr const char* kDevToolsPolicyKey =
    "Software\\Policies\\Microsoft\\Internet Explorer\\IEDevTools";
// The system's own, which the Ctrl+Alt+Del screen reads.
inline constexpr const char* kSystemPolicyKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
// The notification toasts of the user's session.
inline constexpr const char* kPushNotificationsPolicyKey =
    "Software\\Policies\\Microsoft\\Windows\\CurrentVersion\\PushNotifications";
// Under HKEY_LOCAL_MACHINE: what the system offers per machine only (Switch user, the touch
// screen's edge swipes). Only the configuration page and the installer write these.
inline constexpr const char* kMachineSystemPolicyKey = kSystemPolicyKey;
inline constexpr const char* kEdgeUiPolicyKey = "Software\\Policies\\Microsoft\\Windows\\EdgeUI";

inline constexpr int kDriveCount = 26;  // A to Z

// One field per checkbox of the Policies tab, one per drive box, and the packed drive mask.
struct PolicySettings {
    int specifyDefaultButtons = 0;
    int noBandCustomize = 0;
    int noToolbarCustomize = 0;
    int btnBack = 0;
    int btnForward = 0;
    int btnStop = 0;
    int btnRefresh = 0;
    int btnHome = 0;
    int btnSearch = 0;
    int btnFolders = 0;
    int btnFavorites = 0;
    int btnMedia = 0;
    int btnHistory = 0;
    int btnFullscreen = 0;
    int btnTools = 0;
    int btnMailNews = 0;
    int btnSize = 0;
    int btnPrint = 0;
    int btnEdit = 0;
    int btnDiscussions = 0;
    int btnCut = 0;
    int btnCopy = 0;
    int btnPaste = 0;
    int btnEncoding = 0;
    int btnPrintPreview = 0;
    int noWindowsUpdate = 0;
    int noRun = 0;
    int noDesktop = 0;
    int noPrinting = 0;
    int noBrowserOptions = 0;
    int alwaysPromptWhenDownload = 0;
    int noBrowserBars = 0;
    int noBrowserClose = 0;
    int noBrowserContextMenu = 0;
    int noBrowserSaveAs = 0;
    int noFavorites = 0;
    int noFileNew = 0;
    int noFileOpen = 0;
    int noFindFiles = 0;
    int noNavButtons = 0;
    int noOpeninNewWnd = 0;
    int noSelectDownloadDir = 0;
    int noTheaterMode = 0;
    int noViewSource = 0;
    int restGoMenu = 0;
    int disableTaskMgr = 0;
    int disableLockWorkstation = 0;
    int disableChangePassword = 0;
    int noLogoff = 0;
    int disableDevTools = 0;
    int noClose = 0;
    int noToastApplicationNotification = 0;
    int hideFastUserSwitching = 0;
    int disableEdgeSwipe = 0;
    // Edge and Chrome, written under each browser's own policy key.
    int browsersNoDeveloperTools = 0;
    int browsersNoDownloads = 0;
    int browsersNoPrinting = 0;
    int browsersNoPrivateWindows = 0;  // InPrivate, Incognito and Guest
    int browsersNoNewProfiles = 0;
    int browsersNoFileDialogs = 0;
    int browsersNoPasswordManager = 0;
    int browsersBlockOwnPages = 0;  // settings, flags, extensions and the like
    int browsersNoEndProcess = 0;
    int browsersUrlRules = 0;      // the Lumbrel tab's URL rules as the browsers' lists
    int drives[kDriveCount] = {};  // DA to DZ
    uint32_t noDrives = 0;         // bit n: drive A + n hidden
};

enum class PolicyKey {
    Explorer,
    Browser,
    DevTools,
    System,
    PushNotifications,
    MachineSystem,  // the machine's, from here on
    MachineEdgeUi,
};

inline constexpr bool IsMachineWide(PolicyKey key) {
    return key == PolicyKey::MachineSystem || key == PolicyKey::MachineEdgeUi;
}

inline constexpr const char* PolicyKeyPath(PolicyKey key) {
    switch (key) {
        case PolicyKey::Explorer:
            return kExplorerPolicyKey;
        case PolicyKey::Browser:
            return kBrowserPolicyKey;
        case PolicyKey::DevTools:
            return kDevToolsPolicyKey;
        case PolicyKey::PushNotifications:
            return kPushNotificationsPolicyKey;
        case PolicyKey::MachineSystem:
            return kMachineSystemPolicyKey;
        case PolicyKey::MachineEdgeUi:
            return kEdgeUiPolicyKey;
        case PolicyKey::System:
            break;
    }
    return kSystemPolicyKey;
}
enum class PolicyKind {
    Flag,       // written as stored, 0 or 1
    Button,     // a Btn_ value: written 1 when ticked, 2 when not
    DriveMask,  // NoDrives, packed from the drive boxes
    Allow,      // an "Allow..." value: written 0 when ticked
};

struct PolicyValue {
    const char* name;  // the stored value, the Windows value and the checkbox
    PolicyKey key;
    PolicyKind kind;
    int PolicySettings::*field;  // null for the drive mask
    // Beyond the 46 the tab always had: written only when ticked, and taken away only where
    // Corvane wrote it (another tool's value, such as Group Policy's, is left as it was).
    bool onlyWhenTicked = false;
    // The value's name in its Windows key, when that is not `name`.
    const char* windowsName = nullptr;
};

inline constexpr const char* WindowsValueName(const PolicyValue& value) {
    return value.windowsName != nullptr ? value.windowsName : value.name;
}

// The values in the order they are stored, read, applied and removed: the 46 the Policies tab
// always had, then the system's own that close what Ctrl+Alt+Del offers (no hook can stop it),
// then the browser's developer tools, the power options and the toasts, and last the machine's
// own (Switch user, the edge swipes).
inline constexpr PolicyValue kPolicyValues[] = {
    {"SpecifyDefaultButtons", PolicyKey::Explorer, PolicyKind::Flag,
     &PolicySettings::specifyDefaultButtons},
    {"NoBandCustomize", PolicyKey::Explorer, PolicyKind::Flag, &PolicySettings::noBandCustomize},
    {"NoToolbarCustomize", PolicyKey::Explorer, PolicyKind::Flag,
     &PolicySettings::noToolbarCustomize},
    {"Btn_Back", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnBack},
    {"Btn_Forward", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnForward},
    {"Btn_Stop", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnStop},
    {"Btn_Refresh", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnRefresh},
    {"Btn_Home", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnHome},
    {"Btn_Search", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnSearch},
    {"Btn_Folders", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnFolders},
    {"Btn_Favorites", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnFavorites},
    {"Btn_Media", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnMedia},
    {"Btn_History", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnHistory},
    {"Btn_Fullscreen", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnFullscreen},
    {"Btn_Tools", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnTools},
    {"Btn_MailNews", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnMailNews},
    {"Btn_Size", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnSize},
    {"Btn_Print", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnPrint},
    {"Btn_Edit", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnEdit},
    {"Btn_Discussions", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnDiscussions},
    {"Btn_Cut", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnCut},
    {"Btn_Copy", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnCopy},
    {"Btn_Paste", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnPaste},
    {"Btn_Encoding", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnEncoding},
    {"Btn_PrintPreview", PolicyKey::Explorer, PolicyKind::Button, &PolicySettings::btnPrintPreview},
    {"NoWindowsUpdate", PolicyKey::Explorer, PolicyKind::Flag, &PolicySettings::noWindowsUpdate},
    {"NoRun", PolicyKey::Explorer, PolicyKind::Flag, &PolicySettings::noRun},
    {"NoDesktop", PolicyKey::Explorer, PolicyKind::Flag, &PolicySettings::noDesktop},
    {"NoDrives", PolicyKey::Explorer, PolicyKind::DriveMask, nullptr},
    {"NoPrinting", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noPrinting},
    {"NoBrowserOptions", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noBrowserOptions},
    {"AlwaysPromptWhenDownload", PolicyKey::Browser, PolicyKind::Flag,
     &PolicySettings::alwaysPromptWhenDownload},
    {"NoBrowserBars", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noBrowserBars},
    {"NoBrowserClose", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noBrowserClose},
    {"NoBrowserContextMenu", PolicyKey::Browser, PolicyKind::Flag,
     &PolicySettings::noBrowserContextMenu},
    {"NoBrowserSaveAs", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noBrowserSaveAs},
    {"NoFavorites", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noFavorites},
    {"NoFileNew", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noFileNew},
    {"NoFileOpen", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noFileOpen},
    {"NoFindFiles", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noFindFiles},
    {"NoNavButtons", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noNavButtons},
    {"NoOpeninNewWnd", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noOpeninNewWnd},
    {"NoSelectDownloadDir", PolicyKey::Browser, PolicyKind::Flag,
     &PolicySettings::noSelectDownloadDir},
    {"NoTheaterMode", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noTheaterMode},
    {"NoViewSource", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::noViewSource},
    {"RestGoMenu", PolicyKey::Browser, PolicyKind::Flag, &PolicySettings::restGoMenu},
    {"DisableTaskMgr", PolicyKey::System, PolicyKind::Flag, &PolicySettings::disableTaskMgr, true},
    {"DisableLockWorkstation", PolicyKey::System, PolicyKind::Flag,
     &PolicySettings::disableLockWorkstation, true},
    {"DisableChangePassword", PolicyKey::System, PolicyKind::Flag,
     &PolicySettings::disableChangePassword, true},
    {"NoLogoff", PolicyKey::Explorer, PolicyKind::Flag, &PolicySettings::noLogoff, true},
    {"DisableDevTools", PolicyKey::DevTools, PolicyKind::Flag, &PolicySettings::disableDevTools,
     true, "Disabled"},
    {"NoClose", PolicyKey::Explorer, PolicyKind::Flag, &PolicySettings::noClose, true},
    {"NoToastApplicationNotification", PolicyKey::PushNotifications, PolicyKind::Flag,
     &PolicySettings::noToastApplicationNotification, true},
    {"HideFastUserSwitching", PolicyKey::MachineSystem, PolicyKind::Flag,
     &PolicySettings::hideFastUserSwitching, true},
    {"DisableEdgeSwipe", PolicyKey::MachineEdgeUi, PolicyKind::Allow,
     &PolicySettings::disableEdgeSwipe, true, "AllowEdgeSwipe"},
};
static_assert(std::size(kPolicyValues) == 46 + 9);

}  // namespace corvane
