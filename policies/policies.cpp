#include "policies/policies.h"

#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

namespace {

constexpr platform::Hive kUserHive = platform::Hive::CurrentUser;
constexpr platform::Hive kMachineHive = platform::Hive::LocalMachine;
constexpr const char* kExtensionsKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

constexpr PolicyKey kPolicyKeys[] = {PolicyKey::Explorer, PolicyKey::Browser, PolicyKey::DevTools,
                                     PolicyKey::System};

uint32_t WindowsValue(const PolicyValue& value, const PolicySettings& settings) {
    switch (value.kind) {
        case PolicyKind::DriveMask:
            return settings.noDrives;
        case PolicyKind::Button:
            return settings.*value.field != 0 ? 1u : 2u;
        case PolicyKind::Flag:
            break;
    }
    return settings.*value.field != 0 ? 1u : 0u;
}

// Keeps what the value held before Corvane first writes it, by the value's stored name; a copy
// kept by an earlier start (one that ended without taking its values away) is the original and
// stays.
void RememberBefore(platform::Registry& registry, const platform::RegistryKey& policyKey,
                    const PolicyValue& value) {
    const char* name = value.name;
    platform::RegistryKeyPtr before;
    if (registry.CreateKey(kUserHive, kPoliciesBeforeKey, platform::reg::kReadWrite, before) !=
        platform::error::kSuccess) {
        return;
    }
    platform::RawValue kept;
    if (QueryRawValue(*before, name, kept) == platform::error::kSuccess) {
        return;
    }
    platform::RawValue old;
    if (QueryRawValue(policyKey, WindowsValueName(value), old) != platform::error::kSuccess) {
        old = {platform::reg::kNone, 0, {}};  // there was none
    }
    before->SetValue(name, old.type, old.data);
}

// Puts the value back as it was before Corvane wrote it; one Corvane never wrote stays.
void RestoreBefore(platform::Registry& registry, platform::RegistryKey& policyKey,
                   const PolicyValue& value) {
    const char* name = value.name;
    platform::RegistryKeyPtr before;
    if (registry.OpenKey(kUserHive, kPoliciesBeforeKey, platform::reg::kReadWrite, before) !=
        platform::error::kSuccess) {
        return;
    }
    platform::RawValue old;
    if (QueryRawValue(*before, name, old) != platform::error::kSuccess) {
        return;
    }
    const long restored = old.type == platform::reg::kNone && old.data.empty()
                              ? policyKey.DeleteValue(WindowsValueName(value))
                              : policyKey.SetValue(WindowsValueName(value), old.type, old.data);
    if (restored == platform::error::kSuccess || restored == platform::error::kFileNotFound) {
        before->DeleteValue(name);
    }
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
    return true;
}

bool SavePolicySettings(platform::Registry& registry, const PolicySettings& settings) {
    platform::RegistryKeyPtr key;
    if (OpenForWriting(registry, kMachineHive, kPoliciesKey, key) != platform::error::kSuccess) {
        return false;
    }
    for (const PolicyValue& value : kPolicyValues) {
        if (value.kind == PolicyKind::DriveMask) {
            SetDWordValue(*key, value.name, settings.noDrives);
        } else {
            SetDWordValue(*key, value.name, settings.*value.field != 0 ? 1u : 0u);
        }
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
                RememberBefore(registry, *key, value);
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
                RestoreBefore(registry, *key, value);
            } else {
                key->DeleteValue(WindowsValueName(value));
            }
        }
    }
    DeleteEmptyKeys(registry, kUserHive, kPoliciesBeforeKey, "Software");
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
