// Whole registry trees: listing a key's sub-keys and deleting a sub-key with everything below.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace corvane {

std::vector<std::string> SubKeyNames(const platform::RegistryKey& key);

// Deletes the sub-key `name` of `parent`, which is open at `parentPath` in `hive`, its own
// sub-keys first. Returns the status of deleting `name` itself.
long DeleteKeyTree(platform::Registry& registry, platform::Hive hive, const std::string& parentPath,
                   platform::RegistryKey& parent, const std::string& name);

}  // namespace corvane
