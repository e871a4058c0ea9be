#include "ext/input_filter.h"

#include "platform/constants.h"

namespace corvane::ext {

namespace {

namespace vk = platform::vk;

// Special keyboard keys are swallowed only as the keyboard sends them: extended, nothing else.
bool ExtendedOnly(uint32_t flags) {
    return flags == platform::llkhf::kExtended;
}

struct SpecialKey {
    uint32_t virtualKey;
    int HideGuiSettings::*setting;
};

// Rules 9 to 27 of the key table, in order.
constexpr SpecialKey kSpecialKeys[] = {
    {0x5F, &HideGuiSettings::disableSleepKey},
    {0xA6, &HideGuiSettings::disableBrowserBackKey},
    {0xA7, &HideGuiSettings::disableBrowserForwardKey},
    {0xA8, &HideGuiSettings::disableBrowserRefreshKey},
    {0xA9, &HideGuiSettings::disableBrowserStopKey},
    {0xAA, &HideGuiSettings::disableBrowserSearchKey},
    {0xAB, &HideGuiSettings::disableBrowserFavoritesKey},
    {0xAC, &HideGuiSettings::disableBrowserHomeKey},
    {0xAD, &HideGuiSettings::disableVolumeMuteKey},
    {0xAE, &HideGuiSettings::disableVolumeDownKey},
    {0xAF, &HideGuiSettings::disableVolumeUpKey},
    {0xB0, &HideGuiSettings::disableMediaNextKey},
    {0xB1, &HideGuiSettings::disableMediaPreviousKey},
    {0xB2, &HideGuiSettings::disableMediaStopKey},
    {0xB3, &HideGuiSettings::disableMediaPlayPauseKey},
    {0xB4, &HideGuiSettings::disableLaunchMailKey},
    {0xB5, &HideGuiSettings::disableLaunchMediaKey},
    {0xB6, &HideGuiSettings::disableLaunchApp1Key},
    {0xB7, &HideGuiSettings::disableLaunchApp2Key},
};

bool Swallowed(uint32_t key, uint32_t flags, const Modifiers& m, const HideGuiSettings& s) {
    if (s.disableCtrlKey && m.ctrl) {
        return true;
    }
    if (s.disableAltKey && m.alt) {
        return true;
    }
    if (s.disableCtrlEsc && key == vk::kEscape && m.ctrl) {
        return true;
    }
    if (s.disableWindowsKey && (key == vk::kLWin || key == vk::kRWin)) {
        return true;
    }
    if (s.disableApplicationsKey && key == vk::kApps) {
        return true;
    }
    if (s.disableShiftEnter && key == vk::kReturn && m.shift) {
        return true;
    }
    if (s.disableTaskSwitching && (key == vk::kTab || key == vk::kEscape) && m.alt) {
        return true;
    }
    if (s.disableAltSpace && key == vk::kSpace && m.alt) {
        return true;
    }
    for (const SpecialKey& special : kSpecialKeys) {
        if (s.*special.setting && key == special.virtualKey && ExtendedOnly(flags)) {
            return true;
        }
    }
    return false;
}

}  // namespace

FilterActions FilterKey(uint32_t virtualKey, uint32_t flags, const Modifiers& modifiers,
                        const ExtSettings& settings) {
    FilterActions actions;
    if (flags & platform::llkhf::kUp) {
        return actions;
    }
    actions.postActivity = settings.enableTimers != 0;
    actions.swallow = Swallowed(virtualKey, flags, modifiers, settings.hideGui);
    actions.postOverride = !actions.swallow && settings.hideGui.enableOverrides &&
                           virtualKey == vk::kF12 && modifiers.shift;
    return actions;
}

FilterActions FilterMouse(uint32_t message, bool shiftDown, const ExtSettings& settings) {
    namespace mouse = platform::mouse;
    FilterActions actions;
    const HideGuiSettings& s = settings.hideGui;
    switch (message) {
        case mouse::kMove:
        case mouse::kLButtonDblClk:
        case mouse::kRButtonDblClk:
            actions.postActivity = true;
            break;
        case mouse::kLButtonDown:
            actions.postActivity = true;
            actions.swallow = s.disableShiftLeftClick && shiftDown;
            break;
        case mouse::kLButtonUp:
            actions.swallow = s.disableShiftLeftClick && shiftDown;
            break;
        case mouse::kRButtonDown:
            actions.postActivity = true;
            actions.swallow = s.disableRightClick != 0;
            break;
        case mouse::kRButtonUp:
            actions.swallow = s.disableRightClick != 0;
            break;
        default:
            break;
    }
    actions.postActivity = actions.postActivity && settings.enableTimers != 0;
    return actions;
}

}  // namespace corvane::ext
