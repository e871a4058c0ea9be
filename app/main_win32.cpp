// Entry point of Corvane.exe: the real platform objects, then the portable program.
#include "app/corvane_app.h"
#include "platform/win32/system.h"
#include "platform/win32/windows_api.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    platform::win32::Win32System system;
    return corvane::CorvaneMain(system.Get(), nullptr);
}
