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
    bool postActivity = false;  // WM_APP_ACTIVITY to the main window
    bool postOverride = false;  // WM_APP_OVERRIDE to the hook's thread
};

// A key event of the low-level keyboard hook. Releases pass untouched; the modifiers are only
// needed for presses.
FilterActions FilterKey(uint32_t virtualKey, uint32_t flags, const Modifiers& modifiers,
                        const ExtSettings& settings);

// A mouse message of the low-level mouse hook.
FilterActions FilterMouse(uint32_t message, bool shiftDown, const ExtSettings& settings);

}  // namespace corvane::ext
