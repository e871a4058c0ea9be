// The sim's shared state and the views each simulated process has of it. Internal to the sim.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/sim/resources.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/world.h"

namespace sim {

struct Thread;
struct Process;

struct Window {
    platform::WindowHandle handle;
    std::string className;
    std::string title;
    uint32_t style;
    bool visible;
    bool enabled;
    platform::WindowHandle parent;
    platform::WindowHandle owner;
    Thread* thread;
    platform::WindowHandler* handler;
    uint32_t iconId = 0;
    std::vector<std::pair<uint32_t, std::string>> systemMenu;  // 0 for a separator
    platform::Rect rect{};
    bool topmost = false;
};

struct Timer {
    platform::WindowHandle window;
    std::uintptr_t id;
    uint32_t interval;
    uint64_t due;
    Thread* thread;
};

// A message sent from another thread, handled by the receiver when it next waits for messages.
struct SentMessage {
    platform::Message message;
    std::optional<std::intptr_t> result;
    bool done = false;
    std::function<std::intptr_t()> call;  // a hook call instead of a window message
};

struct Hook {
    platform::HookHandle handle;
    platform::HookKind kind;
    platform::HookProcedure* procedure;
    Thread* thread;
};

struct Thread {
    uint32_t id = 0;
    Process* process = nullptr;
    std::deque<platform::Message> queue;
    std::deque<SentMessage*> sent;
    // Events of COM objects (the page), delivered when the thread next pumps messages.
    std::deque<std::function<void()>> callbacks;
    bool quitPosted = false;
    int quitCode = 0;
    long lastError = 0;

    // Scheduling: a thread that is not running waits for `ready` or its deadline.
    bool started = false;
    bool waiting = false;
    bool finished = false;
    bool killed = false;
    std::function<bool()> ready;
    std::optional<uint64_t> deadline;
    std::thread os;
    // A thread the process started (StartThread): it runs this instead of the program's main,
    // and its end does not end the process.
    std::function<void()> body;
};

class SimWindowSystem;
class SimProcessSystem;

struct Process {
    uint32_t id = 0;
    std::string image;
    std::vector<std::string> args;
    ProgramMain main;
    std::shared_ptr<const platform::Resources> resources;
    bool exited = false;
    // Its main thread has waited for messages: what WaitForInputIdle waits for.
    bool waitedForInput = false;
    uint32_t exitCode = 259;  // STILL_ACTIVE
    Thread* mainThread = nullptr;
    std::unique_ptr<SimWindowSystem> windows;
    std::unique_ptr<SimProcessSystem> processes;
    std::unique_ptr<platform::System> system;
};

struct Program {
    std::string imagePath;
    ProgramMain main;
    std::shared_ptr<const Resources> resources;
};

struct World::State {
    // Only the baton holder touches anything below `running`.
    std::mutex batonMutex;
    std::condition_variable batonPassed;
    uint32_t running = 0;

    uint64_t now = 0;
    uint64_t randomState = 0;  // of the sim's random bytes
    SimSecrets secrets;
    SimRegistry registry;
    SimFiles files;
    std::vector<std::unique_ptr<Process>> processes;
    std::vector<std::unique_ptr<Thread>> threads;
    std::map<platform::WindowHandle, Window> windows;
    std::vector<platform::WindowHandle> zOrder;  // top-level and child windows in creation order
    std::vector<Timer> timers;
    std::vector<Hook> hooks;  // in installation order
    // The chains being run, innermost last: the hooks newest first, and the one called now.
    struct HookCall {
        std::vector<Hook> chain;
        size_t position;
    };
    std::vector<HookCall> hookCalls;
    uint32_t nextHook = 0x1000;
    std::array<bool, 256> keyDown{};
    uint32_t lastInput = 0;  // the virtual time of the last key or mouse event
    platform::WindowHandle focus = platform::WindowHandle::Null;
    std::map<std::string, uint32_t> atoms;  // registered messages, by folded name
    std::map<std::string, std::vector<std::max_align_t>> sharedSections;
    std::map<std::string, int> mutexes;  // named mutexes and their handle counts
    std::vector<Program> programs;
    // The user's answers to the next boxes, each once its condition holds (at once without one).
    std::deque<std::pair<int, std::function<bool()>>> messageBoxAnswers;
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<NotifyIconRecord> notifyIconCalls;
    std::vector<platform::NotifyIconData> notifyIcons;
    // Kinds of file the shell opens; others have no association.
    std::vector<std::string> associations = {".exe", ".com",  ".bat", ".cmd", ".lnk", ".txt",
                                             ".htm", ".html", ".url", ".msc", ".cpl"};
    std::vector<ShellExecuteRecord> shellExecutes;
    std::vector<std::pair<std::string, LibraryExports>> libraries;
    std::deque<std::optional<std::string>> openFileAnswers;
    std::vector<OpenFileRecord> openFileDialogs;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<FolderBrowseRecord> folderBrowses;
    std::vector<ReportedEvent> reportedEvents;
    // Windows' defaults: each feature available (0x2) with its hot key on (0x4).
    std::array<uint32_t, 5> accessibility = {0x6, 0x6, 0x6, 0x6, 0x6};
    bool accessibilityRefused = false;                          // as this Wine answers
    std::map<std::string, platform::ShortcutTarget> shortcuts;  // by lower-case path
    // The virtual screen of Wine's null driver, less a taskbar's height at the foot.
    platform::Rect workArea{0, 0, 1024, 738};
    uint32_t nextWindow = 0x20000;
    uint32_t nextProcessId = 0x100;
    uint32_t nextThreadId = 1;

    Thread& Current();
    Thread* FindThread(uint32_t id);
    Window* FindWindow(platform::WindowHandle handle);

    Process& NewProcess(std::string image, std::vector<std::string> args, ProgramMain main,
                        std::shared_ptr<const platform::Resources> resources);
    void StartThread(Thread& thread);
    // Blocks the running thread until `ready` holds or the deadline passes; true when ready.
    bool Block(std::function<bool()> ready, std::optional<uint64_t> deadline);
    void EndProcess(Process& process, uint32_t exitCode);

    bool TimerDue(const Thread& thread) const;
    // Runs `call` on `thread` when it next pumps messages; no value when it did not in time.
    std::optional<std::intptr_t> CallOnThread(Thread& thread, std::function<std::intptr_t()> call,
                                              uint32_t timeoutMs);

    std::map<platform::WindowHandle, class SimHtmlHost*> pages;

  private:
    Thread* PickNext(Thread& self);
    void HandOver(Thread& self, Thread& next, bool selfEnds);
    void RunThread(Thread& thread);
};

class SimWindowSystem final : public platform::WindowSystem {
  public:
    SimWindowSystem(World::State& state, Process& process) : state_(state), process_(process) {}

    uint32_t RegisterWindowMessage(std::string_view name) override;
    platform::WindowHandle CreateWindow(const platform::WindowOptions& options,
                                        platform::WindowHandler* handler) override;
    platform::WindowHandle CreateDialog(uint32_t templateId, platform::WindowHandle owner,
                                        platform::WindowHandler* handler) override;
    bool DestroyWindow(platform::WindowHandle window) override;
    bool IsWindow(platform::WindowHandle window) const override;
    bool IsWindowVisible(platform::WindowHandle window) const override;
    bool ShowWindow(platform::WindowHandle window, int showCommand) override;
    bool EnableWindow(platform::WindowHandle window, bool enable) override;
    bool SetWindowPos(platform::WindowHandle window, platform::WindowHandle insertAfter, int x,
                      int y, int cx, int cy, uint32_t flags) override;
    std::string GetWindowText(platform::WindowHandle window) const override;
    bool SetWindowText(platform::WindowHandle window, std::string_view text) override;
    std::string GetClassName(platform::WindowHandle window) const override;
    uint32_t GetWindowProcessId(platform::WindowHandle window) const override;
    platform::WindowHandle GetOwner(platform::WindowHandle window) const override;
    std::optional<platform::Rect> GetWindowRect(platform::WindowHandle window) const override;
    platform::Rect GetWorkArea() const override;
    platform::WindowHandle FindWindow(const std::optional<std::string>& className,
                                      const std::optional<std::string>& title) const override;
    platform::WindowHandle FindWindowEx(platform::WindowHandle parent, platform::WindowHandle after,
                                        const std::optional<std::string>& className,
                                        const std::optional<std::string>& title) const override;
    std::vector<platform::WindowHandle> EnumTopLevelWindows() const override;
    bool PostMessage(platform::WindowHandle window, uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    bool PostThreadMessage(uint32_t threadId, uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;
    void PostQuitMessage(int exitCode) override;
    std::optional<std::intptr_t> SendMessageTimeout(platform::WindowHandle window, uint32_t message,
                                                    std::uintptr_t wParam, std::intptr_t lParam,
                                                    uint32_t timeoutMs) override;
    int GetMessage(platform::Message& message) override;
    bool PeekMessage(platform::Message& message, bool remove) override;
    void TranslateMessage(const platform::Message& message) override;
    std::intptr_t DispatchMessage(const platform::Message& message) override;
    bool IsDialogMessage(platform::WindowHandle dialog, platform::Message& message) override;
    std::intptr_t DefaultHandling(platform::WindowHandle window, uint32_t message,
                                  std::uintptr_t wParam, std::intptr_t lParam) override;
    uint32_t GetCurrentThreadId() const override;
    long GetLastError() const override;
    std::uintptr_t SetTimer(platform::WindowHandle window, std::uintptr_t id, uint32_t ms) override;
    bool KillTimer(platform::WindowHandle window, std::uintptr_t id) override;
    int MessageBox(platform::WindowHandle owner, std::string_view text, std::string_view caption,
                   uint32_t type) override;
    platform::HookHandle SetLowLevelHook(platform::HookKind kind,
                                         platform::HookProcedure* procedure) override;
    bool Unhook(platform::HookHandle hook) override;
    std::intptr_t CallNextHook(platform::HookHandle hook, int code, std::uintptr_t wParam,
                               std::intptr_t lParam) override;
    int16_t GetAsyncKeyState(int virtualKey) const override;
    uint32_t LastInputTime() const override { return state_.lastInput; }
    bool SendKey(uint16_t virtualKey, bool up, bool extended) override;
    // A key as the keyboard sends it (injected: false) or as SendInput does (true).
    bool KeyInput(uint16_t virtualKey, bool up, bool extended, bool injected);
    bool SendMouse(uint32_t mouseEventFlags) override;
    bool SetForegroundWindow(platform::WindowHandle window) override;
    bool InitCommonControls(uint32_t) override { return true; }
    std::unique_ptr<platform::HtmlHost> CreateHtmlHost(platform::WindowHandle dialog,
                                                       platform::HtmlEvents& events) override;
    bool NotifyIcon(uint32_t action, const platform::NotifyIconData& data) override;
    std::optional<std::string> GetOpenFileName(platform::WindowHandle owner,
                                               const platform::OpenFileRequest& request) override;
    std::optional<std::string> BrowseForFolder(platform::WindowHandle owner, std::string_view title,
                                               uint32_t flags) override;
    std::optional<uint32_t> GetAccessibilityFlags(platform::AccessibilityFeature feature) override;
    bool SetAccessibilityFlags(platform::AccessibilityFeature feature, uint32_t flags) override;
    bool SetWindowIcon(platform::WindowHandle window, uint32_t iconId) override;
    bool AppendSystemMenuItem(platform::WindowHandle window, uint32_t commandId,
                              std::string_view text) override;

    // Destroys every window of the process, as Windows does when it ends.
    void DestroyAll();

  private:
    // Takes a window out of the world, with its timers.
    void ForgetWindow(platform::WindowHandle window);
    std::optional<std::intptr_t> Send(Window& window, uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam);
    bool ChangeVisibility(Window& window, uint32_t flags);
    bool Fail(long error) const;
    bool TakeMessage(platform::Message& message, bool remove);
    void RunModalLoop(const std::function<bool()>& answered);
    void HandleSentMessages();
    // Runs an event through the hooks of its kind, newest first; true when one swallowed it.
    bool RunHooks(platform::HookKind kind, std::uintptr_t message, std::intptr_t record);
    std::intptr_t RunChain(std::vector<Hook> chain, size_t from, std::uintptr_t message,
                           std::intptr_t record);

    World::State& state_;
    Process& process_;
};

class SimProcessSystem final : public platform::ProcessSystem {
  public:
    SimProcessSystem(World::State& state, Process& process) : state_(state), process_(process) {}

    std::vector<std::string> CommandLineArguments() const override;
    std::string ModulePath() const override;
    uint32_t CurrentProcessId() const override;
    platform::NamedMutex CreateMutex(std::string_view name) override;
    std::unique_ptr<platform::Process> StartProcess(std::string_view commandLine) override;
    std::intptr_t ShellExecute(std::string_view verb, std::string_view file,
                               std::string_view parameters, std::string_view directory,
                               int showCommand) override;
    void Sleep(uint32_t ms) override;
    std::unique_ptr<platform::WorkerThread> StartThread(std::function<void()> body) override;
    platform::LibraryCall CallLibraryEntry(std::string_view library,
                                           std::string_view entry) override;
    std::unique_ptr<platform::Process> OpenProcessById(uint32_t processId) override;
    bool TerminateProcessById(uint32_t processId, uint32_t exitCode) override;
    std::optional<platform::ShortcutTarget> ResolveShortcut(std::string_view shortcutPath) override;
    platform::LocalTime Now() const override;
    uint64_t TickCount() const override { return state_.now; }
    bool RandomBytes(std::span<uint8_t> out) override;
    bool DerivePbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                            uint32_t iterations, std::span<uint8_t> out) override;
    long StoreSecret(std::string_view name, const std::optional<std::string>& text) override;
    long ReadSecret(std::string_view name, std::string& text) override;
    std::string ExpandEnvironment(std::string_view text) const override;
    bool ReportToEventLog(std::string_view source, uint16_t type, std::string_view text) override;

  private:
    World::State& state_;
    Process& process_;
};

class EmptyResources final : public platform::Resources {
  public:
    std::string LoadString(uint32_t) const override { return {}; }
};

}  // namespace sim
