// corvane-inspect.exe [--exit-user-mode | --lumbrel on|off]: prints what a running Corvane has
// put in place, presses its exit button, or flips the Lumbrel tab's switch as its handler does.
#include <cstdio>
#include <string>

#include "app/corvane_dlg.h"
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
    if (argc > 2 && std::string(argv[1]) == "--lumbrel") {
        const int enable = std::string(argv[2]) == "on" ? 1 : 0;
        const int result = corvane::RegisterBrowserHelper(system.Get(), enable);
        if (result == 1) {
            std::puts("   Error registering Lumbrel.");
            return 1;
        }
        std::printf("   Lumbrel.dll %s (registry status %d)\n",
                    enable ? "registered and listed for the browser" : "unregistered and unlisted",
                    result);
        return 0;
    }
    std::fputs(corvane::tools::Describe(system.Get()).c_str(), stdout);
    return 0;
}
