#include "tools/fakeshell/fake_shell.h"

#include "platform/constants.h"

namespace corvane::tools {

namespace {

class DefaultOnly final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t, std::uintptr_t,
                                                 std::intptr_t) override {
        return std::nullopt;
    }
};

}  // namespace

int RunFakeShell(platform::System& system, bool withTaskbar) {
    auto& w = system.windows;
    DefaultOnly handler;
    const uint32_t child = platform::ws::kChild | platform::ws::kVisible;
    const platform::WindowHandle progman =
        w.CreateWindow({"Progman", "Program Manager", platform::ws::kVisible, {}}, &handler);
    if (progman == platform::WindowHandle::Null) {
        return 1;
    }
    w.CreateWindow({"SHELLDLL_DefView", "", child, progman}, &handler);
    if (withTaskbar) {
        const platform::WindowHandle tray =
            w.CreateWindow({"Shell_TrayWnd", "", platform::ws::kVisible, {}}, &handler);
        for (const char* className : {"Button", "TrayNotifyWnd", "ReBarWindow32"}) {
            w.CreateWindow({className, "", child, tray}, &handler);
        }
    }
    platform::Message message;
    while (w.GetMessage(message) > 0) {
        w.DispatchMessage(message);
    }
    return 0;
}

}  // namespace corvane::tools
