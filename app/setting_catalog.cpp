#include "app/setting_catalog.h"

#include <span>

#include "common/hide_gui_values.h"
#include "common/lumbrel_values.h"
#include "common/root_values.h"
#include "policies/browser_policy_values.h"
#include "policies/policy_values.h"
#include "session/session_values.h"

namespace corvane {

namespace {

template <class S>
void AddTable(std::vector<CatalogValue>& catalog, const char* key, const char* tab,
              std::span<const SettingEntry<S>> table) {
    for (const SettingEntry<S>& entry : table) {
        if (entry.value == nullptr) {
            continue;
        }
        const CatalogType type = entry.flag != nullptr     ? CatalogType::Flag
                                 : entry.number != nullptr ? CatalogType::Number
                                                           : CatalogType::Text;
        std::vector<std::string> elements;
        if (entry.element != nullptr) {
            elements.emplace_back(entry.element);
        }
        catalog.push_back({key, entry.value, type, tab, std::move(elements)});
    }
}

std::vector<CatalogValue> MakeCatalog() {
    std::vector<CatalogValue> catalog;
    // The switches, each shown as the toggle button of its tab.
    const struct {
        const char* name;
        const char* button;
        const char* tab;
    } switches[] = {
        {root_value::kEnablePolicies, "ButtonEnablePolicies", "Policies"},
        {root_value::kEnableHideGUI, "ButtonEnableHideGUI", "Hide GUI"},
        {root_value::kEnableAutoLogon, "ButtonEnableAutoLogon", "Auto Logon"},
        {root_value::kEnableAutoRestart, "ButtonAutoRestart", "Auto Restart"},
        {root_value::kEnableTimers, "ButtonActivityTimer", "Timers"},
        {root_value::kEnableLumbrel, "ButtonEnableLumbrel", "Lumbrel"},
        {root_value::kUserModeLogon, "ButtonUserModeLogon", "General"},
    };
    static_assert(std::size(switches) == std::size(root_value::kSwitches));
    for (const auto& each : switches) {
        catalog.push_back({kSettingsRoot, each.name, CatalogType::Flag, each.tab, {each.button}});
    }
    catalog.push_back({kSettingsRoot, root_value::kCorvaneGui, CatalogType::Text, "General", {}});
    AddTable<LumbrelSettings>(catalog, kLumbrelKey, "Lumbrel", kLumbrelValues);
    AddTable<HideGuiSettings>(catalog, kHideGuiKey, "Hide GUI", kHideGuiValues);
    AddTable<AutoLogonSettings>(catalog, kAutoLogonKey, "Auto Logon", kAutoLogonValuesButPassword);
    AddTable<AutoRestartSettings>(catalog, kAutoRestartKey, "Auto Restart", kAutoRestartValues);
    AddTable<TimerSettings>(catalog, kTimersKey, "Timers", kTimerValues);
    for (const PolicyValue& value : kPolicyValues) {
        if (value.kind != PolicyKind::DriveMask) {
            catalog.push_back(
                {kPoliciesKey, value.name, CatalogType::Flag, "Policies", {value.name}});
            continue;
        }
        std::vector<std::string> boxes;
        for (char drive = 'A'; drive <= 'Z'; ++drive) {
            boxes.push_back(std::string("D") + drive);
        }
        catalog.push_back({kPoliciesKey, value.name, CatalogType::DriveMask, "Policies", boxes});
    }
    for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
        catalog.push_back({kPoliciesKey,
                           browserSwitch.name,
                           CatalogType::Flag,
                           "Policies",
                           {browserSwitch.name}});
    }
    return catalog;
}

}  // namespace

const std::vector<CatalogValue>& SettingCatalog() {
    static const std::vector<CatalogValue> catalog = MakeCatalog();
    return catalog;
}

}  // namespace corvane
