#include "session/auto_logon.h"

#include "common/settings_store.h"
#include "platform/constants.h"
#include "session/session_values.h"

namespace corvane {

namespace {

long OpenWinlogon(platform::Registry& registry, platform::RegistryKeyPtr& key) {
    return registry.OpenKey(platform::Hive::LocalMachine, kWinlogonKey, platform::reg::kReadWrite,
                            key);
}

}  // namespace

long WriteAutoLogon(platform::Registry& registry, const std::string& name,
                    const std::optional<std::string>& password, const std::string& domain) {
    platform::RegistryKeyPtr key;
    if (const long status = OpenWinlogon(registry, key)) {
        return status;
    }
    SetStringValue(*key, "DefaultUserName", name);
    if (password) {
        SetStringValue(*key, "DefaultPassword", *password);
    } else {
        key->DeleteValue("DefaultPassword");
    }
    SetStringValue(*key, "DefaultDomain", domain);
    SetStringValue(*key, "AutoAdminLogon", "1");
    SetStringValue(*key, "ForceAutoLogon", "1");
    SetStringValue(*key, "DontDisplayLastUserName", "0");
    return platform::error::kSuccess;
}

long RemoveAutoLogon(platform::Registry& registry) {
    platform::RegistryKeyPtr key;
    if (const long status = OpenWinlogon(registry, key)) {
        return status;
    }
    for (const char* name : {"DefaultUserName", "DefaultPassword", "DefaultDomain",
                             "AutoAdminLogon", "ForceAutoLogon", "DialogDelay"}) {
        key->DeleteValue(name);  // one that is not there is passed over
    }
    SetStringValue(*key, "DontDisplayLastUserName", "1");
    return platform::error::kSuccess;
}

long KeepLogonPasswordSecret(platform::System& system, const std::string& password) {
    const long stored = system.processes.StoreSecret(
        kLogonSecretName, password.empty() ? std::nullopt : std::optional<std::string>(password));
    if (stored != 0 && !(password.empty() && stored == platform::error::kFileNotFound)) {
        return stored;
    }
    // A copy left in plain text would be read by anyone at the kiosk.
    platform::RegistryKeyPtr key;
    if (OpenForWriting(system.registry, platform::Hive::LocalMachine, kAutoLogonKey, key) == 0) {
        key->DeleteValue("DefaultPassword");
    }
    if (OpenWinlogon(system.registry, key) == 0) {
        key->DeleteValue("DefaultPassword");
    }
    return platform::error::kSuccess;
}

long ForgetLogonPasswordSecret(platform::System& system) {
    const long deleted = system.processes.StoreSecret(kLogonSecretName, std::nullopt);
    return deleted == platform::error::kFileNotFound ? platform::error::kSuccess : deleted;
}

}  // namespace corvane
