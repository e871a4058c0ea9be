// Entry point of Corvane.exe: the real platform objects, then the portable program.
#include "app/corvane_app.h"
#include "ext/exports.h"
#include "platform/win32/ole_scope.h"
#include "platform/win32/system.h"

namespace {

// CorvaneExt.dll, linked through the import table.
class LinkedExtensions final : public corvane::ShellExtensions {
  public:
    int StartExtensions(platform::WindowHandle mainWindow) override {
        return ::StartExtensions(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(mainWindow)));
    }
    int EndExtensions() override { return ::EndExtensions(); }
    int HideShellAgain() override { return ::HideShellAgain(); }
    int ApplySettingsAgain() override { return ::ApplySettingsAgain(); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform::win32::OleScope ole;
    platform::win32::Win32System system;
    LinkedExtensions extensions;
    return corvane::CorvaneMain(system.Get(), &extensions);
}
