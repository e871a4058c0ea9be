#include "policies/browser_policies.h"

#include <iterator>

#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/browser_policy_values.h"
#include "policies/policies.h"
#include "policies/policy_records.h"

namespace corvane {

namespace {

constexpr platform::Hive kUserHive = platform::Hive::CurrentUser;
constexpr BeforeStore kUserBefore{kUserHive, kPoliciesBeforeKey};

// A record's name in the Policies Before key: the browser, a blank, the value or list.
std::string RecordName(Browser browser, const char* name) {
    return std::string(BrowserName(browser)) + " " + name;
}

std::string ListPath(Browser browser, const char* list) {
    return std::string(BrowserPolicyKey(browser)) + "\\" + list;
}

std::vector<std::string> ListEntries(Browser browser, const char* list,
                                     const PolicySettings& settings,
                                     const BrowserUrlFilters* urlRules) {
    std::vector<std::string> entries;
    const bool block = std::string_view(list) == kUrlBlocklist;
    if (block && settings.browsersBlockOwnPages != 0) {
        for (const char* page : kBrowserOwnPages) {
            entries.push_back(std::string(BrowserOwnScheme(browser)) + "://" + page);
        }
    }
    if (urlRules != nullptr) {
        const auto& more = block ? urlRules->blocklist : urlRules->allowlist;
        entries.insert(entries.end(), more.begin(), more.end());
    }
    return entries;
}

// The list key holds these entries and nothing else.
bool WriteList(platform::Registry& registry, const std::string& path,
               const std::vector<std::string>& entries) {
    platform::RegistryKeyPtr key;
    if (registry.CreateKey(kUserHive, path, platform::reg::kReadWrite, key) !=
        platform::error::kSuccess) {
        return false;
    }
    for (const std::string& name : ValueNames(*key)) {
        key->DeleteValue(name);
    }
    bool written = true;
    for (size_t i = 0; i < entries.size(); ++i) {
        written =
            SetStringValue(*key, std::to_string(i + 1), entries[i]) == platform::error::kSuccess &&
            written;
    }
    return written;
}

}  // namespace

size_t BrowserBlocklistRoom(const PolicySettings& settings) {
    return 1000 - (settings.browsersBlockOwnPages != 0 ? std::size(kBrowserOwnPages) : 0);
}

bool WriteBrowserPolicyValues(platform::Registry& registry, const PolicySettings& settings,
                              const BrowserUrlFilters* urlRules) {
    bool written = true;
    for (const Browser browser : kBrowsers) {
        const char* path = BrowserPolicyKey(browser);
        platform::RegistryKeyPtr key;
        for (const BrowserPolicyValue& value : kBrowserPolicyValues) {
            if (value.browser != browser) {
                continue;
            }
            const std::string record = RecordName(browser, value.name);
            if (settings.*value.field == 0) {
                if (key || registry.OpenKey(kUserHive, path, platform::reg::kReadWrite, key) ==
                               platform::error::kSuccess) {
                    RestoreBefore(registry, kUserBefore, *key, record, value.name);
                }
                continue;
            }
            // A value whose old state could not be kept is not written: it could never be put
            // back.
            written = (key || registry.CreateKey(kUserHive, path, platform::reg::kReadWrite, key) ==
                                  platform::error::kSuccess) &&
                      RememberBefore(registry, kUserBefore, *key, record, value.name) &&
                      SetDWordValue(*key, value.name, value.data) == platform::error::kSuccess &&
                      written;
        }
        for (const char* list : {kUrlBlocklist, kUrlAllowlist}) {
            const std::vector<std::string> entries = ListEntries(browser, list, settings, urlRules);
            const std::string record = RecordName(browser, list);
            if (entries.empty()) {
                RestoreListBefore(registry, kUserBefore, kUserHive, ListPath(browser, list),
                                  record);
                continue;
            }
            written = RememberListBefore(registry, kUserBefore, kUserHive, ListPath(browser, list),
                                         record) &&
                      WriteList(registry, ListPath(browser, list), entries) && written;
        }
        key.reset();
        DeleteEmptyKeys(registry, kUserHive, path, "Software\\Policies");
    }
    DeleteEmptyKeys(registry, kUserHive, kPoliciesBeforeKey, "Software");
    return written;
}

void DeleteBrowserPolicyValues(platform::Registry& registry) {
    for (const Browser browser : kBrowsers) {
        for (const char* list : {kUrlBlocklist, kUrlAllowlist}) {
            RestoreListBefore(registry, kUserBefore, kUserHive, ListPath(browser, list),
                              RecordName(browser, list));
        }
        platform::RegistryKeyPtr key;
        if (registry.OpenKey(kUserHive, BrowserPolicyKey(browser), platform::reg::kReadWrite,
                             key) == platform::error::kSuccess) {
            for (const BrowserPolicyValue& value : kBrowserPolicyValues) {
                if (value.browser == browser) {
                    RestoreBefore(registry, kUserBefore, *key, RecordName(browser, value.name),
                                  value.name);
                }
            }
        }
        key.reset();
        DeleteEmptyKeys(registry, kUserHive, BrowserPolicyKey(browser), "Software\\Policies");
    }
}

}  // namespace corvane
