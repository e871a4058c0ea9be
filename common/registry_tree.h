// Whole registry trees: listing a key's sub-keys and deleting a sub-key with everything below.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace corvane {

std::vector<std::string> SubKeyNames(const platform::RegistryKey& key);
std::vector<std::string> ValueNames(const platform::RegistryKey& key);

// Deletes the sub-key `name` of `parent`, which is open at `parentPath` in `hive`, its own
// sub-keys first. Returns the status of deleting `name` itself.
long DeleteKeyTree(platform::Registry& registry, platform::Hive hive, const std::string& parentPath,
                   platform::RegistryKey& parent, const std::string& name);

// Deletes the key at `path` (below the hive's root) with everything below it.
void DeleteKeyTreeAt(platform::Registry& registry, platform::Hive hive, const std::string& path);

// Deletes the key at `path` when it holds neither values nor sub-keys, then each parent that is
// left empty in turn, up to but not including `floor` (a prefix of `path`). A key that cannot
// be read, or holds anything, ends the walk.
void DeleteEmptyKeys(platform::Registry& registry, platform::Hive hive, std::string path,
                     std::string_view floor);

}  // namespace corvane
