// States the run command waits for from outside, instead of pausing, and the unlock request
// made as the administrator makes it at the kiosk.
#pragma once

#include <ostream>
#include <string>

#include "platform/system.h"

namespace corvane::tools {

// A top-level window of the class (and title, when not empty), within `ms`.
bool WaitForWindow(platform::System& sys, const std::string& className, const std::string& title,
                   uint32_t ms);

// User mode in place: its window there, and the shell's taskbar hidden (the last of its steps).
bool WaitUntilLocked(platform::System& sys, uint32_t ms);

// Shift+F12 at the keyboard: the password prompt of the running user mode comes up; it is
// cancelled, and the configuration page stays hidden. Says what happened; true when all did.
bool RequestUnlock(platform::System& sys, std::ostream& out);

}  // namespace corvane::tools
