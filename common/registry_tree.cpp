#include "common/registry_tree.h"

#include "platform/constants.h"

namespace corvane {

namespace {

// The registry nests no deeper than this; a deeper tree is left, not recursed into.
constexpr int kMaxKeyDepth = 512;

long DeleteTreeAt(platform::Registry& registry, platform::Hive hive, const std::string& parentPath,
                  platform::RegistryKey& parent, const std::string& name, int depth) {
    const std::string path = parentPath.empty() ? name : parentPath + "\\" + name;
    if (depth < kMaxKeyDepth) {
        platform::RegistryKeyPtr key;
        if (registry.OpenKey(hive, path, platform::reg::kReadWrite, key) ==
            platform::error::kSuccess) {
            for (const std::string& child : SubKeyNames(*key)) {
                DeleteTreeAt(registry, hive, path, *key, child, depth + 1);
            }
        }
    }
    return parent.DeleteSubKey(name);
}

}  // namespace

std::vector<std::string> SubKeyNames(const platform::RegistryKey& key) {
    std::vector<std::string> names;
    std::string name;
    for (uint32_t index = 0; key.EnumSubKey(index, name) == platform::error::kSuccess; ++index) {
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> ValueNames(const platform::RegistryKey& key) {
    std::vector<std::string> names;
    std::string name;
    for (uint32_t index = 0; key.EnumValue(index, name) == platform::error::kSuccess; ++index) {
        names.push_back(name);
    }
    return names;
}

void DeleteKeyTreeAt(platform::Registry& registry, platform::Hive hive, const std::string& path) {
    const size_t cut = path.rfind('\\');
    platform::RegistryKeyPtr parent;
    if (cut != std::string::npos &&
        registry.OpenKey(hive, path.substr(0, cut), platform::reg::kReadWrite, parent) ==
            platform::error::kSuccess) {
        DeleteKeyTree(registry, hive, path.substr(0, cut), *parent, path.substr(cut + 1));
    }
}

long DeleteKeyTree(platform::Registry& registry, platform::Hive hive, const std::string& parentPath,
                   platform::RegistryKey& parent, const std::string& name) {
    return DeleteTreeAt(registry, hive, parentPath, parent, name, 1);
}

void DeleteEmptyKeys(platform::Registry& registry, platform::Hive hive, std::string path,
                     std::string_view floor) {
    while (path.size() > floor.size() && path.starts_with(floor)) {
        platform::RegistryKeyPtr key;
        if (registry.OpenKey(hive, path, platform::reg::kRead, key) != platform::error::kSuccess) {
            return;
        }
        std::string name;
        if (key->EnumSubKey(0, name) != platform::error::kNoMoreItems ||
            key->EnumValue(0, name) != platform::error::kNoMoreItems) {
            return;
        }
        key.reset();
        const size_t slash = path.rfind('\\');
        const std::string parentPath = slash == std::string::npos ? "" : path.substr(0, slash);
        platform::RegistryKeyPtr parent;
        if (registry.OpenKey(hive, parentPath, platform::reg::kReadWrite, parent) !=
                platform::error::kSuccess ||
            parent->DeleteSubKey(path.substr(slash + 1)) != platform::error::kSuccess) {
            return;
        }
        path = parentPath;
    }
}

}  // namespace corvane
