#include "ext/input_filter.h"

#include <iterator>

#include "platform/constants.h"

namespace corvane::ext {

namespace {

namespace vk = platform::vk;

// Special keyboard keys are swallowed only as the keyboard sends them: extended, nothing else.
bool ExtendedOnly(uint32_t flags) {
    return flags == platform::llkhf::kExtended;
}

// Rules 9 to 27 of the key table: the Sleep key, then the browser, volume, media and launch
// keys 0xA6 to 0xB7 in their order, each with its setting.
constexpr uint32_t kSleepKey = 0x5F;
constexpr uint32_t kFirstSpecial = 0xA6;
constexpr int HideGuiSettings::*kSpecialKeys[] = {
    &HideGuiSettings::disableBrowserBackKey,    &HideGuiSettings::disableBrowserForwardKey,
    &HideGuiSettings::disableBrowserRefreshKey, &HideGuiSettings::disableBrowserStopKey,
    &HideGuiSettings::disableBrowserSearchKey,  &HideGuiSettings::disableBrowserFavoritesKey,
    &HideGuiSettings::disableBrowserHomeKey,    &HideGuiSettings::disableVolumeMuteKey,
    &HideGuiSettings::disableVolumeDownKey,     &HideGuiSettings::disableVolumeUpKey,
    &HideGuiSettings::disableMediaNextKey,      &HideGuiSettings::disableMediaPreviousKey,
    &HideGuiSettings::disableMediaStopKey,      &HideGuiSettings::disableMediaPlayPauseKey,
    &HideGuiSettings::disableLaunchMailKey,     &HideGuiSettings::disableLaunchMediaKey,
    &HideGuiSettings::disableLaunchApp1Key,     &HideGuiSettings::disableLaunchApp2Key,
};

// The setting of a special key, looked up by its code rather than searched.
bool SpecialKeySwallowed(uint32_t key, const HideGuiSettings& s) {
    if (key == kSleepKey) {
        return s.disableSleepKey != 0;
    }
    const uint32_t index = key - kFirstSpecial;  // wraps for keys below the range
    return index < std::size(kSpecialKeys) && s.*kSpecialKeys[index] != 0;
}

bool IsAlt(uint32_t key) {
    return key == vk::kMenu || key == vk::kLMenu || key == vk::kRMenu;
}

// The browser's shortcuts that open a file or a window, print, save, reach the address or close
// the window; Ctrl+C, V, X, A and Z stay.
bool BrowserShortcut(uint32_t key, const Modifiers& m) {
    if (key == vk::kF4) {
        return m.ctrl || m.alt;
    }
    if (!m.ctrl || m.alt) {
        return false;
    }
    for (const char letter : {'O', 'N', 'P', 'S', 'L', 'W'}) {
        if (key == static_cast<uint32_t>(letter)) {
            return true;
        }
    }
    return false;
}

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
    if ((s.disableHelpKey && key == vk::kF1) || (s.disableFullScreenKey && key == vk::kF11) ||
        (s.disablePrintScreenKey && key == vk::kSnapshot)) {
        return true;
    }
    if (key == vk::kF10 && ((s.disableMenuKeys && !m.shift) || (s.disableShiftF10 && m.shift))) {
        return true;
    }
    if (s.disableBrowserShortcuts && BrowserShortcut(key, m)) {
        return true;
    }
    // Shift+F12 stays the administrator's: it asks for the page and opens no developer tools.
    if (s.disableDevToolsKey &&
        ((key == vk::kF12 && !m.shift) || (key == 'I' && m.ctrl && m.shift && !m.alt))) {
        return true;
    }
    return ExtendedOnly(flags) && SpecialKeySwallowed(key, s);
}

}  // namespace

FilterActions FilterKey(uint32_t virtualKey, uint32_t flags, const Modifiers& modifiers,
                        const ExtSettings& settings, uint32_t previousPress) {
    FilterActions actions;
    if (flags & platform::llkhf::kUp) {
        const HideGuiSettings& s = settings.hideGui;
        // The screen is copied on the release; an Alt released right after its own press
        // opens the menu bar.
        actions.swallow = s.disablePrintScreenKey && virtualKey == vk::kSnapshot;
        actions.maskMenu = s.disableMenuKeys && IsAlt(virtualKey) && IsAlt(previousPress);
        actions.swallow = actions.swallow || actions.maskMenu;
        return actions;
    }
    actions.postActivity = settings.enableTimers != 0;
    actions.swallow = Swallowed(virtualKey, flags, modifiers, settings.hideGui);
    actions.postOverride = !actions.swallow && settings.hideGui.enableOverrides &&
                           virtualKey == vk::kF12 && modifiers.shift;
    return actions;
}

FilterActions FilterMouse(uint32_t message, bool shiftDown, const ExtSettings& settings,
                          bool ctrlDown) {
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
            actions.swallow =
                (s.disableShiftLeftClick && shiftDown) || (s.disableCtrlClick && ctrlDown);
            break;
        case mouse::kLButtonUp:
            actions.swallow =
                (s.disableShiftLeftClick && shiftDown) || (s.disableCtrlClick && ctrlDown);
            break;
        case mouse::kMButtonDown:
        case mouse::kMButtonUp:
        case mouse::kMButtonDblClk:
            actions.swallow = s.disableMiddleClick != 0;
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
