// corvane-cleanup.exe: what the uninstaller runs as the kiosk's user before it removes the
// files: the restrictions Corvane wrote go, the settings tree stays. Prints what each step came
// to; exit status 0.
#include <cstdio>

#include "app/remove_restrictions.h"
#include "platform/win32/system.h"

int main() {
    platform::win32::Win32System system;
    corvane::EventLog log(system.Get());
    for (const std::string& line : corvane::RemoveCorvaneRestrictions(system.Get(), log)) {
        std::printf("   %s\n", line.c_str());
    }
    return 0;
}
