// A stand-in for the Windows shell's own windows, where no shell runs (Wine, the sim): the
// desktop ("Progman" with "SHELLDLL_DefView"), the taskbar ("Shell_TrayWnd" with its
// "Button", "TrayNotifyWnd" and "ReBarWindow32") and a second monitor's
// ("Shell_SecondaryTrayWnd" with "Start" and "WorkerW"), all shown, until a quit message. Like
// the shell, it broadcasts "TaskbarCreated" once its taskbars are there.
//
// The taskbar also answers the notification-area icon messages that Wine's shell library
// sends it and records each icon shown under kNotificationAreaKey of the current user: one
// text value per icon, named by its id, "window=<hex> callback=<n> flags=<n>", deleted when
// the icon is removed.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/system.h"

namespace corvane::tools {

inline constexpr const char* kNotificationAreaKey =
    "Software\\Corvane Fake Shell\\Notification Area";

// The shell's broadcast when it has made its taskbar, on its first start and every restart.
inline constexpr const char* kTaskbarCreated = "TaskbarCreated";

int RunFakeShell(platform::System& system, bool withTaskbar);

// The icon record in Wine's own layout, as its shell library copies it to the taskbar.
struct TrayIconMessage {
    uint32_t action;  // NIM_*
    uint32_t window;
    uint32_t id;
    uint32_t flags;
    uint32_t callbackMessage;
};
std::optional<TrayIconMessage> ParseTrayIconMessage(std::uintptr_t action,
                                                    std::span<const uint8_t> data);

}  // namespace corvane::tools
