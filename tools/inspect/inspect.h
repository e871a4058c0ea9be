#pragma once

#include <string>

#include "platform/system.h"

namespace corvane::tools {

// A readable account of Corvane's windows and root settings.
std::string Describe(platform::System& sys);

// Sends the page's exit button, as its command, to a running Corvane's window; false when
// there is none.
bool SendExitUserMode(platform::System& sys);

}  // namespace corvane::tools
