// The Policies tab: its store, its bindings and the values it puts in the user's hive.
#include <string>

#include "app/browser_url_rules.h"
#include "app/corvane_dlg.h"
#include "common/event_log.h"
#include "policies/browser_policy_values.h"
#include "policies/policies.h"

namespace corvane {

int CCorvaneDlg::ExchangePolicySettings(int save) {
    if (save != 0) {
        Exchange pull(*this, true);
        BindPolicies(pull);
        ExchangeDriveMask(1);
        return SavePolicySettings(system.registry, policies) ? 1 : 0;
    }
    const bool opened = LoadPolicySettings(system.registry, policies);
    ExchangeDriveMask(0);
    Exchange push(*this, false);
    BindPolicies(push);
    return opened ? 1 : 0;
}

void CCorvaneDlg::ExchangeDriveMask(int pack) {
    if (pack != 0) {
        policies.noDrives = PackDriveMask(policies.drives);
    } else {
        UnpackDriveMask(policies.noDrives, policies.drives);
    }
}

void CCorvaneDlg::BindPolicies(Exchange& exchange) {
    for (const PolicyValue& value : kPolicyValues) {
        if (value.field != nullptr) {
            exchange.Checkbox(value.name, policies.*value.field);
        }
    }
    for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
        exchange.Checkbox(browserSwitch.name, policies.*browserSwitch.field);
    }
    for (int n = 0; n < kDriveCount; ++n) {
        exchange.Checkbox(std::string("D") + static_cast<char>('A' + n), policies.drives[n]);
    }
}

int CCorvaneDlg::ApplyPolicies() {
    if (enablePolicies == 0) {
        return 1;
    }
    ApplyBrowserPolicies();
    return WritePolicyValues(system.registry, policies) ? 1 : 0;
}

void CCorvaneDlg::ApplyBrowserPolicies() {
    EventLog log(system);
    const BrowserUrlRules urlRules = BrowserUrlRulesFor(system.files, policies, lumbrel);
    if (!urlRules.problem.empty()) {
        log.Warn(urlRules.problem);
    }
    const BrowserUrlFilters* filters = urlRules.filters ? &*urlRules.filters : nullptr;
    if (!WriteBrowserPolicyValues(system.registry, policies, filters)) {
        log.Warn("a policy value of Edge or Chrome could not be written");
    } else if (filters != nullptr) {
        log.Note("Edge and Chrome were given the URL rules: " +
                 std::to_string(filters->blocklist.size()) + " blocking and " +
                 std::to_string(filters->allowlist.size()) + " allowing filters");
    }
}

void CCorvaneDlg::WarnOfBrowserUrlRules() {
    const BrowserUrlRules urlRules = BrowserUrlRulesFor(system.files, policies, lumbrel);
    if (!urlRules.problem.empty()) {
        system.windows.MessageBox(Handle(), urlRules.problem, app.name,
                                  platform::mb::kOk | platform::mb::kIconExclamation);
    }
}

int CCorvaneDlg::RemovePolicies() {
    DeletePolicyValues(system.registry);
    return 0;
}

}  // namespace corvane
