// The system's automatic logon, written or removed at each start of user mode.
#pragma once

#include <string>

#include "platform/registry.h"

namespace corvane {

inline constexpr const char* kWinlogonKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// Each returns 0, or the system's result of opening the Winlogon key, which is never created.
long WriteAutoLogon(platform::Registry& registry, const std::string& name,
                    const std::string& password, const std::string& domain);
long RemoveAutoLogon(platform::Registry& registry);

}  // namespace corvane
