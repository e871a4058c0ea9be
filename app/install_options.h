// What the installer asks of an installed Corvane: the options of its command line, and the
// machine brought in line with the stored switches that reach outside the settings tree.
#pragma once

#include <string>
#include <vector>

#include "common/event_log.h"
#include "platform/system.h"

namespace corvane {

struct InstallOptions {
    bool lumbrelOn = false;     // switch the browser helper on
    bool startAtLogon = false;  // start user mode at every logon
    std::string programPath;    // the installed Corvane.exe
    bool recommended = false;   // store the recommended lockdown
};

struct InstallReport {
    std::vector<std::string> lines;  // what each step came to
    bool ok = true;                  // false when a switch asked for could not be put in place
};

// Stores the switches asked for and the program's path, then does what the stored switches
// say, whether they came from the options, an imported settings file or an older install: the
// browser helper registered and listed (both builds, when the i686 one is installed), and the
// start at logon written with the installed program. A switch whose step fails is stored off,
// as the configuration page leaves it.
InstallReport ApplyInstallOptions(platform::System& system, EventLog& log,
                                  const InstallOptions& options);

}  // namespace corvane
