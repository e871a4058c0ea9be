// The 37 values of the HideGUI sub-key, in the order they are written and read.
#pragma once

#include <cstddef>
#include <iterator>

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
};

struct HideGuiValue {
    const char* name;  // the registry value and the page element
    int HideGuiSettings::*field;
};

using H = HideGuiSettings;
inline constexpr HideGuiValue kHideGuiValues[] = {
    {"EnableOverrides", &H::enableOverrides},
    {"HideDesktop", &H::hideDesktop},
    {"HideTaskbar", &H::hideTaskbar},
    {"HideStartButton", &H::hideStartButton},
    {"HideTaskTray", &H::hideTaskTray},
    {"HideTaskbarButtons", &H::hideTaskbarButtons},
    {"CloseTaskTray", &H::closeTaskTray},
    {"CloseStartButton", &H::closeStartButton},
    {"DisableRightClick", &H::disableRightClick},
    {"DisableShiftLeftClick", &H::disableShiftLeftClick},
    {"DisableWindowsKey", &H::disableWindowsKey},
    {"DisableApplicationsKey", &H::disableApplicationsKey},
    {"DisableCtrlEsc", &H::disableCtrlEsc},
    {"DisableShiftEnter", &H::disableShiftEnter},
    {"DisableTaskSwitching", &H::disableTaskSwitching},
    {"DisableAltSpace", &H::disableAltSpace},
    {"DisableCtrlKey", &H::disableCtrlKey},
    {"DisableAltKey", &H::disableAltKey},
    {"DisableSleepKey", &H::disableSleepKey},
    {"DisableBrowserBackKey", &H::disableBrowserBackKey},
    {"DisableBrowserForwardKey", &H::disableBrowserForwardKey},
    {"DisableBrowserRefreshKey", &H::disableBrowserRefreshKey},
    {"DisableBrowserStopKey", &H::disableBrowserStopKey},
    {"DisableBrowserSearchKey", &H::disableBrowserSearchKey},
    {"DisableBrowserFavoritesKey", &H::disableBrowserFavoritesKey},
    {"DisableBrowserHomeKey", &H::disableBrowserHomeKey},
    {"DisableVolumeMuteKey", &H::disableVolumeMuteKey},
    {"DisableVolumeDownKey", &H::disableVolumeDownKey},
    {"DisableVolumeUpKey", &H::disableVolumeUpKey},
    {"DisableMediaNextKey", &H::disableMediaNextKey},
    {"DisableMediaPreviousKey", &H::disableMediaPreviousKey},
    {"DisableMediaStopKey", &H::disableMediaStopKey},
    {"DisableMediaPlayPauseKey", &H::disableMediaPlayPauseKey},
    {"DisableLaunchMailKey", &H::disableLaunchMailKey},
    {"DisableLaunchMediaKey", &H::disableLaunchMediaKey},
    {"DisableLaunchApp1Key", &H::disableLaunchApp1Key},
    {"DisableLaunchApp2Key", &H::disableLaunchApp2Key},
};
static_assert(std::size(kHideGuiValues) == 37);

}  // namespace corvane
