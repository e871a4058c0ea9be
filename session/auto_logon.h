// The system's automatic logon, written or removed at each start of user mode.
#pragma once

#include <optional>
#include <string>

#include "platform/registry.h"
#include "platform/system.h"

namespace corvane {

inline constexpr const char* kWinlogonKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";

// The LSA secret the logon screen takes the password from before Winlogon's value.
inline constexpr const char* kLogonSecretName = "DefaultPassword";

// Each returns 0, or the system's result of opening the Winlogon key, which is never created.
// With no password (it is a system secret), Winlogon's own copy is deleted instead.
long WriteAutoLogon(platform::Registry& registry, const std::string& name,
                    const std::optional<std::string>& password, const std::string& domain);
long RemoveAutoLogon(platform::Registry& registry);

// Stores the password as the system secret (deletes the secret when it is empty) and takes the
// plain copies away: the settings tree's and Winlogon's. 0, or the system's error storing it,
// and then nothing was changed.
long KeepLogonPasswordSecret(platform::System& system, const std::string& password);
// Deletes the secret KeepLogonPasswordSecret stored: 0 also when it was not there.
long ForgetLogonPasswordSecret(platform::System& system);

}  // namespace corvane
