// What a policy value held before Corvane first wrote it, kept so that taking Corvane's
// restrictions away puts back exactly that and touches nothing else.
#pragma once

#include <string>
#include <string_view>

#include "platform/registry.h"

namespace corvane {

// Where the records are kept: beside the policy keys, in the user's hive or the machine's.
struct BeforeStore {
    platform::Hive hive;
    const char* path;
};

// Keeps what `windowsName` of `policyKey` holds, as the value `name` of the store (an empty
// REG_NONE when there is none); a record an earlier start kept (one that ended without taking
// its values away) is the original and stays.
bool RememberBefore(platform::Registry& registry, const BeforeStore& store,
                    const platform::RegistryKey& policyKey, std::string_view name,
                    std::string_view windowsName);
// Puts the value back as recorded and drops the record; one Corvane never wrote stays. True
// when a record was put back.
bool RestoreBefore(platform::Registry& registry, const BeforeStore& store,
                   platform::RegistryKey& policyKey, std::string_view name,
                   std::string_view windowsName);

// The same for a whole list key (values "1", "2", ...), kept as the sub-key `name` of the store
// with a copy of every value; an empty sub-key when there was no list.
bool RememberListBefore(platform::Registry& registry, const BeforeStore& store, platform::Hive hive,
                        const std::string& listPath, std::string_view name);
bool RestoreListBefore(platform::Registry& registry, const BeforeStore& store, platform::Hive hive,
                       const std::string& listPath, std::string_view name);

}  // namespace corvane
