// corvane-fakeshell.exe [notaskbar]: the shell's windows for a Wine prefix, which has none.
#include "platform/win32/system.h"
#include "tools/fakeshell/fake_shell.h"

int main() {
    platform::win32::Win32System system;
    const auto args = system.Get().processes.CommandLineArguments();
    return corvane::tools::RunFakeShell(system.Get(), !(args.size() > 1 && args[1] == "notaskbar"));
}
