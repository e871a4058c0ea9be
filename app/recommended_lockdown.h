// One recommended lockdown for a public terminal: the key and mouse rules, the hardening keys,
// the Windows security options, the accessibility hot keys and the browser's own rules, ticked
// at once. The administrator's own choices (pages, lists, timers, the logon, the programs kept
// running, the bars) are left as they are.
#pragma once

#include <span>
#include <string>

#include "common/hide_gui_values.h"
#include "common/lumbrel_values.h"
#include "platform/registry.h"
#include "policies/policy_values.h"

namespace corvane {

enum class LockdownTab { HideGui, Policies, Lumbrel };

struct LockdownItem {
    LockdownTab tab;
    const char* value;  // the stored value and checkbox
    const char* label;  // as the page shows it
};

std::span<const LockdownItem> RecommendedLockdown();
// The sub-key of the settings tree that holds a tab's items.
const char* LockdownKey(LockdownTab tab);

// Everything the recommended lockdown changes on the page.
struct LockdownTarget {
    HideGuiSettings& hideGui;
    PolicySettings& policies;
    LumbrelSettings& lumbrel;
    int& enableHideGui;
    int& enablePolicies;
};

// Ticks every item and switches Hide GUI and Policies on; returns how many items were ticked.
int ApplyRecommendedLockdown(const LockdownTarget& target);

// The confirmation's text: every item it ticks, by tab.
std::string RecommendedLockdownSummary();

// The same on the stored tree, for the installer's /RECOMMENDED: every other stored value
// stays as it is. 0, or the first registry error.
long StoreRecommendedLockdown(platform::Registry& registry);

}  // namespace corvane
