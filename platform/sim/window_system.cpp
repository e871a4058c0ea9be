#include <algorithm>

#include "platform/constants.h"
#include "platform/sim/html_host.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

using platform::WindowHandle;
namespace wm = platform::wm;

namespace {

bool Matches(const Window& w, const std::optional<std::string>& className,
             const std::optional<std::string>& title) {
    return (!className || platform::EqualsIgnoreAsciiCase(w.className, *className)) &&
           (!title || w.title == *title);
}

}  // namespace

bool SimWindowSystem::Fail(long error) const {
    state_.Current().lastError = error;
    return false;
}

uint32_t SimWindowSystem::RegisterWindowMessage(std::string_view name) {
    const std::string key = platform::AsciiLower(name);
    auto [it, inserted] = state_.atoms.emplace(key, 0);
    if (inserted) {
        it->second = 0xC000 + static_cast<uint32_t>(state_.atoms.size()) - 1;
    }
    return it->second;
}

WindowHandle SimWindowSystem::CreateWindow(const platform::WindowOptions& options,
                                           platform::WindowHandler* handler) {
    const bool child = (options.style & platform::ws::kChild) != 0;
    if (options.parent != WindowHandle::Null && !state_.FindWindow(options.parent)) {
        Fail(platform::error::kInvalidWindowHandle);
        return WindowHandle::Null;
    }
    const auto handle = static_cast<WindowHandle>(state_.nextWindow);
    state_.nextWindow += 2;
    Window window{handle,
                  options.className,
                  options.title,
                  options.style & ~platform::ws::kVisible,
                  false,
                  true,
                  child ? options.parent : WindowHandle::Null,
                  child ? WindowHandle::Null : options.parent,
                  &state_.Current(),
                  handler,
                  0,
                  {}};
    state_.windows.emplace(handle, window);
    state_.zOrder.push_back(handle);
    Send(state_.windows.at(handle), wm::kCreate, 0, 0);
    if (options.style & platform::ws::kVisible) {
        ShowWindow(handle, platform::sw::kShow);
    }
    return handle;
}

WindowHandle SimWindowSystem::CreateDialog(uint32_t templateId, WindowHandle owner,
                                           platform::WindowHandler* handler) {
    const auto* resources = dynamic_cast<const Resources*>(process_.resources.get());
    const auto dialog = resources ? resources->FindDialog(templateId) : std::nullopt;
    if (!dialog) {
        Fail(1813);  // ERROR_RESOURCE_TYPE_NOT_FOUND
        return WindowHandle::Null;
    }
    platform::WindowOptions options{"#32770", dialog->caption,
                                    dialog->style & ~platform::ws::kVisible, owner};
    const WindowHandle handle = CreateWindow(options, handler);
    if (handle == WindowHandle::Null) {
        return handle;
    }
    if (Window* w = state_.FindWindow(handle)) {
        // Dialog units in pixels for the 8-point system font: 6 x 13 pixels a character.
        w->rect = {0, 0, dialog->width * 3 / 2, dialog->height * 13 / 8};
        Send(*w, wm::kInitDialog, 0, 0);
    }
    if ((dialog->style & platform::ws::kVisible) && state_.FindWindow(handle)) {
        ShowWindow(handle, platform::sw::kShowNormal);
    }
    return state_.FindWindow(handle) ? handle : WindowHandle::Null;
}

bool SimWindowSystem::DestroyWindow(WindowHandle handle) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    if (window->visible) {
        ChangeVisibility(
            *window, platform::swp::kHideWindow | platform::swp::kNoMove | platform::swp::kNoSize);
    }
    // Owned and child windows go first, as on Windows.
    std::vector<WindowHandle> dependents;
    for (const WindowHandle other : state_.zOrder) {
        const Window& w = state_.windows.at(other);
        if (w.parent == handle || w.owner == handle) {
            dependents.push_back(other);
        }
    }
    for (const WindowHandle dependent : dependents) {
        DestroyWindow(dependent);
    }
    if ((window = state_.FindWindow(handle)) == nullptr) {
        return true;
    }
    Send(*window, wm::kDestroy, 0, 0);
    ForgetWindow(handle);
    return true;
}

void SimWindowSystem::ForgetWindow(WindowHandle handle) {
    // The notification area's icons live in the taskbar: they go with it, and a shell that
    // starts again has none until their programs add them again.
    if (const Window* window = state_.FindWindow(handle);
        window != nullptr && window->className == "Shell_TrayWnd") {
        state_.notifyIcons.clear();
    }
    std::erase_if(state_.timers, [&](const Timer& t) { return t.window == handle; });
    std::erase(state_.zOrder, handle);
    state_.windows.erase(handle);
}

void SimWindowSystem::DestroyAll() {
    std::vector<WindowHandle> own;
    for (const WindowHandle handle : state_.zOrder) {
        if (state_.windows.at(handle).thread->process == &process_) {
            own.push_back(handle);
        }
    }
    for (const WindowHandle handle : own) {
        if (Window* w = state_.FindWindow(handle)) {
            w->handler = nullptr;  // the process's objects are gone
            ForgetWindow(handle);
        }
    }
}

bool SimWindowSystem::IsWindow(WindowHandle window) const {
    return state_.FindWindow(window) != nullptr;
}

bool SimWindowSystem::IsWindowVisible(WindowHandle handle) const {
    // Visible only when the window and all its parents are.
    for (const Window* w = state_.FindWindow(handle); w; w = state_.FindWindow(w->parent)) {
        if (!w->visible) {
            return false;
        }
        if (w->parent == WindowHandle::Null) {
            return true;
        }
    }
    return false;
}

bool SimWindowSystem::ChangeVisibility(Window& window, uint32_t flags) {
    const WindowHandle handle = window.handle;
    platform::WindowPos pos{handle, WindowHandle::Null, 0, 0, 0, 0, flags};
    Send(window, wm::kWindowPosChanging, 0, reinterpret_cast<std::intptr_t>(&pos));
    Window* w = state_.FindWindow(handle);
    if (!w) {
        return false;
    }
    if (pos.flags & platform::swp::kShowWindow) {
        w->visible = true;
    } else if (pos.flags & platform::swp::kHideWindow) {
        w->visible = false;
    }
    return true;
}

bool SimWindowSystem::ShowWindow(WindowHandle handle, int showCommand) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    const bool wasVisible = window->visible;
    const bool show = showCommand != platform::sw::kHide;
    if (show != wasVisible) {
        Send(*window, wm::kShowWindow, show, 0);
        if ((window = state_.FindWindow(handle)) != nullptr) {
            ChangeVisibility(*window,
                             platform::swp::kNoMove | platform::swp::kNoSize |
                                 (show ? platform::swp::kShowWindow : platform::swp::kHideWindow));
        }
    }
    return wasVisible;
}

bool SimWindowSystem::EnableWindow(WindowHandle handle, bool enable) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return false;
    }
    const bool wasDisabled = !window->enabled;
    window->enabled = enable;
    return wasDisabled;
}

bool SimWindowSystem::SetWindowPos(WindowHandle handle, WindowHandle insertAfter, int x, int y,
                                   int cx, int cy, uint32_t flags) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    platform::Rect& rect = window->rect;
    if ((flags & platform::swp::kNoMove) == 0) {
        rect = {x, y, x + rect.Width(), y + rect.Height()};
    }
    if ((flags & platform::swp::kNoSize) == 0) {
        rect.right = rect.left + cx;
        rect.bottom = rect.top + cy;
    }
    if ((flags & platform::swp::kNoZOrder) == 0 && insertAfter == platform::kTopMost) {
        window->topmost = true;
    }
    return ChangeVisibility(*window, flags);
}

std::string SimWindowSystem::GetWindowText(WindowHandle handle) const {
    const Window* window = state_.FindWindow(handle);
    return window ? window->title : std::string();
}

bool SimWindowSystem::SetWindowText(WindowHandle handle, std::string_view text) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    window->title = std::string(text);
    return true;
}

std::string SimWindowSystem::GetClassName(WindowHandle handle) const {
    const Window* window = state_.FindWindow(handle);
    return window ? window->className : std::string();
}

std::optional<platform::Rect> SimWindowSystem::GetWindowRect(WindowHandle handle) const {
    const Window* window = state_.FindWindow(handle);
    return window ? std::optional<platform::Rect>(window->rect) : std::nullopt;
}

platform::Rect SimWindowSystem::GetWorkArea() const {
    return state_.workArea;
}

WindowHandle SimWindowSystem::GetOwner(WindowHandle handle) const {
    const Window* window = state_.FindWindow(handle);
    return window ? window->owner : WindowHandle::Null;
}

uint32_t SimWindowSystem::GetWindowProcessId(WindowHandle handle) const {
    const Window* window = state_.FindWindow(handle);
    return window ? window->thread->process->id : 0;
}

WindowHandle SimWindowSystem::FindWindow(const std::optional<std::string>& className,
                                         const std::optional<std::string>& title) const {
    return FindWindowEx(WindowHandle::Null, WindowHandle::Null, className, title);
}

WindowHandle SimWindowSystem::FindWindowEx(WindowHandle parent, WindowHandle after,
                                           const std::optional<std::string>& className,
                                           const std::optional<std::string>& title) const {
    bool passed = after == WindowHandle::Null;
    for (const WindowHandle handle : state_.zOrder) {
        const Window& w = state_.windows.at(handle);
        if (w.parent != parent) {
            continue;
        }
        if (!passed) {
            passed = handle == after;
            continue;
        }
        if (Matches(w, className, title)) {
            return handle;
        }
    }
    return WindowHandle::Null;
}

std::vector<WindowHandle> SimWindowSystem::EnumTopLevelWindows() const {
    std::vector<WindowHandle> out;
    for (const WindowHandle handle : state_.zOrder) {
        if (state_.windows.at(handle).parent == WindowHandle::Null) {
            out.push_back(handle);
        }
    }
    return out;
}

bool SimWindowSystem::PostMessage(WindowHandle handle, uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    const auto time = static_cast<uint32_t>(state_.now);
    if (handle == platform::kBroadcastWindow) {
        for (const WindowHandle top : EnumTopLevelWindows()) {
            state_.windows.at(top).thread->queue.push_back({top, message, wParam, lParam, time});
        }
        return true;
    }
    if (handle == WindowHandle::Null) {
        return PostThreadMessage(GetCurrentThreadId(), message, wParam, lParam);
    }
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    window->thread->queue.push_back({handle, message, wParam, lParam, time});
    return true;
}

bool SimWindowSystem::PostThreadMessage(uint32_t threadId, uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    Thread* thread = state_.FindThread(threadId);
    if (!thread || thread->finished) {
        return Fail(platform::error::kInvalidThreadId);
    }
    thread->queue.push_back(
        {WindowHandle::Null, message, wParam, lParam, static_cast<uint32_t>(state_.now)});
    return true;
}

void SimWindowSystem::PostQuitMessage(int exitCode) {
    Thread& self = state_.Current();
    self.quitPosted = true;
    self.quitCode = exitCode;
}

std::optional<std::intptr_t> SimWindowSystem::Send(Window& window, uint32_t message,
                                                   std::uintptr_t wParam, std::intptr_t lParam) {
    Thread& receiver = *window.thread;
    if (&receiver != &state_.Current() && !receiver.finished) {
        // As SendMessageW: another thread's window handles the message in that thread, when it
        // next waits for messages, and the sender waits for the answer.
        SentMessage sent{
            {window.handle, message, wParam, lParam, static_cast<uint32_t>(state_.now)},
            {},
            false,
            {}};
        receiver.sent.push_back(&sent);
        state_.Block([&] { return sent.done || receiver.finished; }, std::nullopt);
        std::erase(receiver.sent, &sent);
        return sent.done ? sent.result : std::nullopt;
    }
    platform::WindowHandler* handler = window.handler;
    const WindowHandle handle = window.handle;
    std::optional<std::intptr_t> result;
    if (handler) {
        // As the platform's window procedure: an exception gets the default handling.
        try {
            result = handler->OnWindowMessage(handle, message, wParam, lParam);
        } catch (...) {
            result.reset();
        }
    }
    if (!result && state_.FindWindow(handle)) {
        result = DefaultHandling(handle, message, wParam, lParam);
    }
    return result;
}

std::optional<std::intptr_t> SimWindowSystem::SendMessageTimeout(WindowHandle handle,
                                                                 uint32_t message,
                                                                 std::uintptr_t wParam,
                                                                 std::intptr_t lParam,
                                                                 uint32_t timeoutMs) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        Fail(platform::error::kInvalidWindowHandle);
        return std::nullopt;
    }
    Thread& receiver = *window->thread;
    if (&receiver == &state_.Current()) {
        return Send(*window, message, wParam, lParam);
    }
    // Another thread handles it in its own context, when it next waits for messages.
    SentMessage sent{
        {handle, message, wParam, lParam, static_cast<uint32_t>(state_.now)}, {}, false, {}};
    receiver.sent.push_back(&sent);
    const bool done =
        state_.Block([&] { return sent.done || receiver.finished; }, state_.now + timeoutMs);
    if (!done || !sent.done) {
        std::erase(receiver.sent, &sent);
        Fail(platform::error::kTimeout);
        return std::nullopt;
    }
    return sent.result;
}

void SimWindowSystem::HandleSentMessages() {
    Thread& self = state_.Current();
    while (!self.callbacks.empty()) {
        auto callback = std::move(self.callbacks.front());
        self.callbacks.pop_front();
        callback();
    }
    while (!self.sent.empty()) {
        SentMessage* sent = self.sent.front();
        self.sent.pop_front();
        if (sent->call) {
            sent->result = sent->call();
        } else if (Window* window = state_.FindWindow(sent->message.window)) {
            sent->result =
                Send(*window, sent->message.message, sent->message.wParam, sent->message.lParam);
        }
        sent->done = true;
    }
}

bool SimWindowSystem::TakeMessage(platform::Message& message, bool remove) {
    Thread& self = state_.Current();
    // Posted messages first, then the quit message, then timers, as Windows orders them.
    if (!self.queue.empty()) {
        message = self.queue.front();
        if (remove) {
            self.queue.pop_front();
        }
        return true;
    }
    if (self.quitPosted) {
        message = {WindowHandle::Null, wm::kQuit, static_cast<std::uintptr_t>(self.quitCode), 0,
                   static_cast<uint32_t>(state_.now)};
        if (remove) {
            self.quitPosted = false;
        }
        return true;
    }
    for (Timer& timer : state_.timers) {
        if (timer.thread == &self && timer.due <= state_.now) {
            message = {timer.window, wm::kTimer, timer.id, 0, static_cast<uint32_t>(state_.now)};
            if (remove) {
                timer.due = state_.now + timer.interval;
            }
            return true;
        }
    }
    return false;
}

int SimWindowSystem::GetMessage(platform::Message& message) {
    Thread& self = state_.Current();
    if (&self == process_.mainThread) {
        process_.waitedForInput = true;
    }
    while (true) {
        const bool ready = state_.Block(
            [&] {
                return !self.queue.empty() || self.quitPosted || state_.TimerDue(self) ||
                       !self.sent.empty() || !self.callbacks.empty();
            },
            std::nullopt);
        if (!ready) {
            Fail(platform::error::kTimeout);  // nothing can ever arrive: the sim is deadlocked
            return -1;
        }
        HandleSentMessages();
        if (TakeMessage(message, true)) {
            return message.message == wm::kQuit ? 0 : 1;
        }
    }
}

bool SimWindowSystem::PeekMessage(platform::Message& message, bool remove) {
    HandleSentMessages();
    return TakeMessage(message, remove);
}

void SimWindowSystem::TranslateMessage(const platform::Message&) {}

std::intptr_t SimWindowSystem::DispatchMessage(const platform::Message& message) {
    Window* window = state_.FindWindow(message.window);
    if (!window || window->thread != &state_.Current()) {
        return 0;
    }
    return Send(*window, message.message, message.wParam, message.lParam).value_or(0);
}

// The dialog's own keys: Enter presses the default button (IDOK), Escape the Cancel button,
// both as WM_COMMAND sent to the dialog. Any other message for the dialog or one of its
// windows is dispatched; one for another window is not the dialog's.
bool SimWindowSystem::IsDialogMessage(WindowHandle dialog, platform::Message& message) {
    Window* box = state_.FindWindow(dialog);
    if (box == nullptr || message.window == WindowHandle::Null) {
        return false;
    }
    WindowHandle ancestor = message.window;
    while (ancestor != WindowHandle::Null && ancestor != dialog) {
        const Window* w = state_.FindWindow(ancestor);
        ancestor = w ? w->parent : WindowHandle::Null;
    }
    if (ancestor != dialog) {
        return false;
    }
    if (message.message == wm::kKeyDown &&
        (message.wParam == platform::vk::kReturn || message.wParam == platform::vk::kEscape)) {
        const std::uintptr_t id = message.wParam == platform::vk::kReturn
                                      ? static_cast<std::uintptr_t>(platform::id::kOk)
                                      : static_cast<std::uintptr_t>(platform::id::kCancel);
        Send(*box, wm::kCommand, id, 0);
        return true;
    }
    DispatchMessage(message);
    return true;
}

std::intptr_t SimWindowSystem::DefaultHandling(WindowHandle handle, uint32_t message,
                                               std::uintptr_t, std::intptr_t) {
    switch (message) {
        case wm::kQueryEndSession:
            return 1;
        case wm::kClose:
            // A dialog's close box is its Cancel button.
            if (Window* window = state_.FindWindow(handle);
                window && window->className == "#32770") {
                Send(*window, wm::kCommand, platform::id::kCancel, 0);
            } else {
                DestroyWindow(handle);
            }
            return 0;
        default:
            return 0;
    }
}

uint32_t SimWindowSystem::GetCurrentThreadId() const {
    return state_.Current().id;
}

long SimWindowSystem::GetLastError() const {
    return state_.Current().lastError;
}

std::uintptr_t SimWindowSystem::SetTimer(WindowHandle handle, std::uintptr_t id, uint32_t ms) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        Fail(platform::error::kInvalidWindowHandle);
        return 0;
    }
    const uint32_t interval = std::max<uint32_t>(ms, 10);  // USER_TIMER_MINIMUM
    for (Timer& timer : state_.timers) {
        if (timer.window == handle && timer.id == id) {
            timer.interval = interval;
            timer.due = state_.now + interval;
            return id;
        }
    }
    state_.timers.push_back({handle, id, interval, state_.now + interval, window->thread});
    return id;
}

bool SimWindowSystem::KillTimer(WindowHandle handle, std::uintptr_t id) {
    const size_t removed = std::erase_if(
        state_.timers, [&](const Timer& t) { return t.window == handle && t.id == id; });
    return removed > 0 || Fail(platform::error::kInvalidParameter);
}

int SimWindowSystem::MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                                uint32_t type) {
    int answer = 0;
    std::function<bool()> answered;
    if (!state_.messageBoxAnswers.empty()) {
        answer = state_.messageBoxAnswers.front().first;
        answered = std::move(state_.messageBoxAnswers.front().second);
        state_.messageBoxAnswers.pop_front();
    } else {
        switch (type & platform::mb::kTypeMask) {
            case platform::mb::kYesNoCancel:
            case platform::mb::kYesNo:
                answer = platform::id::kYes;
                break;
            default:
                answer = platform::id::kOk;
        }
    }
    state_.messageBoxes.push_back(
        {process_.id, owner, std::string(text), std::string(caption), type, answer});
    RunModalLoop(answered);
    return answer;
}

// A box's own loop until its user answers: the thread's window messages, sent messages and
// timers are handled as usual, while a message posted to the thread itself has no window to go
// to and is lost. A quit message ends the loop and stays for the thread's own loop.
void SimWindowSystem::RunModalLoop(const std::function<bool()>& answered) {
    constexpr uint64_t kPatienceMs = 10 * 60 * 1000;
    Thread& self = state_.Current();
    const uint64_t giveUp = state_.now + kPatienceMs;
    for (;;) {
        HandleSentMessages();
        platform::Message message;
        while (!self.quitPosted && TakeMessage(message, true)) {
            if (message.window != WindowHandle::Null) {
                DispatchMessage(message);
            }
            HandleSentMessages();
        }
        if (self.quitPosted || !answered || answered() || state_.now >= giveUp) {
            return;
        }
        state_.Block(
            [&] {
                return !self.queue.empty() || self.quitPosted || state_.TimerDue(self) ||
                       !self.sent.empty();
            },
            std::min(giveUp, state_.now + 10));
    }
}

bool SimWindowSystem::NotifyIcon(uint32_t action, const platform::NotifyIconData& data) {
    // Icons are known by window and id; adding one twice or removing one that is not there
    // is refused, as the shell does.
    auto& icons = state_.notifyIcons;
    const auto it = std::find_if(icons.begin(), icons.end(), [&](const auto& icon) {
        return icon.window == data.window && icon.id == data.id;
    });
    bool accepted = false;
    if (action == platform::nim::kAdd && it == icons.end()) {
        icons.push_back(data);
        accepted = true;
    } else if (action == platform::nim::kModify && it != icons.end()) {
        *it = data;
        accepted = true;
    } else if (action == platform::nim::kDelete && it != icons.end()) {
        icons.erase(it);
        accepted = true;
    }
    state_.notifyIconCalls.push_back({process_.id, action, data, accepted});
    return accepted;
}

std::optional<std::string> SimWindowSystem::GetOpenFileName(
    WindowHandle owner, const platform::OpenFileRequest& request) {
    state_.openFileDialogs.push_back({owner, request});
    if (state_.openFileAnswers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(state_.openFileAnswers.front());
    state_.openFileAnswers.pop_front();
    return answer;
}

std::optional<std::string> SimWindowSystem::BrowseForFolder(WindowHandle owner,
                                                            std::string_view title,
                                                            uint32_t flags) {
    state_.folderBrowses.push_back({owner, std::string(title), flags});
    if (state_.folderAnswers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(state_.folderAnswers.front());
    state_.folderAnswers.pop_front();
    return answer;
}

std::optional<uint32_t> SimWindowSystem::GetAccessibilityFlags(
    platform::AccessibilityFeature feature) {
    if (state_.accessibilityRefused) {
        return std::nullopt;
    }
    return state_.accessibility[static_cast<size_t>(feature)];
}

bool SimWindowSystem::SetAccessibilityFlags(platform::AccessibilityFeature feature,
                                            uint32_t flags) {
    if (state_.accessibilityRefused) {
        return false;
    }
    state_.accessibility[static_cast<size_t>(feature)] = flags;
    return true;
}

bool SimWindowSystem::SetWindowIcon(WindowHandle handle, uint32_t iconId) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    window->iconId = iconId;
    return true;
}

bool SimWindowSystem::AppendSystemMenuItem(WindowHandle handle, uint32_t commandId,
                                           std::string_view text) {
    Window* window = state_.FindWindow(handle);
    if (!window) {
        return Fail(platform::error::kInvalidWindowHandle);
    }
    window->systemMenu.emplace_back(0, std::string());
    window->systemMenu.emplace_back(commandId, std::string(text));
    return true;
}

platform::HookHandle SimWindowSystem::SetLowLevelHook(platform::HookKind kind,
                                                      platform::HookProcedure* procedure) {
    const auto handle = static_cast<platform::HookHandle>(state_.nextHook++);
    state_.hooks.push_back({handle, kind, procedure, &state_.Current()});
    return handle;
}

bool SimWindowSystem::Unhook(platform::HookHandle hook) {
    const size_t removed =
        std::erase_if(state_.hooks, [&](const Hook& h) { return h.handle == hook; });
    return removed > 0 || Fail(platform::error::kInvalidParameter);
}

// Windows ignores the handle and knows which hook is calling: the older hooks get the event
// only through this call.
std::intptr_t SimWindowSystem::CallNextHook(platform::HookHandle, int, std::uintptr_t wParam,
                                            std::intptr_t lParam) {
    if (state_.hookCalls.empty()) {
        return 0;
    }
    const auto current = state_.hookCalls.back();
    return RunChain(current.chain, current.position + 1, wParam, lParam);
}

int16_t SimWindowSystem::GetAsyncKeyState(int virtualKey) const {
    const bool down =
        virtualKey >= 0 && virtualKey < 256 && state_.keyDown[static_cast<size_t>(virtualKey)];
    return down ? static_cast<int16_t>(0x8000) : 0;
}

namespace {

// The side-less key a left or right modifier also sets.
int GenericKey(int key) {
    switch (key) {
        case platform::vk::kLShift:
        case platform::vk::kRShift:
            return platform::vk::kShift;
        case platform::vk::kLControl:
        case platform::vk::kRControl:
            return platform::vk::kControl;
        case platform::vk::kLMenu:
        case platform::vk::kRMenu:
            return platform::vk::kMenu;
        default:
            return key;
    }
}

constexpr uint32_t kLowLevelHooksTimeoutMs = 1000;

}  // namespace

// The newest hook gets the event first; its answer is the chain's. Non-zero keeps the event
// from its window.
bool SimWindowSystem::RunHooks(platform::HookKind kind, std::uintptr_t message,
                               std::intptr_t record) {
    std::vector<Hook> chain;
    for (auto it = state_.hooks.rbegin(); it != state_.hooks.rend(); ++it) {
        if (it->kind == kind && !it->thread->finished) {
            chain.push_back(*it);
        }
    }
    return RunChain(std::move(chain), 0, message, record) != 0;
}

// Calls the hook at `from`. It runs on its own thread, when that thread waits for messages (at
// once when that is this thread). One that does not answer in time is removed without a word,
// as Windows 7 and later do ("the hook is silently removed without being called", the
// documentation of LowLevelKeyboardProc), and the event goes to the next hook.
std::intptr_t SimWindowSystem::RunChain(std::vector<Hook> chain, size_t from,
                                        std::uintptr_t message, std::intptr_t record) {
    for (size_t position = from; position < chain.size(); ++position) {
        const Hook hook = chain[position];
        const bool installed = std::any_of(state_.hooks.begin(), state_.hooks.end(),
                                           [&](const Hook& h) { return h.handle == hook.handle; });
        if (!installed) {
            continue;
        }
        state_.hookCalls.push_back({chain, position});
        bool threw = false;
        const std::optional<std::intptr_t> result = state_.CallOnThread(
            *hook.thread,
            [&]() -> std::intptr_t {
                // As the platform's trampoline: an exception passes the event on.
                try {
                    return hook.procedure->OnHookEvent(platform::kHcAction, message, record);
                } catch (...) {
                    threw = true;
                    return 0;
                }
            },
            kLowLevelHooksTimeoutMs);
        state_.hookCalls.pop_back();
        if (threw) {
            continue;
        }
        if (result) {
            return *result;
        }
        std::erase_if(state_.hooks, [&](const Hook& h) { return h.handle == hook.handle; });
    }
    return 0;
}

bool SimWindowSystem::SendKey(uint16_t virtualKey, bool up, bool extended) {
    return KeyInput(virtualKey, up, extended, true);
}

bool SimWindowSystem::KeyInput(uint16_t virtualKey, bool up, bool extended, bool injected) {
    const bool altDown = state_.keyDown[platform::vk::kMenu];
    uint32_t message = up ? wm::kKeyUp : wm::kKeyDown;
    if (altDown || virtualKey == platform::vk::kMenu ||
        GenericKey(virtualKey) == platform::vk::kMenu) {
        message += wm::kSysKeyDown - wm::kKeyDown;
    }
    platform::KeyboardEvent event{virtualKey, 0,
                                  (extended ? platform::llkhf::kExtended : 0u) |
                                      (injected ? platform::llkhf::kInjected : 0u) |
                                      (up ? platform::llkhf::kUp : 0u),
                                  static_cast<uint32_t>(state_.now), 0};
    state_.lastInput = static_cast<uint32_t>(state_.now);
    if (RunHooks(platform::HookKind::Keyboard, message, reinterpret_cast<std::intptr_t>(&event))) {
        return true;
    }
    state_.keyDown[virtualKey & 0xFF] = !up;
    state_.keyDown[static_cast<size_t>(GenericKey(virtualKey))] = !up;
    if (state_.FindWindow(state_.focus)) {
        PostMessage(state_.focus, message, virtualKey, 0);
    }
    return true;
}

bool SimWindowSystem::SendMouse(uint32_t flags) {
    namespace mouse = platform::mouse;
    const std::pair<uint32_t, uint32_t> events[] = {
        {mouse::kEventMove, mouse::kMove},          {mouse::kEventLeftDown, mouse::kLButtonDown},
        {mouse::kEventLeftUp, mouse::kLButtonUp},   {mouse::kEventRightDown, mouse::kRButtonDown},
        {mouse::kEventRightUp, mouse::kRButtonUp},  {mouse::kEventMiddleDown, mouse::kMButtonDown},
        {mouse::kEventMiddleUp, mouse::kMButtonUp}, {mouse::kEventWheel, mouse::kWheel},
    };
    platform::MouseEvent record{};
    for (const auto& [flag, message] : events) {
        if ((flags & flag) == 0) {
            continue;
        }
        record.flags = 1;  // LLMHF_INJECTED
        record.time = static_cast<uint32_t>(state_.now);
        state_.lastInput = record.time;
        if (!RunHooks(platform::HookKind::Mouse, message,
                      reinterpret_cast<std::intptr_t>(&record)) &&
            state_.FindWindow(state_.focus)) {
            PostMessage(state_.focus, message, 0, 0);
        }
    }
    return true;
}

bool SimWindowSystem::SetForegroundWindow(WindowHandle window) {
    if (!state_.FindWindow(window)) {
        return false;
    }
    state_.focus = window;
    return true;
}

std::unique_ptr<platform::HtmlHost> SimWindowSystem::CreateHtmlHost(WindowHandle dialog,
                                                                    platform::HtmlEvents& events) {
    if (!state_.FindWindow(dialog)) {
        return nullptr;
    }
    return std::make_unique<SimHtmlHost>(state_, state_.Current(), dialog, events,
                                         process_.resources);
}

}  // namespace sim
