#include "policies/policy_records.h"

#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

namespace {

std::string RecordPath(const BeforeStore& store, std::string_view name) {
    return std::string(store.path) + "\\" + std::string(name);
}

// Copies every value of `from` into `to`; false at the first that cannot be copied.
bool CopyValues(const platform::RegistryKey& from, platform::RegistryKey& to) {
    for (const std::string& name : ValueNames(from)) {
        platform::RawValue value;
        if (QueryRawValue(from, name, value) != platform::error::kSuccess ||
            to.SetValue(name, value.type, value.data) != platform::error::kSuccess) {
            return false;
        }
    }
    return true;
}

}  // namespace

// Keeps what the value held before Corvane first writes it, by the value's stored name; a copy
// kept by an earlier start (one that ended without taking its values away) is the original and
// stays.
bool RememberBefore(platform::Registry& registry, const BeforeStore& store,
                    const platform::RegistryKey& policyKey, std::string_view name,
                    std::string_view windowsName) {
    platform::RegistryKeyPtr before;
    if (registry.CreateKey(store.hive, store.path, platform::reg::kReadWrite, before) !=
        platform::error::kSuccess) {
        return false;
    }
    platform::RawValue kept;
    if (QueryRawValue(*before, name, kept) == platform::error::kSuccess) {
        return true;
    }
    platform::RawValue old;
    if (QueryRawValue(policyKey, windowsName, old) != platform::error::kSuccess) {
        old = {platform::reg::kNone, 0, {}};  // there was none
    }
    return before->SetValue(name, old.type, old.data) == platform::error::kSuccess;
}

// Puts the value back as it was before Corvane wrote it; one Corvane never wrote stays.
// True when a kept value was put back.
bool RestoreBefore(platform::Registry& registry, const BeforeStore& store,
                   platform::RegistryKey& policyKey, std::string_view name,
                   std::string_view windowsName) {
    platform::RegistryKeyPtr before;
    if (registry.OpenKey(store.hive, store.path, platform::reg::kReadWrite, before) !=
        platform::error::kSuccess) {
        return false;
    }
    platform::RawValue old;
    if (QueryRawValue(*before, name, old) != platform::error::kSuccess) {
        return false;
    }
    const long restored = old.type == platform::reg::kNone && old.data.empty()
                              ? policyKey.DeleteValue(windowsName)
                              : policyKey.SetValue(windowsName, old.type, old.data);
    if (restored != platform::error::kSuccess && restored != platform::error::kFileNotFound) {
        return false;
    }
    before->DeleteValue(name);
    return true;
}

bool RememberListBefore(platform::Registry& registry, const BeforeStore& store, platform::Hive hive,
                        const std::string& listPath, std::string_view name) {
    const std::string recordPath = RecordPath(store, name);
    platform::RegistryKeyPtr record;
    if (registry.OpenKey(store.hive, recordPath, platform::reg::kRead, record) ==
        platform::error::kSuccess) {
        return true;
    }
    if (registry.CreateKey(store.hive, recordPath, platform::reg::kReadWrite, record) !=
        platform::error::kSuccess) {
        return false;
    }
    platform::RegistryKeyPtr list;
    if (registry.OpenKey(hive, listPath, platform::reg::kRead, list) == platform::error::kSuccess &&
        !CopyValues(*list, *record)) {
        record.reset();
        DeleteKeyTreeAt(registry, store.hive, recordPath);  // half a copy is no record
        return false;
    }
    return true;
}

bool RestoreListBefore(platform::Registry& registry, const BeforeStore& store, platform::Hive hive,
                       const std::string& listPath, std::string_view name) {
    const std::string recordPath = RecordPath(store, name);
    platform::RegistryKeyPtr record;
    if (registry.OpenKey(store.hive, recordPath, platform::reg::kRead, record) !=
        platform::error::kSuccess) {
        return false;
    }
    DeleteKeyTreeAt(registry, hive, listPath);
    if (!ValueNames(*record).empty()) {
        platform::RegistryKeyPtr list;
        if (registry.CreateKey(hive, listPath, platform::reg::kReadWrite, list) !=
                platform::error::kSuccess ||
            !CopyValues(*record, *list)) {
            return false;  // the record stays for the next try
        }
    }
    record.reset();
    DeleteKeyTreeAt(registry, store.hive, recordPath);
    return true;
}

}  // namespace corvane
