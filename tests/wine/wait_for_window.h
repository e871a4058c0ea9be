// Waiting for another process's window to appear: it needs its own time to start.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/system.h"

namespace corvane::wine {

// The first top-level window of the class (and caption, when given) that belongs to the
// process (any process when null), polling for up to ten seconds; `idle` runs between looks.
inline platform::WindowHandle WaitForWindow(platform::System& sys, const std::string& className,
                                            const std::optional<std::string>& caption,
                                            const platform::Process* owner,
                                            const std::function<void()>& idle) {
    for (int i = 0; i < 500; ++i) {
        platform::WindowHandle window = platform::WindowHandle::Null;
        while ((window = sys.windows.FindWindowEx(platform::WindowHandle::Null, window, className,
                                                  caption)) != platform::WindowHandle::Null) {
            if (owner == nullptr || sys.windows.GetWindowProcessId(window) == owner->Id()) {
                return window;
            }
        }
        idle();
    }
    return platform::WindowHandle::Null;
}

}  // namespace corvane::wine
