#include "tools/inspect/waits.h"

#include <optional>

#include "platform/constants.h"

namespace corvane::tools {

namespace {

constexpr uint32_t kPollMs = 20;

platform::WindowHandle Find(platform::System& sys, const std::string& className,
                            const std::string& title) {
    return sys.windows.FindWindow(className,
                                  title.empty() ? std::nullopt : std::optional<std::string>(title));
}

template <typename Condition>
bool WaitFor(platform::System& sys, uint32_t ms, Condition holds) {
    for (uint32_t waited = 0;; waited += kPollMs) {
        if (holds()) {
            return true;
        }
        if (waited >= ms) {
            return false;
        }
        sys.processes.Sleep(kPollMs);
    }
}

}  // namespace

bool WaitForWindow(platform::System& sys, const std::string& className, const std::string& title,
                   uint32_t ms) {
    return WaitFor(sys, ms,
                   [&] { return Find(sys, className, title) != platform::WindowHandle::Null; });
}

bool WaitUntilLocked(platform::System& sys, uint32_t ms) {
    return WaitFor(sys, ms, [&] {
        const platform::WindowHandle taskbar = Find(sys, "Shell_TrayWnd", "");
        return Find(sys, "#32770", "Corvane") != platform::WindowHandle::Null &&
               taskbar != platform::WindowHandle::Null && !sys.windows.IsWindowVisible(taskbar);
    });
}

bool RequestUnlock(platform::System& sys, std::ostream& out) {
    const platform::WindowHandle page = Find(sys, "#32770", "Corvane");
    if (page == platform::WindowHandle::Null) {
        out << "   no running Corvane found\n";
        return false;
    }
    const uint32_t corvane = sys.windows.GetWindowProcessId(page);
    sys.windows.SendKey(platform::vk::kShift, false, false);
    sys.windows.SendKey(platform::vk::kF12, false, false);
    sys.windows.SendKey(platform::vk::kF12, true, false);
    sys.windows.SendKey(platform::vk::kShift, true, false);
    platform::WindowHandle prompt = platform::WindowHandle::Null;
    const bool asked = WaitFor(sys, 5000, [&] {
        prompt = Find(sys, "#32770", "Password");
        return prompt != platform::WindowHandle::Null &&
               sys.windows.GetWindowProcessId(prompt) == corvane;
    });
    if (!asked) {
        out << "   Shift+F12 brought no password prompt\n";
        return false;
    }
    out << "   Shift+F12: Corvane asks for the administrator's password\n";
    sys.windows.PostMessage(prompt, platform::wm::kCommand, platform::id::kCancel, 0);
    const bool gone = WaitFor(sys, 5000, [&] { return !sys.windows.IsWindow(prompt); });
    const bool stillHidden = !sys.windows.IsWindowVisible(page);
    out << (gone ? "   cancelled: the prompt is gone" : "   the prompt did not go")
        << (stillHidden ? ", and the configuration page stays hidden\n"
                        : ", but the configuration page is showing\n");
    return gone && stillHidden;
}

}  // namespace corvane::tools
