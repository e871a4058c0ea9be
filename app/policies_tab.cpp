// The Policies tab: its store, its bindings and the values it puts in the user's hive.
#include <string>

#include "app/corvane_dlg.h"
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
    for (int n = 0; n < kDriveCount; ++n) {
        exchange.Checkbox(std::string("D") + static_cast<char>('A' + n), policies.drives[n]);
    }
}

int CCorvaneDlg::ApplyPolicies() {
    if (enablePolicies == 0) {
        return 1;
    }
    return WritePolicyValues(system.registry, policies) ? 1 : 0;
}

int CCorvaneDlg::RemovePolicies() {
    DeletePolicyValues(system.registry);
    return 0;
}

}  // namespace corvane
