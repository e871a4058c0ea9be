#include "platform/command_line.h"

namespace platform {

// As CommandLineToArgvW: the quotes in a row are counted, and every third of them in a quoted
// run is a literal quote that also ends the run.
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
        int quotes = 0;  // 1: inside a quoted run
        while (i < line.size() && (quotes != 0 || !isBlank(line[i]))) {
            size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes, ++i;
            }
            if (i >= line.size() || line[i] != '"') {
                arg.append(backslashes, '\\');
                if (i < line.size() && (quotes != 0 || !isBlank(line[i]))) {
                    arg.push_back(line[i++]);
                }
                continue;
            }
            arg.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                arg.push_back('"');  // an escaped quote
                ++i;
                continue;
            }
            ++quotes;
            for (++i; i < line.size() && line[i] == '"'; ++i) {
                if (++quotes == 3) {
                    arg.push_back('"');
                    quotes = 0;
                }
            }
            if (quotes == 2) {
                quotes = 0;
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace platform
