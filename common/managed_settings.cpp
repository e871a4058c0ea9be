#include "common/managed_settings.h"

#include <algorithm>

#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

namespace error = platform::error;

namespace {

// Per thread: each program's readers run on its main thread, and the sim runs several
// programs in one process, each on a thread of its own.
struct Reporter {
    std::function<void(const std::string&)> report;
    std::set<std::string> reported;
};

Reporter& TheReporter() {
    thread_local Reporter reporter;
    return reporter;
}

// Every name of `key`, then those of `other` it does not have.
std::vector<std::string> Union(const platform::RegistryKey* first,
                               const platform::RegistryKey* second, bool values) {
    std::vector<std::string> names;
    for (const platform::RegistryKey* key : {first, second}) {
        if (key == nullptr) {
            continue;
        }
        for (std::string& name : values ? ValueNames(*key) : SubKeyNames(*key)) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(std::move(name));
            }
        }
    }
    return names;
}

long NameAt(const std::vector<std::string>& names, uint32_t index, std::string& name) {
    if (index >= names.size()) {
        return error::kNoMoreItems;
    }
    name = names[index];
    return error::kSuccess;
}

}  // namespace

std::optional<std::string> ManagedPathOf(std::string_view path) {
    const std::string_view root = kSettingsRoot;
    if (path == root) {
        return std::string(kManagedRoot);
    }
    if (path.size() > root.size() && path.starts_with(root) && path[root.size()] == '\\') {
        return std::string(kManagedRoot) + std::string(path.substr(root.size()));
    }
    return std::nullopt;
}

long ManagedOverlayKey::QueryValue(std::string_view name, uint32_t capacity,
                                   platform::RawValue& out) const {
    const long managed = managed_->QueryValue(name, capacity, out);
    if (managed != error::kFileNotFound || local_ == nullptr) {
        return managed;
    }
    return local_->QueryValue(name, capacity, out);
}

long ManagedOverlayKey::Read(std::string_view name,
                             const std::function<long(const platform::RegistryKey&)>& read) const {
    const long managed = read(*managed_);
    if (managed == error::kSuccess) {
        return managed;
    }
    if (managed != error::kFileNotFound) {
        ReportMalformedManagedValue(path_, name);
    }
    return local_ != nullptr ? read(*local_) : error::kFileNotFound;
}

long ManagedOverlayKey::SetValue(std::string_view, uint32_t, std::span<const uint8_t>) {
    return error::kAccessDenied;
}

long ManagedOverlayKey::DeleteValue(std::string_view) {
    return error::kAccessDenied;
}

long ManagedOverlayKey::DeleteSubKey(std::string_view) {
    return error::kAccessDenied;
}

long ManagedOverlayKey::EnumSubKey(uint32_t index, std::string& name) const {
    return NameAt(Union(managed_.get(), local_.get(), false), index, name);
}

long ManagedOverlayKey::EnumValue(uint32_t index, std::string& name) const {
    return NameAt(Union(managed_.get(), local_.get(), true), index, name);
}

long ManagedSkippingKey::SetValue(std::string_view name, uint32_t type,
                                  std::span<const uint8_t> data) {
    return Managed(name) ? error::kSuccess : local_->SetValue(name, type, data);
}

long ManagedSkippingKey::DeleteValue(std::string_view name) {
    return Managed(name) ? error::kSuccess : local_->DeleteValue(name);
}

void SetManagedProblemReporter(std::function<void(const std::string&)> reporter) {
    TheReporter().report = std::move(reporter);  // what was reported stays reported
}

void ReportMalformedManagedValue(std::string_view path, std::string_view name) {
    Reporter& the = TheReporter();
    const std::string where =
        "HKLM\\" + ManagedPathOf(path).value_or(std::string(path)) + "\\" + std::string(name);
    if (the.report && the.reported.insert(where).second) {
        the.report("the managed value " + where +
                   " is malformed (wrong type or size) and was ignored; the local value holds");
    }
}

namespace {

void AppendKey(platform::Registry& registry, const std::string& path, std::string& snapshot,
               int depth) {
    platform::RegistryKeyPtr key;
    if (depth > 4 || registry.OpenKey(platform::Hive::LocalMachine, path, platform::reg::kRead,
                                      key) != error::kSuccess) {
        return;
    }
    snapshot += "[" + path + "]\n";
    for (const std::string& name : ValueNames(*key)) {
        platform::RawValue value;
        if (QueryRawValue(*key, name, value) == error::kSuccess) {
            snapshot += name + "=" + std::to_string(value.type) + ":" +
                        std::string(value.data.begin(), value.data.end()) + "\n";
        }
    }
    for (const std::string& child : SubKeyNames(*key)) {
        AppendKey(registry, path + "\\" + child, snapshot, depth + 1);
    }
}

}  // namespace

std::string ManagedSnapshot(platform::Registry& registry) {
    std::string snapshot;
    AppendKey(registry, kManagedRoot, snapshot, 0);
    return snapshot;
}

std::set<std::string> ManagedValueNames(platform::Registry& registry, std::string_view path) {
    std::set<std::string> names;
    platform::RegistryKeyPtr key;
    const std::optional<std::string> managed = ManagedPathOf(path);
    if (managed && registry.OpenKey(platform::Hive::LocalMachine, *managed, platform::reg::kRead,
                                    key) == error::kSuccess) {
        for (std::string& name : ValueNames(*key)) {
            names.insert(std::move(name));
        }
    }
    return names;
}

}  // namespace corvane
