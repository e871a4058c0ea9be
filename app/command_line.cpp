#include "app/command_line.h"

#include <string_view>

#include "common/command_ids.h"
#include "platform/text.h"

namespace corvane {

namespace {

// A test of the first n characters; a shorter switch is compared whole.
bool StartsWith(std::string_view text, std::string_view prefix, size_t n) {
    return text.substr(0, n) == prefix.substr(0, n);
}

struct CommandRule {
    std::string_view prefix;
    size_t length;
    uint32_t commandId;
};

// In the order they are tested. "kd" is tested on three characters, so only the whole switch
// "kd" matches it.
constexpr CommandRule kCommandRules[] = {
    {"h", 1, ID_SWITCH_H}, {"s", 1, ID_SWITCH_S},   {"q", 1, ID_SWITCH_Q},   {"d", 1, ID_SWITCH_D},
    {"e", 1, ID_SWITCH_E}, {"ke", 2, ID_SWITCH_KE}, {"kd", 3, ID_SWITCH_KD},
};

// A process id in decimal; 0 (no process) for anything else.
uint32_t ProcessId(std::string_view digits) {
    if (digits.empty() || digits.size() > 10) {
        return 0;
    }
    uint64_t id = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return 0;
        }
        id = id * 10 + static_cast<uint64_t>(c - '0');
    }
    return id > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(id);
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
        for (const CommandRule& rule : kCommandRules) {
            if (StartsWith(sw, rule.prefix, rule.length)) {
                options.commandId = rule.commandId;
            }
        }
        if (StartsWith(sw, "lnk", 3)) {
            options.shortcutPath = sw.size() > 4 ? sw.substr(4) : std::string();
        }
        if (sw.starts_with("guardian:")) {
            options.guardianId = ProcessId(sw.substr(9));
        } else if (sw.starts_with("guard:")) {
            options.guardOf = ProcessId(sw.substr(6));
        }
    }
}

}  // namespace corvane
