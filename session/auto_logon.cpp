#include "session/auto_logon.h"

#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

namespace {

long OpenWinlogon(platform::Registry& registry, platform::RegistryKeyPtr& key) {
    return registry.OpenKey(platform::Hive::LocalMachine, kWinlogonKey, platform::reg::kReadWrite,
                            key);
}

}  // namespace

long WriteAutoLogon(platform::Registry& registry, const std::string& name,
                    const std::string& password, const std::string& domain) {
    platform::RegistryKeyPtr key;
    if (const long status = OpenWinlogon(registry, key)) {
        return status;
    }
    SetStringValue(*key, "DefaultUserName", name);
    SetStringValue(*key, "DefaultPassword", password);
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

}  // namespace corvane
