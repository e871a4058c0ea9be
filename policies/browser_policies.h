// The Edge and Chrome section of the Policies tab as operations on the registry: the values
// and lists user mode writes under each browser's policy key of the current user, and their
// removal, which puts back exactly what was there before.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "policies/policy_values.h"

namespace corvane {

// The URL rule file as the browsers' lists, already translated.
struct BrowserUrlFilters {
    std::vector<std::string> blocklist;
    std::vector<std::string> allowlist;
};

// How many filters the URL rules may add to a browser's blocklist beside its own pages.
size_t BrowserBlocklistRoom(const PolicySettings& settings);

// Writes each ticked value and the lists (the browsers' own pages when ticked, then
// `urlRules` when given) under both browsers' keys, keeping first what each held; a value or
// list Corvane wrote before that is not written now is put back as it was. False when
// something that should have been written was not.
bool WriteBrowserPolicyValues(platform::Registry& registry, const PolicySettings& settings,
                              const BrowserUrlFilters* urlRules);
// Puts back everything Corvane wrote under the browsers' keys; nothing else is touched.
void DeleteBrowserPolicyValues(platform::Registry& registry);

}  // namespace corvane
