#include "app/command_line.h"

#include <string_view>

#include "app/command_ids.h"
#include "platform/text.h"

namespace corvane {

namespace {

// A test of the first n characters; a shorter switch is compared whole.
bool StartsWith(std::string_view text, std::string_view prefix, size_t n) {
    return text.substr(0, n) == prefix.substr(0, n);
}

}  // namespace

void ParseSwitches(const std::vector<std::string>& args, CommandLineOptions& options) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || (arg[0] != '-' && arg[0] != '/')) {
            continue;
        }
        const std::string sw = platform::AsciiLower(std::string_view(arg).substr(1));
        if (StartsWith(sw, "user", 4)) {
            options.userMode = 1;
        }
        if (StartsWith(sw, "u", 1)) {
            options.userMode = 1;
        }
        if (StartsWith(sw, "h", 1)) {
            options.commandId = ID_SWITCH_H;
        }
        if (StartsWith(sw, "s", 1)) {
            options.commandId = ID_SWITCH_S;
        }
        if (StartsWith(sw, "q", 1)) {
            options.commandId = ID_SWITCH_Q;
        }
        if (StartsWith(sw, "d", 1)) {
            options.commandId = ID_SWITCH_D;
        }
        if (StartsWith(sw, "e", 1)) {
            options.commandId = ID_SWITCH_E;
        }
        if (StartsWith(sw, "ke", 2)) {
            options.commandId = ID_SWITCH_KE;
        }
        // Three characters against the two of "kd" and its end: only "kd" itself matches.
        if (sw == "kd") {
            options.commandId = ID_SWITCH_KD;
        }
        if (StartsWith(sw, "lnk", 3)) {
            options.shortcutPath = sw.size() > 4 ? sw.substr(4) : std::string();
        }
    }
}

}  // namespace corvane
