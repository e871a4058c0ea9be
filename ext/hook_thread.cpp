// The hook thread of the extension library: the two low-level hooks, a hidden window for the
// main thread's requests, and the watchdog.
#include "common/event_log.h"
#include "ext/shell_extension.h"
#include "platform/constants.h"

namespace corvane::ext {

namespace {

constexpr std::uintptr_t kWatchdogTimer = 1;
constexpr uint32_t kWatchdogMs = 1000;
constexpr uint32_t kStartWaitMs = 5000;
// The system's last-input time and an event's own time may differ by a few ticks.
constexpr int32_t kInputSlackMs = 250;

}  // namespace

std::optional<std::intptr_t> ShellExtension::HookWindow::OnWindowMessage(platform::WindowHandle,
                                                                         uint32_t message,
                                                                         std::uintptr_t,
                                                                         std::intptr_t) {
    switch (message) {
        case kInstallHooks:
        case kRemoveHooks:
        case kTakeSettings:
            return owner_.HandleHookRequest(static_cast<HookRequest>(message));
        case platform::wm::kTimer:
            owner_.Watchdog();
            return 0;
        default:
            return std::nullopt;
    }
}

// Where the request runs: on the hook thread, or in place when that thread is not there.
int ShellExtension::HandleHookRequest(HookRequest request) {
    if (request == kRemoveHooks) {
        return RemoveHooks();
    }
    if (request == kTakeSettings) {
        settings_ = pending_;
        return 1;
    }
    InstallHooks();
    return 1;
}

int ShellExtension::RunOnHookThread(HookRequest request) {
    if (!hookThread_) {
        if (request == kRemoveHooks) {
            return RemoveHooks();
        }
        mainThreadId_ = system_.windows.GetCurrentThreadId();
        hookThreadReady_ = false;
        hookThread_ = system_.processes.StartThread([this] { HookThreadMain(); });
        if (!hookThread_) {
            return HandleHookRequest(request);  // no thread to be had: on this one, as before
        }
        // The thread installs the hooks first thing; wait for it, boundedly.
        for (uint32_t waited = 0; !hookThreadReady_ && waited < kStartWaitMs; waited += 10) {
            system_.processes.Sleep(10);
        }
        return hookThreadReady_ ? 1 : 0;
    }
    const platform::WindowHandle window = hookWindow_.load();
    if (window == platform::WindowHandle::Null) {  // the thread could not make its window
        return HandleHookRequest(request);
    }
    const auto result = system_.windows.SendMessageTimeout(window, request, 0, 0, kStartWaitMs);
    return static_cast<int>(result.value_or(0));
}

void ShellExtension::HookThreadMain() {
    auto& windows = system_.windows;
    const platform::WindowHandle window =
        windows.CreateWindow({"CorvaneHookThread", "", 0, {}}, &hookWindowHandler_);
    hookWindow_ = window;
    InstallHooks();
    lastSeen_ = windows.LastInputTime();  // what came before the hooks is none of theirs
    if (window != platform::WindowHandle::Null) {
        windows.SetTimer(window, kWatchdogTimer, kWatchdogMs);
    }
    hookThreadReady_ = true;
    platform::Message message;
    while (windows.GetMessage(message) > 0) {
        windows.DispatchMessage(message);
    }
    if (window != platform::WindowHandle::Null) {
        windows.KillTimer(window, kWatchdogTimer);
        windows.DestroyWindow(window);
    }
}

void ShellExtension::StopHookThread() {
    if (!hookThread_) {
        return;
    }
    system_.windows.PostThreadMessage(hookThread_->Id(), platform::wm::kQuit, 0, 0);
    hookThread_->Join(kStartWaitMs);
    hookThread_.reset();
    hookWindow_ = platform::WindowHandle::Null;
}

// Input the system took after the last event a hook saw, and still unseen a check later (an
// event on its way to the hooks is seen by then): the system dropped the hooks, as later
// systems do with one that did not answer in time. Both go in again, at the head of the chain.
void ShellExtension::Watchdog() {
    const uint32_t input = system_.windows.LastInputTime();
    const auto after = [](uint32_t a, uint32_t b) {
        return static_cast<int32_t>(a - b) > kInputSlackMs;
    };
    if (unseenInput_ && after(*unseenInput_, lastSeen_)) {
        if (mouseHookInstalled_ == 1) {
            system_.windows.Unhook(shared_.mouseHook);
        }
        if (keyboardHookInstalled_ == 1) {
            system_.windows.Unhook(shared_.keyboardHook);
        }
        mouseHookInstalled_ = 0;
        keyboardHookInstalled_ = 0;
        InstallHooks();
        lastSeen_ = input;
        unseenInput_.reset();
        EventLog(system_).Warn(
            "input went past the keyboard and mouse hooks: they were installed "
            "again");
        return;
    }
    unseenInput_ = after(input, lastSeen_) ? std::optional<uint32_t>(input) : std::nullopt;
}

}  // namespace corvane::ext
