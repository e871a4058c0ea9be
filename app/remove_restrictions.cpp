#include "app/remove_restrictions.h"

#include "app/accessibility_keys.h"
#include "app/corvane_dlg.h"
#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "common/user_hive_registry.h"
#include "platform/constants.h"
#include "policies/policies.h"
#include "policies/policy_values.h"
#include "session/auto_logon.h"

namespace corvane {

namespace {

constexpr const char* kProfileListKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";

// The policy values of the user whose hive `registry` shows as the current user's, and the keys
// they made when nothing else is in them.
void RemovePolicyValues(platform::Registry& registry) {
    DeletePolicyValues(registry);
    for (const char* path : {kExplorerPolicyKey, kSystemPolicyKey, kBrowserPolicyKey}) {
        const std::string_view key = path;
        DeleteEmptyKeys(registry, platform::Hive::CurrentUser, path,
                        key.substr(0, key.find("\\Policies")));
    }
}

// Another user's values: the policies, and hot-key flags saved for a session of theirs that is
// over (the system took its flags from the profile again at their next logon).
void RemoveProfileValues(platform::Registry& registry) {
    RemovePolicyValues(registry);
    const std::string saved = kSavedAccessibilityKey;
    const size_t slash = saved.rfind('\\');
    platform::RegistryKeyPtr parent;
    if (registry.OpenKey(platform::Hive::CurrentUser, saved.substr(0, slash),
                         platform::reg::kReadWrite | platform::reg::kDelete, parent) == 0) {
        DeleteKeyTree(registry, platform::Hive::CurrentUser, saved.substr(0, slash), *parent,
                      saved.substr(slash + 1));
        parent.reset();
        DeleteEmptyKeys(registry, platform::Hive::CurrentUser, saved.substr(0, slash), "Software");
    }
}

// Every user profile of the machine: the kiosk's account is seldom the one that uninstalls.
// A hive that is not loaded (its user is logged off) is loaded for the while.
std::vector<std::string> RemoveFromEveryProfile(platform::System& system) {
    std::vector<std::string> said;
    platform::RegistryKeyPtr list;
    if (OpenForReading(system.registry, platform::Hive::LocalMachine, kProfileListKey, list) != 0) {
        return said;
    }
    const std::vector<std::string> sids = SubKeyNames(*list);
    list.reset();
    for (const std::string& sid : sids) {
        if (!sid.starts_with("S-1-5-21-")) {
            continue;  // the system's own accounts
        }
        const auto image =
            ReadStringAt(system.registry, platform::Hive::LocalMachine,
                         std::string(kProfileListKey) + "\\" + sid, "ProfileImagePath");
        if (!image || image->empty()) {
            continue;
        }
        const std::string profile = system.processes.ExpandEnvironment(*image);
        std::string root = sid;
        platform::RegistryKeyPtr probe;
        const bool loaded =
            system.registry.OpenKey(platform::Hive::Users, sid, platform::reg::kRead, probe) == 0;
        probe.reset();
        if (!loaded) {
            root = "Corvane uninstall " + sid;
            const long status = system.registry.LoadUserHive(root, profile + "\\NTUSER.DAT");
            if (status != 0) {
                said.push_back("the profile " + profile + " could not be opened (error " +
                               std::to_string(status) + ")");
                continue;
            }
        }
        {
            UserHiveRegistry user(system.registry, root);
            RemoveProfileValues(user);
        }
        if (!loaded) {
            system.registry.UnloadUserHive(root);
        }
        said.push_back("the policy values of the profile " + profile + " were deleted");
    }
    return said;
}

}  // namespace

std::vector<std::string> RemoveCorvaneRestrictions(platform::System& system, EventLog& log) {
    std::vector<std::string> said;
    RemovePolicyValues(system.registry);
    said.push_back("the policy values of this user were deleted");
    if (const int machine = RestoreMachinePolicyValues(system.registry); machine > 0) {
        said.push_back("the machine's policy values are as they were (" + std::to_string(machine) +
                       ")");
    }
    const long logon = RemoveAutoLogon(system.registry);
    said.push_back(logon == 0 ? "the automatic logon was removed"
                              : "the system's logon settings could not be opened (" +
                                    std::to_string(logon) + ")");
    if (ReadDWordAt(system.registry, platform::Hive::LocalMachine, kAutoLogonKey,
                    "KeepPasswordSecret")
            .value_or(0) != 0) {
        const long forgot = ForgetLogonPasswordSecret(system);
        said.push_back(forgot == 0 ? "the auto logon password kept as a system secret was deleted"
                                   : "the auto logon password kept as a system secret stays (" +
                                         std::to_string(forgot) + ")");
    }
    said.push_back(SetLogonStart(system.registry, "", 0) == 0
                       ? "user mode no longer starts at logon"
                       : "the start of user mode at logon was not there, or stays");
    const HelperSwitch helper = RegisterBrowserHelper(system, 0);
    if (!helper.skipped32.empty()) {
        said.push_back(helper.skipped32);
    }
    said.push_back(helper.status == 1 ? "the browser helper could not be unregistered"
                                      : "the browser helper was unlisted and unregistered");
    said.push_back(RestoreAccessibilityHotKeys(system, log)
                       ? "the accessibility hot keys are as they were"
                       : "the system refused to put an accessibility hot key back: it stays "
                         "saved under HKCU\\" +
                             std::string(kSavedAccessibilityKey));
    for (std::string& line : RemoveFromEveryProfile(system)) {
        said.push_back(std::move(line));
    }
    for (const std::string& line : said) {
        log.Note("uninstall: " + line);
    }
    return said;
}

}  // namespace corvane
