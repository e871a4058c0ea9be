// corvane-inspect.exe: prints what a running Corvane has put in place.
#include <cstdio>

#include "platform/win32/system.h"
#include "tools/inspect/inspect.h"

int main() {
    platform::win32::Win32System system;
    std::fputs(corvane::tools::Describe(system.Get()).c_str(), stdout);
    return 0;
}
