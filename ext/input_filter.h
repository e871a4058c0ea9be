// What the keyboard and mouse hooks do with an event: a plain function of the event, the
// modifier keys and the settings. No allocation, no system call.
#pragma once

#include <cstdint>

#include "common/hide_gui_values.h"

namespace corvane::ext {

struct ExtSettings {
    int enableHideGUI = 0;
    int enableTimers = 0;
    HideGuiSettings hideGui;
};

struct Modifiers {
    bool ctrl = false;
    bool alt = false;
    bool shift = false;
};

struct FilterActions {
    bool swallow = false;
    bool maskMenu = false;      // swallowed Alt release: a masking key, then the release again
    bool postActivity = false;  // WM_APP_ACTIVITY to the main window
    bool postOverride = false;  // WM_APP_OVERRIDE to the hook's thread
};

// A key event of the low-level keyboard hook. Releases pass untouched but for PrintScreen's
// and an Alt pressed alone; the modifiers are only needed for presses. `previousPress` is the
// key of the hook's last press, which tells an Alt released alone.
FilterActions FilterKey(uint32_t virtualKey, uint32_t flags, const Modifiers& modifiers,
                        const ExtSettings& settings, uint32_t previousPress = 0);

// A mouse message of the low-level mouse hook.
FilterActions FilterMouse(uint32_t message, bool shiftDown, const ExtSettings& settings,
                          bool ctrlDown = false);

// The key a program presses and releases to keep an Alt released alone from opening a menu:
// one no keyboard has.
inline constexpr uint32_t kMenuMaskKey = 0xE8;

}  // namespace corvane::ext
