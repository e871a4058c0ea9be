#include "platform/constants.h"
#include "platform/text.h"
#include "tests/contract/contract_env.h"

namespace contract {

namespace {

class IgnoreAll final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t, std::uintptr_t,
                                                 std::intptr_t) override {
        return std::nullopt;
    }
};

// Handles the peer window's messages until a quit message, whose code it returns, or until ten
// seconds have passed (99); the window is destroyed at the end.
int RunUntilQuit(platform::System& system, platform::WindowHandle window) {
    constexpr std::uintptr_t kGiveUp = 7;
    system.windows.SetTimer(window, kGiveUp, 10000);
    int exitCode = 99;
    platform::Message message;
    while (system.windows.GetMessage(message) > 0) {
        if (message.message == platform::wm::kTimer && message.wParam == kGiveUp) {
            break;
        }
        system.windows.DispatchMessage(message);
    }
    if (message.message == platform::wm::kQuit) {
        exitCode = static_cast<int>(message.wParam);
    }
    system.windows.DestroyWindow(window);
    return exitCode;
}

// Waits for the registered message `name` on a hidden top-level window titled "peer-<name>";
// exits with its wParam, or 99 when nothing came within ten seconds.
int ReceiveBroadcast(platform::System& system, const std::string& name) {
    const uint32_t registered = system.windows.RegisterWindowMessage(name);
    IgnoreAll handler;
    const platform::WindowHandle window =
        system.windows.CreateWindow({"CorvaneContractPeer", "peer-" + name, 0, {}}, &handler);
    if (window == platform::WindowHandle::Null) {
        return 98;
    }
    constexpr std::uintptr_t kGiveUp = 7;
    system.windows.SetTimer(window, kGiveUp, 10000);
    int exitCode = 99;
    platform::Message message;
    while (system.windows.GetMessage(message) > 0) {
        if (message.message == registered) {
            exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (message.message == platform::wm::kTimer && message.wParam == kGiveUp) {
            break;
        }
        system.windows.DispatchMessage(message);
    }
    system.windows.DestroyWindow(window);
    return exitCode;
}

// Answers WM_APP + 5 with twice its wParam and ends with the wParam as exit code: a sent
// message runs in the receiving thread, so the quit message is the receiver's own.
class Answerer final : public platform::WindowHandler {
  public:
    explicit Answerer(platform::System& system) : system_(system) {}
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t) override {
        if (message != platform::wm::kApp + 5) {
            return std::nullopt;
        }
        system_.windows.PostQuitMessage(static_cast<int>(wParam));
        return static_cast<std::intptr_t>(wParam * 2);
    }

  private:
    platform::System& system_;
};

int AnswerSentMessage(platform::System& system, const std::string& name) {
    Answerer answerer(system);
    const platform::WindowHandle window =
        system.windows.CreateWindow({"CorvaneContractPeer", "answer-" + name, 0, {}}, &answerer);
    return window == platform::WindowHandle::Null ? 98 : RunUntilQuit(system, window);
}

// Records the arguments that follow the role and the key name, as this platform splits the
// command line, under the key: values "0", "1", ... and "count".
int RecordArguments(platform::System& system, const std::string& key) {
    const std::vector<std::string> args = system.processes.CommandLineArguments();
    size_t first = 0;
    while (first + 1 < args.size() && !(args[first] == "args" && args[first + 1] == key)) {
        ++first;
    }
    if (first + 1 >= args.size()) {
        return 3;
    }
    platform::RegistryKeyPtr out;
    if (system.registry.CreateKey(platform::Hive::CurrentUser, key, platform::reg::kReadWrite,
                                  out) != 0) {
        return 4;
    }
    uint32_t count = 0;
    for (size_t i = first + 2; i < args.size(); ++i, ++count) {
        std::u16string text = platform::Utf8ToUtf16(args[i]);
        const auto bytes = platform::Utf16ToRegSzBytes(text);
        out->SetValue(std::to_string(count), platform::reg::kSz, bytes);
    }
    const uint8_t number[4] = {static_cast<uint8_t>(count), 0, 0, 0};
    out->SetValue("count", platform::reg::kDword, number);
    return 0;
}

// Installs the newest keyboard hook, passing events on (`pass`) or not (`keep`), sends F13 down
// and up, and exits with the count of F13 events its hook saw.
class PeerHook final : public platform::HookProcedure {
  public:
    PeerHook(platform::System& system, bool pass) : system_(system), pass_(pass) {}
    std::intptr_t OnHookEvent(int code, std::uintptr_t wParam, std::intptr_t lParam) override {
        const auto* event = reinterpret_cast<const platform::KeyboardEvent*>(lParam);
        if (code == platform::kHcAction && event->vkCode == 0x7C) {
            ++seen;
        }
        return pass_ ? system_.windows.CallNextHook(handle, code, wParam, lParam) : 0;
    }
    platform::HookHandle handle = platform::HookHandle::Null;
    int seen = 0;

  private:
    platform::System& system_;
    bool pass_;
};

int SendThroughHookChain(platform::System& system, const std::string& mode) {
    PeerHook hook(system, mode == "pass");
    hook.handle = system.windows.SetLowLevelHook(platform::HookKind::Keyboard, &hook);
    if (hook.handle == platform::HookHandle::Null) {
        return 98;
    }
    system.windows.SendKey(0x7C, false, false);
    system.windows.SendKey(0x7C, true, false);
    for (int i = 0; i < 500 && hook.seen < 2; ++i) {
        platform::Message message;
        while (system.windows.PeekMessage(message, true)) {
            system.windows.DispatchMessage(message);
        }
        if (hook.seen < 2) {
            system.processes.Sleep(20);
        }
    }
    system.windows.Unhook(hook.handle);
    return hook.seen;
}

// A window that will not be shown: it clears the show flag of every position change, notes
// whether that ran on its own thread, and ends on WM_CLOSE with 0 (own thread) or 3.
class RefusesToShow final : public platform::WindowHandler {
  public:
    explicit RefusesToShow(platform::System& system) : system_(system) {}
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle, uint32_t message,
                                                 std::uintptr_t, std::intptr_t lParam) override {
        if (message == platform::wm::kWindowPosChanging) {
            auto* pos = reinterpret_cast<platform::WindowPos*>(lParam);
            pos->flags &= ~platform::swp::kShowWindow;
            ++changes;
            elsewhere |= system_.windows.GetCurrentThreadId() != ownThread;
            return 0;
        }
        if (message == platform::wm::kClose) {
            system_.windows.PostQuitMessage(changes > 0 && !elsewhere ? 0 : 3);
            return 0;
        }
        return std::nullopt;
    }
    uint32_t ownThread = 0;
    int changes = 0;
    bool elsewhere = false;

  private:
    platform::System& system_;
};

int RefuseToBeShown(platform::System& system, const std::string& title) {
    RefusesToShow handler(system);
    handler.ownThread = system.windows.GetCurrentThreadId();
    const platform::WindowHandle window =
        system.windows.CreateWindow({"CorvaneContractPeer", title, 0, {}}, &handler);
    return window == platform::WindowHandle::Null ? 98 : RunUntilQuit(system, window);
}

}  // namespace

int RunPeer(platform::System& system, const std::string& role, const std::string& argument) {
    if (role == "mutex") {
        const platform::NamedMutex mutex = system.processes.CreateMutex(argument);
        if (!mutex.handle) {
            return 1;
        }
        return mutex.alreadyExisted ? 183 : 0;
    }
    if (role == "receive") {
        return ReceiveBroadcast(system, argument);
    }
    if (role == "answer") {
        return AnswerSentMessage(system, argument);
    }
    if (role == "refuseshow") {
        return RefuseToBeShown(system, argument);
    }
    if (role == "hookchain") {
        return SendThroughHookChain(system, argument);
    }
    if (role == "args") {
        return RecordArguments(system, argument);
    }
    return 2;
}

}  // namespace contract
