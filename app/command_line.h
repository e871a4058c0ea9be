// The main program's switches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

struct CommandLineOptions {
    int userMode = 0;
    uint32_t commandId = 0;
    std::string shortcutPath;
    uint32_t guardOf = 0;     // "/guard:PID": run as the guard of user mode PID
    uint32_t guardianId = 0;  // "/guardian:PID": the guard PID started this user mode
};

// Reads the arguments after the program's own name: switches begin with "-" or "/", are
// compared in lower case, and a later switch overrides an earlier command or path.
void ParseSwitches(const std::vector<std::string>& args, CommandLineOptions& options);

}  // namespace corvane
