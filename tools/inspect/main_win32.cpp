// corvane-inspect.exe [--exit-user-mode]: prints what a running Corvane has put in place, or
// presses its exit button.
#include <cstdio>
#include <string>

#include "platform/win32/system.h"
#include "tools/inspect/inspect.h"

int main(int argc, char** argv) {
    platform::win32::Win32System system;
    if (argc > 1 && std::string(argv[1]) == "--exit-user-mode") {
        const bool sent = corvane::tools::SendExitUserMode(system.Get());
        std::puts(sent ? "   sent the exit button's command to Corvane's hidden window"
                       : "   no running Corvane found");
        return sent ? 0 : 1;
    }
    std::fputs(corvane::tools::Describe(system.Get()).c_str(), stdout);
    return 0;
}
