// lumbrel-ruletest.exe: the console program of the Windows build.
#include <iostream>

#include "browser/filter/rule_store.h"
#include "platform/win32/system.h"
#include "tools/ruletest/ruletest.h"

int main() {
    platform::win32::Win32System system;
    std::vector<std::string> args = system.Get().processes.CommandLineArguments();
    if (!args.empty()) {
        args.erase(args.begin());
    }
    // Installed beside Corvane.exe, the tester shares its folder of compiled images.
    return lumbrel::tools::RunRuleTester(
        args, system.Get().files, std::cin, std::cout, std::cerr,
        lumbrel::filter::ImageFolderOf(system.Get().processes.ModulePath()));
}
