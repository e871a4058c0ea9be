#include "platform/command_line.h"

namespace platform {

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0;
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (true) {
        while (i < line.size() && isBlank(line[i])) {
            ++i;
        }
        if (i >= line.size()) {
            break;
        }
        std::string arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !isBlank(line[i]))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes, ++i;
            }
            if (i < line.size() && line[i] == '"') {
                arg.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    arg.push_back('"');
                } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                    arg.push_back('"');  // "" inside quotes is a literal quote
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
            } else {
                arg.append(backslashes, '\\');
                if (i < line.size() && (quoted || !isBlank(line[i]))) {
                    arg.push_back(line[i]);
                    ++i;
                }
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace platform
