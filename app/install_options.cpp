#include "app/install_options.h"

#include "app/corvane_dlg.h"
#include "app/recommended_lockdown.h"
#include "app/rule_images.h"
#include "common/root_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/policies.h"

namespace corvane {

namespace {

void StoreFlag(platform::Registry& registry, const char* name, uint32_t value) {
    platform::RegistryKeyPtr key;
    if (OpenForWriting(registry, platform::Hive::LocalMachine, kSettingsRoot, key) == 0) {
        SetDWordValue(*key, name, value);
    }
}

bool StoredOn(platform::Registry& registry, const char* name) {
    return ReadDWordAt(registry, platform::Hive::LocalMachine, kSettingsRoot, name).value_or(0) !=
           0;
}

}  // namespace

InstallReport ApplyInstallOptions(platform::System& system, EventLog& log,
                                  const InstallOptions& options) {
    InstallReport report;
    platform::Registry& registry = system.registry;
    if (options.lumbrelOn) {
        StoreFlag(registry, root_value::kEnableLumbrel, 1);
    }
    if (options.startAtLogon) {
        StoreFlag(registry, root_value::kUserModeLogon, 1);
    }
    if (options.recommended) {
        const long stored = StoreRecommendedLockdown(registry);
        if (stored != platform::error::kSuccess) {
            report.ok = false;
            report.lines.push_back("the recommended lockdown could not be stored (error " +
                                   std::to_string(stored) + ")");
        } else {
            report.lines.push_back("the recommended lockdown is stored");
        }
    }
    platform::RegistryKeyPtr root;
    if (OpenForWriting(registry, platform::Hive::LocalMachine, kSettingsRoot, root) == 0) {
        SetStringValue(*root, root_value::kAppPath, options.programPath);
    }
    root.reset();

    if (StoredOn(registry, root_value::kEnableLumbrel)) {
        const HelperSwitch helper = RegisterBrowserHelper(system, 1);
        if (!helper.skipped32.empty()) {
            report.lines.push_back(helper.skipped32);
        }
        if (helper.status == 1) {
            StoreFlag(registry, root_value::kEnableLumbrel, 0);
            report.ok = false;
            report.lines.push_back("the browser helper could not be registered: Lumbrel is off");
        } else {
            report.lines.push_back("the browser helper is registered and listed for the browser");
        }
    }
    if (StoredOn(registry, root_value::kUserModeLogon)) {
        if (SetLogonStart(registry, LogonCommand(options.programPath), 1) != 0) {
            StoreFlag(registry, root_value::kUserModeLogon, 0);
            report.ok = false;
            report.lines.push_back("the start of user mode at logon could not be written");
        } else {
            report.lines.push_back("user mode starts at logon");
        }
    }
    // The machine's own policy values, which user mode may not write: now, as an administrator.
    PolicySettings policies;
    if (StoredOn(registry, root_value::kEnablePolicies) && LoadPolicySettings(registry, policies) &&
        AnyMachinePolicyTicked(policies)) {
        if (ApplyMachinePolicyValues(registry, policies)) {
            report.lines.push_back("the machine's policy values are written");
        } else {
            report.ok = false;
            report.lines.push_back("a policy value of the machine could not be written");
        }
    }
    // Lists named by imported settings are compiled now, while an administrator installs.
    LumbrelSettings lumbrel;
    platform::RegistryKeyPtr key;
    if (OpenForReading(registry, platform::Hive::LocalMachine, kLumbrelKey, key) == 0) {
        LoadSettings<LumbrelSettings>(*key, lumbrel, kLumbrelValues);
        key.reset();
        for (const std::string& path :
             CompileRuleImages(system, log, lumbrel, options.programPath)) {
            report.lines.push_back("the rule file " + path +
                                   " could not be compiled: each browser window compiles it");
        }
    }
    for (const std::string& line : report.lines) {
        log.Note("install: " + line);
    }
    return report;
}

}  // namespace corvane
