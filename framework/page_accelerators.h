// The browser control's own keys that a page of the program must not act on.
#pragma once

#include "platform/system.h"

namespace framework {

// Ctrl+N (a new window), Ctrl+O (open a file) and Ctrl+P (print) are kept from the browser
// control, and F5 (reload the page, losing what was typed) when asked.
bool IsSwallowedAccelerator(platform::System& system, const platform::Message& message,
                            bool alsoF5);

}  // namespace framework
