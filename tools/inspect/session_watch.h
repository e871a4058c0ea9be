#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "platform/system.h"

namespace corvane::tools {

// Follows a running user mode's short session from outside, as a user at the kiosk would: the
// program of the auto-restart folder whose window has `programTitle` is killed and comes back,
// the warning page is confirmed, the final page is closed, the program's window is closed with
// the session and the program comes back again. Says what it sees as it goes; true when all of
// it happened within `timeoutMs`.
bool WatchSession(platform::System& sys, std::ostream& out, const std::string& programTitle,
                  uint32_t timeoutMs);

}  // namespace corvane::tools
