#include "policies/policies.h"

#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/browser_policies.h"
#include "policies/browser_policy_values.h"
#include "policies/policy_records.h"

namespace corvane {

namespace {

constexpr platform::Hive kUserHive = platform::Hive::CurrentUser;
constexpr platform::Hive kMachineHive = platform::Hive::LocalMachine;
constexpr const char* kExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

// The user's keys, which user mode writes; the machine's (IsMachineWide) only the page and the
// installer write.
constexpr PolicyKey kPolicyKeys[] = {PolicyKey::Explorer, PolicyKey::Browser, PolicyKey::DevTools,
                                     PolicyKey::System, PolicyKey::PushNotifications};

constexpr BeforeStore kUserBefore{kUserHive, kPoliciesBeforeKey};
constexpr BeforeStore kMachineBefore{kMachineHive, kMachinePoliciesBeforeKey};

uint32_t WindowsValue(const PolicyValue& value, const PolicySettings& settings) {
    switch (value.kind) {
        case PolicyKind::DriveMask:
            return settings.noDrives;
        case PolicyKind::Button:
            return settings.*value.field != 0 ? 1u : 2u;
        case PolicyKind::Allow:
            return settings.*value.field != 0 ? 0u : 1u;
        case PolicyKind::Flag:
            break;
    }
    return settings.*value.field != 0 ? 1u : 0u;
}

// The keys Corvane's machine values made, once nothing is left in them; the system's own policy
// key is never taken away.
void DeleteEmptyMachineKeys(platform::Registry& registry) {
    DeleteEmptyKeys(registry, kMachineHive, kEdgeUiPolicyKey, "Software\\Policies");
    DeleteEmptyKeys(registry, kMachineHive, kMachinePoliciesBeforeKey, "Software");
}

bool Written(const PolicyValue& value, const PolicySettings& settings) {
    return !value.onlyWhenTicked || settings.*value.field != 0;
}

// A key none of whose values is written is not made, so nothing is left to clean up.
bool AnyWritten(PolicyKey target, const PolicySettings& settings) {
    for (const PolicyValue& value : kPolicyValues) {
        if (value.key == target && Written(value, settings)) {
            return true;
        }
    }
    return false;
}

}  // namespace

uint32_t PackDriveMask(const int (&drives)[kDriveCount]) {
    uint32_t mask = 0;
    for (int n = 0; n < kDriveCount; ++n) {
        if (drives[n] != 0) {
            mask |= 1u << n;
        }
    }
    return mask;
}

void UnpackDriveMask(uint32_t mask, int (&drives)[kDriveCount]) {
    for (int n = 0; n < kDriveCount; ++n) {
        if ((mask & (1u << n)) != 0) {
            drives[n] = 1;
        }
    }
}

bool LoadPolicySettings(platform::Registry& registry, PolicySettings& settings) {
    platform::RegistryKeyPtr key;
    if (OpenForReading(registry, kMachineHive, kPoliciesKey, key) != platform::error::kSuccess) {
        return false;
    }
    for (const PolicyValue& value : kPolicyValues) {
        if (value.kind == PolicyKind::DriveMask) {
            ReadFlagOrNumber(*key, value.name, settings.noDrives);
        } else {
            ReadFlagOrNumber(*key, value.name, settings.*value.field);
        }
    }
    for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
        ReadFlagOrNumber(*key, browserSwitch.name, settings.*browserSwitch.field);
    }
    return true;
}

bool SavePolicySettings(platform::Registry& registry, const PolicySettings& settings) {
    platform::RegistryKeyPtr key;
    if (OpenForSaving(registry, kPoliciesKey, key) != platform::error::kSuccess) {
        return false;
    }
    for (const PolicyValue& value : kPolicyValues) {
        if (value.kind == PolicyKind::DriveMask) {
            SetDWordValue(*key, value.name, settings.noDrives);
        } else {
            SetDWordValue(*key, value.name, settings.*value.field != 0 ? 1u : 0u);
        }
    }
    for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
        SetDWordValue(*key, browserSwitch.name, settings.*browserSwitch.field != 0 ? 1u : 0u);
    }
    return true;
}

bool WritePolicyValues(platform::Registry& registry, const PolicySettings& settings) {
    bool browserKeyWritten = false;
    for (const PolicyKey target : kPolicyKeys) {
        platform::RegistryKeyPtr key;
        if (!AnyWritten(target, settings) ||
            registry.CreateKey(kUserHive, PolicyKeyPath(target), platform::reg::kReadWrite, key) !=
                platform::error::kSuccess) {
            continue;
        }
        for (const PolicyValue& value : kPolicyValues) {
            if (value.key != target || !Written(value, settings)) {
                continue;
            }
            if (value.onlyWhenTicked) {
                RememberBefore(registry, kUserBefore, *key, value.name, WindowsValueName(value));
            }
            SetDWordValue(*key, WindowsValueName(value), WindowsValue(value, settings));
        }
        browserKeyWritten = browserKeyWritten || target == PolicyKey::Browser;
    }
    return browserKeyWritten;
}

void DeletePolicyValues(platform::Registry& registry) {
    for (const PolicyKey target : kPolicyKeys) {
        platform::RegistryKeyPtr key;
        if (registry.OpenKey(kUserHive, PolicyKeyPath(target), platform::reg::kReadWrite, key) !=
            platform::error::kSuccess) {
            continue;
        }
        for (const PolicyValue& value : kPolicyValues) {
            if (value.key != target) {
                continue;
            }
            if (value.onlyWhenTicked) {
                RestoreBefore(registry, kUserBefore, *key, value.name, WindowsValueName(value));
            } else {
                key->DeleteValue(WindowsValueName(value));
            }
        }
    }
    DeleteBrowserPolicyValues(registry);
    DeleteEmptyKeys(registry, kUserHive, kPoliciesBeforeKey, "Software");
    // The keys of the values written only when ticked go with their last value.
    for (const char* path : {kDevToolsPolicyKey, kPushNotificationsPolicyKey}) {
        DeleteEmptyKeys(registry, kUserHive, path, "Software\\Policies");
    }
}

bool ApplyMachinePolicyValues(platform::Registry& registry, const PolicySettings& settings) {
    bool written = true;
    for (const PolicyValue& value : kPolicyValues) {
        if (!IsMachineWide(value.key)) {
            continue;
        }
        const char* path = PolicyKeyPath(value.key);
        platform::RegistryKeyPtr key;
        if (settings.*value.field == 0) {
            if (registry.OpenKey(kMachineHive, path, platform::reg::kReadWrite, key) ==
                platform::error::kSuccess) {
                RestoreBefore(registry, kMachineBefore, *key, value.name, WindowsValueName(value));
            }
            continue;
        }
        // A value whose old state could not be kept is not written: it could never be put back.
        written =
            registry.CreateKey(kMachineHive, path, platform::reg::kReadWrite, key) ==
                platform::error::kSuccess &&
            RememberBefore(registry, kMachineBefore, *key, value.name, WindowsValueName(value)) &&
            SetDWordValue(*key, WindowsValueName(value), WindowsValue(value, settings)) ==
                platform::error::kSuccess &&
            written;
    }
    DeleteEmptyMachineKeys(registry);
    return written;
}

bool AnyMachinePolicyTicked(const PolicySettings& settings) {
    for (const PolicyValue& value : kPolicyValues) {
        if (IsMachineWide(value.key) && settings.*value.field != 0) {
            return true;
        }
    }
    return false;
}

int RestoreMachinePolicyValues(platform::Registry& registry) {
    int restored = 0;
    for (const PolicyValue& value : kPolicyValues) {
        platform::RegistryKeyPtr key;
        if (IsMachineWide(value.key) &&
            registry.OpenKey(kMachineHive, PolicyKeyPath(value.key), platform::reg::kReadWrite,
                             key) == platform::error::kSuccess) {
            restored +=
                RestoreBefore(registry, kMachineBefore, *key, value.name, WindowsValueName(value))
                    ? 1
                    : 0;
        }
    }
    DeleteEmptyMachineKeys(registry);
    return restored;
}

std::optional<int> RemoveBrowserExtensions(platform::Registry& registry) {
    platform::RegistryKeyPtr key;
    if (registry.OpenKey(kMachineHive, kExtensionsKey, platform::reg::kReadWrite, key) !=
        platform::error::kSuccess) {
        return std::nullopt;
    }
    const std::vector<std::string> extensions = SubKeyNames(*key);
    for (const std::string& name : extensions) {
        DeleteKeyTree(registry, kMachineHive, kExtensionsKey, *key, name);
    }
    return static_cast<int>(extensions.size());
}

}  // namespace corvane
