// corvane-inspect.exe [--lumbrel on|off | --watch-session TITLE |
// --shortcut LINK TARGET ARGUMENTS | --wait-for-window CLASS TITLE | --wait-until-locked |
// --unlock-request]: prints what a running Corvane has put in place, flips the Lumbrel tab's switch
// as its handler does, follows a short session from outside, makes a shortcut with the shell's link
// object, waits for a window or for user mode to be in place (ten seconds at most; exit status 1
// when it did not come), or makes the unlock request at the keyboard and cancels the prompt.
#include <cstdio>
#include <iostream>
#include <string>

#include "app/corvane_dlg.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/ole_scope.h"
#include "platform/win32/system.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <shlobj.h>
#include "tools/inspect/inspect.h"
#include "tools/inspect/session_watch.h"
#include "tools/inspect/waits.h"

namespace {

bool MakeShortcut(const std::string& link, const std::string& target,
                  const std::string& arguments) {
    platform::win32::OleScope ole;
    platform::win32::ComPtr<IShellLinkW> shortcut;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shortcut.PutVoid()))) {
        return false;
    }
    shortcut->SetPath(platform::win32::Wide(target).c_str());
    shortcut->SetArguments(platform::win32::Wide(arguments).c_str());
    auto file = shortcut.As<IPersistFile>(IID_IPersistFile);
    return file && SUCCEEDED(file->Save(platform::win32::Wide(link).c_str(), TRUE));
}

}  // namespace

int main(int argc, char** argv) {
    platform::win32::Win32System system;
    if (argc > 2 && std::string(argv[1]) == "--lumbrel") {
        const int enable = std::string(argv[2]) == "on" ? 1 : 0;
        const corvane::HelperSwitch done = corvane::RegisterBrowserHelper(system.Get(), enable);
        if (!done.skipped32.empty()) {
            std::printf("   %s\n", done.skipped32.c_str());
        }
        const int result = done.status;
        if (result == 1) {
            std::puts("   Error registering Lumbrel.");
            return 1;
        }
        std::printf("   Lumbrel.dll %s (registry status %d)\n",
                    enable ? "registered and listed for the browser" : "unregistered and unlisted",
                    result);
        return 0;
    }
    if (argc > 4 && std::string(argv[1]) == "--shortcut") {
        const bool made = MakeShortcut(argv[2], argv[3], argv[4]);
        std::printf("   %s %s\n", made ? "made the shortcut" : "could not make the shortcut",
                    argv[2]);
        return made ? 0 : 1;
    }
    if (argc > 2 && std::string(argv[1]) == "--watch-session") {
        return corvane::tools::WatchSession(system.Get(), std::cout, argv[2], 60000) ? 0 : 1;
    }
    if (argc > 3 && std::string(argv[1]) == "--wait-for-window") {
        return corvane::tools::WaitForWindow(system.Get(), argv[2], argv[3], 10000) ? 0 : 1;
    }
    if (argc > 1 && std::string(argv[1]) == "--wait-until-locked") {
        return corvane::tools::WaitUntilLocked(system.Get(), 10000) ? 0 : 1;
    }
    if (argc > 1 && std::string(argv[1]) == "--unlock-request") {
        return corvane::tools::RequestUnlock(system.Get(), std::cout) ? 0 : 1;
    }
    std::fputs(corvane::tools::Describe(system.Get()).c_str(), stdout);
    return 0;
}
