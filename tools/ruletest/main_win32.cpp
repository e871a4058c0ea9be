// lumbrel-ruletest.exe: the console program of the Windows build.
#include <iostream>

#include "platform/win32/system.h"
#include "tools/ruletest/ruletest.h"

int main() {
    platform::win32::Win32System system;
    std::vector<std::string> args = system.Get().processes.CommandLineArguments();
    if (!args.empty()) {
        args.erase(args.begin());
    }
    return lumbrel::tools::RunRuleTester(args, system.Get().files, std::cin, std::cout, std::cerr);
}
