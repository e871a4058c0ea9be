#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/res/resource.h"
#include "common/event_log.h"
#include "common/root_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/policies.h"

namespace corvane {

namespace {

constexpr platform::Hive kHive = platform::Hive::LocalMachine;
constexpr uint32_t kRootTextChars = 260;

}  // namespace

int CCorvaneDlg::ExchangeSettings(int save) {
    platform::RegistryKeyPtr probe;
    long status = OpenForReading(system.registry, kHive, kSettingsRoot, probe);
    if (status == platform::error::kFileNotFound) {
        status = OpenForWriting(system.registry, kHive, kSettingsRoot, probe);
        if (status != platform::error::kSuccess) {
            MessageBox(IDS_REGISTRY_OPEN_FAILED, platform::mb::kOk);
            return 0;
        }
    }
    probe.reset();

    // The root values in this order, in both directions.
    // The root's switches, in its table's order, and the fields that hold them.
    int* const fields[] = {&enablePolicies, &enableHideGUI, &enableAutoLogon, &enableAutoRestart,
                           &enableTimers,   &enableLumbrel, &userModeLogon};
    static_assert(std::size(fields) == std::size(root_value::kSwitches));

    if (save == 1) {
        Exchange pull(*this, true);
        BindRoot(pull);
        appPath = system.processes.ModulePath();
        platform::RegistryKeyPtr key;
        if (OpenForSaving(system.registry, kSettingsRoot, key) == platform::error::kSuccess) {
            for (size_t i = 0; i < std::size(fields); ++i) {
                SetDWordValue(*key, root_value::kSwitches[i], *fields[i] != 0 ? 1u : 0u);
            }
            SetStringValue(*key, root_value::kAppPath, appPath);
        }
    } else {
        platform::RegistryKeyPtr key;
        if (OpenForReading(system.registry, kHive, kSettingsRoot, key) ==
            platform::error::kSuccess) {
            for (size_t i = 0; i < std::size(fields); ++i) {
                ReadFlagOrNumber(*key, root_value::kSwitches[i], *fields[i]);
            }
            ReadText(*key, root_value::kCorvaneGui, guiPage, kRootTextChars);
            ReadText(*key, root_value::kAppPath, appPath, kRootTextChars);
            key.reset();
            Exchange push(*this, false);
            BindRoot(push);
        }
    }

    // Each feature's sub-key, in this order.
    ExchangePolicySettings(save);
    ExchangeHideGUISettings(save);
    ExchangeLumbrelSettings(save);
    ExchangeAutoLogonSettings(save);
    ExchangeAutoRestartSettings(save);
    ExchangeTimerSettings(save);
    // In a running kiosk what was saved is put in place at once: after Remove Restrictions,
    // Apply and OK bring the policy values back, as the page promises.
    if (save == 1 && theApp_.userMode != 0 && enablePolicies != 0) {
        EventLog(system).Note(
            ApplyPolicies() == 1 ? "settings saved: the policies were written again"
                                 : "settings saved: the browser's policy key could not be written");
    }
    if (save == 1 && enablePolicies != 0) {
        WarnOfBrowserUrlRules();
    }
    // The machine's own policy values need an administrator: only the page outside a kiosk
    // writes them, never user mode.
    if (save == 1 && theApp_.userMode == 0) {
        if (enablePolicies == 0) {
            RestoreMachinePolicyValues(system.registry);
        } else if (!ApplyMachinePolicyValues(system.registry, policies)) {
            EventLog(system).Warn("settings saved: a policy value of the machine was not written");
            MessageBox(IDS_MACHINE_POLICIES_FAILED,
                       platform::mb::kOk | platform::mb::kIconExclamation);
        }
    }
    return 1;
}

void CCorvaneDlg::BindRoot(Exchange& exchange) {
    exchange.InnerText("currentversions", versionText);
}

}  // namespace corvane
