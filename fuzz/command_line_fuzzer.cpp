// libFuzzer harness of the command line: the runtime's splitting and the main program's
// switches, whatever a caller puts on it. Splitting a line made of the pieces, each quoted as
// the rules say, gives the pieces back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "platform/command_line.h"

namespace {

// One argument quoted so that the splitting rules give it back as it is.
std::string Quoted(const std::string& argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> arguments = platform::SplitCommandLine(line);
    corvane::CommandLineOptions options;
    corvane::ParseSwitches(arguments, options);
    if (options.userMode != 0 && options.userMode != 1) {
        std::abort();
    }
    std::string rebuilt;
    for (const std::string& argument : arguments) {
        if (argument.find('\0') != std::string::npos) {
            return 0;  // a null ends a real command line: nothing to compare
        }
        rebuilt += (rebuilt.empty() ? "" : " ") + Quoted(argument);
    }
    if (!arguments.empty() && platform::SplitCommandLine(rebuilt) != arguments) {
        std::abort();
    }
    return 0;
}
