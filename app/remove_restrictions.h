// What an uninstall takes away from a machine, for the installer: the restrictions Corvane
// wrote, never the administrator's settings tree.
#pragma once

#include <string>
#include <vector>

#include "common/event_log.h"
#include "platform/system.h"

namespace corvane {

// Deletes the user's policy values, the automatic logon and the start of user mode at logon,
// unlists and unregisters the browser helper, and puts back the accessibility hot keys; then
// deletes the policy values (and saved hot-key flags) in every user profile of the machine,
// loading the hive of a user who is logged off. Each step runs whatever the others did; the
// lines say what each came to.
std::vector<std::string> RemoveCorvaneRestrictions(platform::System& system, EventLog& log);

}  // namespace corvane
