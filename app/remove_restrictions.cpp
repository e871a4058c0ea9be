#include "app/remove_restrictions.h"

#include "app/accessibility_keys.h"
#include "app/corvane_dlg.h"
#include "common/registry_tree.h"
#include "policies/policies.h"
#include "policies/policy_values.h"
#include "session/auto_logon.h"

namespace corvane {

std::vector<std::string> RemoveCorvaneRestrictions(platform::System& system, EventLog& log) {
    std::vector<std::string> said;
    DeletePolicyValues(system.registry);
    // The keys Corvane's values made go too when nothing else is in them.
    for (const char* path : {kExplorerPolicyKey, kSystemPolicyKey, kBrowserPolicyKey}) {
        const std::string_view key = path;
        DeleteEmptyKeys(system.registry, platform::Hive::CurrentUser, path,
                        key.substr(0, key.find("\\Policies")));
    }
    said.push_back("the policy values of this user were deleted");
    const long logon = RemoveAutoLogon(system.registry);
    said.push_back(logon == 0 ? "the automatic logon was removed"
                              : "the system's logon settings could not be opened (" +
                                    std::to_string(logon) + ")");
    said.push_back(SetLogonStart(system.registry, "", 0) == 0
                       ? "user mode no longer starts at logon"
                       : "the start of user mode at logon was not there, or stays");
    const int helper = RegisterBrowserHelper(system, 0);
    said.push_back(helper == 1 ? "the browser helper could not be unregistered"
                               : "the browser helper was unlisted and unregistered");
    said.push_back(RestoreAccessibilityHotKeys(system, log)
                       ? "the accessibility hot keys are as they were"
                       : "the system refused to put an accessibility hot key back: it stays "
                         "saved under HKCU\\" +
                             std::string(kSavedAccessibilityKey));
    for (const std::string& line : said) {
        log.Note("uninstall: " + line);
    }
    return said;
}

}  // namespace corvane
