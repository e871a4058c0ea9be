// libFuzzer harness of the settings import: whatever the file holds, the import either writes
// only inside Corvane's settings tree, or fails and leaves the registry exactly as it was.
//
// Input: the first byte picks a key of the tree whose values cannot be set (0: none), so that
// the writes fail part of the way through; the rest is the file, read as 8-bit text or, when it
// starts with a byte-order mark, as UTF-16.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "app/settings_import.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/sim/sim_registry.h"

namespace {

using Snapshot = std::map<std::string, std::string>;  // "key|value" -> "type:bytes"

void Take(platform::Registry& registry, const std::string& path, Snapshot& out) {
    platform::RegistryKeyPtr key;
    if (registry.OpenKey(platform::Hive::LocalMachine, path, platform::reg::kRead, key) != 0) {
        return;
    }
    out[path + "|"] = "key";
    std::string name;
    for (uint32_t i = 0; key->EnumValue(i, name) == 0; ++i) {
        platform::RawValue raw;
        corvane::QueryRawValue(*key, name, raw);
        out[path + "|" + name] =
            std::to_string(raw.type) + ":" + std::string(raw.data.begin(), raw.data.end());
    }
    for (uint32_t i = 0; key->EnumSubKey(i, name) == 0; ++i) {
        Take(registry, path + "\\" + name, out);
    }
}

Snapshot TakeAll(platform::Registry& registry) {
    Snapshot all;
    Take(registry, "Software", all);
    return all;
}

bool InTree(const std::string& entry) {
    const std::string root = corvane::kSettingsRoot;
    return entry.compare(0, root.size(), root) == 0 &&
           (entry.size() == root.size() || entry[root.size()] == '\\' || entry[root.size()] == '|');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    sim::SimRegistry registry;
    {
        platform::RegistryKeyPtr key;
        corvane::OpenForWriting(registry, platform::Hive::LocalMachine, corvane::kSettingsRoot,
                                key);
        corvane::SetDWordValue(*key, "EnablePolicies", 0);
        corvane::SetStringValue(*key, "Password", "kept");
        corvane::OpenForWriting(registry, platform::Hive::LocalMachine, "Software\\Vemtrix\\Other",
                                key);
        corvane::SetStringValue(*key, "Outside", "untouched");
    }
    static const char* const kDenied[] = {nullptr, "", "\\Lumbrel", "\\Timers", "\\HideGUI"};
    if (const char* sub = kDenied[data[0] % std::size(kDenied)]) {
        registry.DenyAccess(platform::Hive::LocalMachine, std::string(corvane::kSettingsRoot) + sub,
                            platform::reg::kSetValue);
    }
    const Snapshot before = TakeAll(registry);
    const corvane::SettingsImport imported =
        corvane::ImportSettingsExport(registry, std::span(data + 1, size - 1));
    const Snapshot after = TakeAll(registry);
    if (!imported.error.empty()) {
        if (after != before || imported.values != 0) {
            std::abort();  // a refused file must leave nothing behind
        }
        return 0;
    }
    for (const auto& [entry, value] : after) {
        const auto was = before.find(entry);
        if ((was == before.end() || was->second != value) && !InTree(entry)) {
            std::abort();  // written outside the settings tree
        }
    }
    for (const auto& [entry, value] : before) {
        if (!after.contains(entry) && !InTree(entry)) {
            std::abort();  // taken away outside it
        }
    }
    return 0;
}
