// Entry point of Corvane.exe: the real platform objects, then the portable program.
#include "app/corvane_app.h"
#include "ext/exports.h"
#include "platform/win32/system.h"
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <ole2.h>

namespace {

// CorvaneExt.dll, linked through the import table.
class LinkedExtensions final : public corvane::ShellExtensions {
  public:
    int StartExtensions(platform::WindowHandle mainWindow) override {
        return ::StartExtensions(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(mainWindow)));
    }
    int EndExtensions() override { return ::EndExtensions(); }
};

// The browser control of the pages needs OLE on this thread.
class OleScope {
  public:
    OleScope() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) {
            OleUninitialize();
        }
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

  private:
    bool ok_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    OleScope ole;
    INITCOMMONCONTROLSEX controls{sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    platform::win32::Win32System system;
    LinkedExtensions extensions;
    return corvane::CorvaneMain(system.Get(), &extensions);
}
