// Reading a shell shortcut (.lnk) through the shell's link object; the object is a parameter so
// a test can see what the shell is asked.
#pragma once

#include <optional>
#include <string_view>

#include "platform/process_system.h"
#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <shobjidl.h>

namespace platform::win32 {

// Loads the shortcut into `link` and resolves it without a window: a kiosk must never show the
// shell's search for a moved target. Nothing when it cannot be loaded or resolved.
std::optional<ShortcutTarget> ResolveShellLink(IShellLinkW& link, std::string_view shortcutPath);

}  // namespace platform::win32
