// The values of the HideGUI sub-key, in the order they are written and read: the 37 the
// configuration page always had, then the kiosk's own hardening rules (all off by default, so a
// stored tree without them behaves as before).
#pragma once

#include <cstddef>
#include <iterator>

#include "common/settings_table.h"

namespace corvane {

inline constexpr const char* kHideGuiKey = "Software\\Vemtrix\\Corvane\\HideGUI";

struct HideGuiSettings {
    int enableOverrides = 0;
    int hideDesktop = 0;
    int hideTaskbar = 0;
    int hideStartButton = 0;
    int hideTaskTray = 0;
    int hideTaskbarButtons = 0;
    int closeTaskTray = 0;
    int closeStartButton = 0;
    int disableRightClick = 0;
    int disableShiftLeftClick = 0;
    int disableWindowsKey = 0;
    int disableApplicationsKey = 0;
    int disableCtrlEsc = 0;
    int disableShiftEnter = 0;
    int disableTaskSwitching = 0;
    int disableAltSpace = 0;
    int disableCtrlKey = 0;
    int disableAltKey = 0;
    int disableSleepKey = 0;
    int disableBrowserBackKey = 0;
    int disableBrowserForwardKey = 0;
    int disableBrowserRefreshKey = 0;
    int disableBrowserStopKey = 0;
    int disableBrowserSearchKey = 0;
    int disableBrowserFavoritesKey = 0;
    int disableBrowserHomeKey = 0;
    int disableVolumeMuteKey = 0;
    int disableVolumeDownKey = 0;
    int disableVolumeUpKey = 0;
    int disableMediaNextKey = 0;
    int disableMediaPreviousKey = 0;
    int disableMediaStopKey = 0;
    int disableMediaPlayPauseKey = 0;
    int disableLaunchMailKey = 0;
    int disableLaunchMediaKey = 0;
    int disableLaunchApp1Key = 0;
    int disableLaunchApp2Key = 0;
    int disableHelpKey = 0;            // F1
    int disableMenuKeys = 0;           // F10, and Alt pressed and released alone
    int disableShiftF10 = 0;           // the context menu by keyboard
    int disableFullScreenKey = 0;      // F11
    int disablePrintScreenKey = 0;     // PrintScreen, also with Alt
    int disableMiddleClick = 0;        // opens links in new windows
    int disableCtrlClick = 0;          // the same with the left button
    int disableAccessibilityKeys = 0;  // the accessibility features' hot keys
    int disableDevToolsKey = 0;        // F12 and Ctrl+Shift+I: the browser's developer tools
    int keepUserModeRunning = 0;       // a guard process starts user mode again when it is ended
    int disableBrowserShortcuts = 0;   // Ctrl+O, N, P, S, L, W, Ctrl+F4 and Alt+F4
};

// Each a checkbox of the same name, stored as 0 or 1.
using HideGuiValue = SettingEntry<HideGuiSettings>;

using H = HideGuiSettings;
inline constexpr HideGuiValue kHideGuiValues[] = {
    FlagSetting("EnableOverrides", &H::enableOverrides),
    FlagSetting("HideDesktop", &H::hideDesktop),
    FlagSetting("HideTaskbar", &H::hideTaskbar),
    FlagSetting("HideStartButton", &H::hideStartButton),
    FlagSetting("HideTaskTray", &H::hideTaskTray),
    FlagSetting("HideTaskbarButtons", &H::hideTaskbarButtons),
    FlagSetting("CloseTaskTray", &H::closeTaskTray),
    FlagSetting("CloseStartButton", &H::closeStartButton),
    FlagSetting("DisableRightClick", &H::disableRightClick),
    FlagSetting("DisableShiftLeftClick", &H::disableShiftLeftClick),
    FlagSetting("DisableWindowsKey", &H::disableWindowsKey),
    FlagSetting("DisableApplicationsKey", &H::disableApplicationsKey),
    FlagSetting("DisableCtrlEsc", &H::disableCtrlEsc),
    FlagSetting("DisableShiftEnter", &H::disableShiftEnter),
    FlagSetting("DisableTaskSwitching", &H::disableTaskSwitching),
    FlagSetting("DisableAltSpace", &H::disableAltSpace),
    FlagSetting("DisableCtrlKey", &H::disableCtrlKey),
    FlagSetting("DisableAltKey", &H::disableAltKey),
    FlagSetting("DisableSleepKey", &H::disableSleepKey),
    FlagSetting("DisableBrowserBackKey", &H::disableBrowserBackKey),
    FlagSetting("DisableBrowserForwardKey", &H::disableBrowserForwardKey),
    FlagSetting("DisableBrowserRefreshKey", &H::disableBrowserRefreshKey),
    FlagSetting("DisableBrowserStopKey", &H::disableBrowserStopKey),
    FlagSetting("DisableBrowserSearchKey", &H::disableBrowserSearchKey),
    FlagSetting("DisableBrowserFavoritesKey", &H::disableBrowserFavoritesKey),
    FlagSetting("DisableBrowserHomeKey", &H::disableBrowserHomeKey),
    FlagSetting("DisableVolumeMuteKey", &H::disableVolumeMuteKey),
    FlagSetting("DisableVolumeDownKey", &H::disableVolumeDownKey),
    FlagSetting("DisableVolumeUpKey", &H::disableVolumeUpKey),
    FlagSetting("DisableMediaNextKey", &H::disableMediaNextKey),
    FlagSetting("DisableMediaPreviousKey", &H::disableMediaPreviousKey),
    FlagSetting("DisableMediaStopKey", &H::disableMediaStopKey),
    FlagSetting("DisableMediaPlayPauseKey", &H::disableMediaPlayPauseKey),
    FlagSetting("DisableLaunchMailKey", &H::disableLaunchMailKey),
    FlagSetting("DisableLaunchMediaKey", &H::disableLaunchMediaKey),
    FlagSetting("DisableLaunchApp1Key", &H::disableLaunchApp1Key),
    FlagSetting("DisableLaunchApp2Key", &H::disableLaunchApp2Key),
    FlagSetting("DisableHelpKey", &H::disableHelpKey),
    FlagSetting("DisableMenuKeys", &H::disableMenuKeys),
    FlagSetting("DisableShiftF10", &H::disableShiftF10),
    FlagSetting("DisableFullScreenKey", &H::disableFullScreenKey),
    FlagSetting("DisablePrintScreenKey", &H::disablePrintScreenKey),
    FlagSetting("DisableMiddleClick", &H::disableMiddleClick),
    FlagSetting("DisableCtrlClick", &H::disableCtrlClick),
    FlagSetting("DisableAccessibilityKeys", &H::disableAccessibilityKeys),
    FlagSetting("DisableDevToolsKey", &H::disableDevToolsKey),
    FlagSetting("KeepUserModeRunning", &H::keepUserModeRunning),
    FlagSetting("DisableBrowserShortcuts", &H::disableBrowserShortcuts),
};
static_assert(std::size(kHideGuiValues) == 37 + 11);

}  // namespace corvane
