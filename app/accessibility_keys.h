// The accessibility features' hot keys (Shift five times, right Shift held, NumLock held, Left
// Alt+Left Shift+NumLock or PrintScreen) open dialogs that link to the control panel. User mode
// switches them off for the session and puts back exactly what was there; the originals wait
// in the user's registry until then, so that a start after a crash puts them back first.
#pragma once

#include "common/event_log.h"
#include "platform/system.h"

namespace corvane {

// Under HKEY_CURRENT_USER: one REG_DWORD per feature, its flags before user mode changed them.
inline constexpr const char* kSavedAccessibilityKey =
    "Software\\Vemtrix\\Corvane\\Saved Accessibility";

// Saves each feature's flags where they are not saved yet, then clears its hot-key flag.
void DisableAccessibilityHotKeys(platform::System& system, EventLog& log);
// Puts each saved hot-key flag back and forgets it; a feature the system refuses stays saved
// for the next start. Once none is left, the key that held them goes. True when none is left.
bool RestoreAccessibilityHotKeys(platform::System& system, EventLog& log);

}  // namespace corvane
