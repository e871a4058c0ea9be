#include "tools/fakeshell/fake_shell.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/constants.h"

namespace corvane::tools {

namespace {

// Laid out as COPYDATASTRUCT: WM_COPYDATA's lParam points at one.
struct CopyData {
    std::uintptr_t data;
    uint32_t size;
    const void* bytes;
};

class DefaultOnly final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t, std::uintptr_t,
                                                 std::intptr_t) override {
        return std::nullopt;
    }
};

// The taskbar: takes the icon messages and keeps the shown icons in the registry.
class Taskbar final : public platform::WindowHandler {
  public:
    explicit Taskbar(platform::Registry& registry) : registry_(registry) {}

    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t message,
                                                 std::uintptr_t, std::intptr_t lParam) override {
        if (message != platform::wm::kCopyData || lParam == 0) {
            return std::nullopt;
        }
        const auto* copy = reinterpret_cast<const CopyData*>(lParam);
        const auto icon = ParseTrayIconMessage(
            copy->data, {static_cast<const uint8_t*>(copy->bytes), copy->bytes ? copy->size : 0});
        return icon && Record(*icon) ? 1 : 0;
    }

  private:
    bool Record(const TrayIconMessage& icon) {
        platform::RegistryKeyPtr key;
        if (registry_.CreateKey(platform::Hive::CurrentUser, kNotificationAreaKey,
                                platform::reg::kReadWrite, key) != 0) {
            return false;
        }
        const std::string name = std::to_string(icon.id);
        if (icon.action == platform::nim::kDelete) {
            return key->DeleteValue(name) == 0;
        }
        char text[96];
        std::snprintf(text, sizeof text, "window=%x callback=%u flags=%u", icon.window,
                      icon.callbackMessage, icon.flags);
        std::u16string wide;
        for (const char* c = text; *c != '\0'; ++c) {
            wide += static_cast<char16_t>(*c);
        }
        wide += u'\0';
        return key->SetValue(name, platform::reg::kSz,
                             {reinterpret_cast<const uint8_t*>(wide.data()), wide.size() * 2}) == 0;
    }

    platform::Registry& registry_;
};

}  // namespace

std::optional<TrayIconMessage> ParseTrayIconMessage(std::uintptr_t action,
                                                    std::span<const uint8_t> data) {
    // Window, id, flags and callback message lead the record, 32 bits each.
    if (action > platform::nim::kDelete || data.size() < 16) {
        return std::nullopt;
    }
    uint32_t fields[4];
    std::memcpy(fields, data.data(), sizeof fields);
    return TrayIconMessage{static_cast<uint32_t>(action), fields[0], fields[1], fields[2],
                           fields[3]};
}

int RunFakeShell(platform::System& system, bool withTaskbar) {
    auto& w = system.windows;
    DefaultOnly handler;
    Taskbar taskbar(system.registry);
    const uint32_t child = platform::ws::kChild | platform::ws::kVisible;
    const platform::WindowHandle progman =
        w.CreateWindow({"Progman", "Program Manager", platform::ws::kVisible, {}}, &handler);
    if (progman == platform::WindowHandle::Null) {
        return 1;
    }
    w.CreateWindow({"SHELLDLL_DefView", "", child, progman}, &handler);
    if (withTaskbar) {
        const platform::WindowHandle tray =
            w.CreateWindow({"Shell_TrayWnd", "", platform::ws::kVisible, {}}, &taskbar);
        for (const char* className : {"Button", "TrayNotifyWnd", "ReBarWindow32"}) {
            w.CreateWindow({className, "", child, tray}, &handler);
        }
        // A second monitor's taskbar, with its own start button and task buttons.
        const platform::WindowHandle secondary =
            w.CreateWindow({"Shell_SecondaryTrayWnd", "", platform::ws::kVisible, {}}, &handler);
        for (const char* className : {"Start", "WorkerW"}) {
            w.CreateWindow({className, "", child, secondary}, &handler);
        }
        // As the shell does whenever it makes its taskbar: programs add their icons again.
        w.PostMessage(platform::kBroadcastWindow, w.RegisterWindowMessage(kTaskbarCreated), 0, 0);
    }
    platform::Message message;
    while (w.GetMessage(message) > 0) {
        w.DispatchMessage(message);
    }
    return 0;
}

}  // namespace corvane::tools
