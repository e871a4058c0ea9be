// A model of Windows that lives in memory, for fast deterministic tests.
//
// Every simulated process runs its program on a thread of its own, but only one simulated
// thread runs at a time: the baton passes only where Windows code would block (waiting for a
// message, a process or a sleep), to the first thread, by id, that can go on. When none can,
// the virtual clock jumps to the next timer or deadline. The same test thus gives the same
// result every time, and the code under test can block just as it does on Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_registry.h"
#include "platform/system.h"

namespace sim {

class Resources;
class SimHtmlHost;

// Thrown inside a simulated process that is being terminated, to unwind its stack.
struct ProcessKilled {};

// The system's LSA secrets, which only administrators reach.
struct SimSecrets {
    std::map<std::string, std::string> values;
    long refusal = 0;  // every call fails with this, as where the system keeps no secrets
};

using ProgramMain = std::function<int(platform::System&)>;

struct NotifyIconRecord {
    uint32_t processId;
    uint32_t action;  // NIM_*
    platform::NotifyIconData data;
    bool accepted;
};

struct MessageBoxRecord {
    uint32_t processId;
    platform::WindowHandle owner;
    std::string text;
    std::string caption;
    uint32_t type;
    int answer;
};

struct ShellExecuteRecord {
    uint32_t processId;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int showCommand;
};

struct OpenFileRecord {
    platform::WindowHandle owner;
    platform::OpenFileRequest request;
};

struct ReportedEvent {
    std::string source;
    uint16_t type;
    std::string text;
};

struct FolderBrowseRecord {
    platform::WindowHandle owner;
    std::string title;
    uint32_t flags;
};

// The exports of a library that CallLibraryEntry can load, by name.
using LibraryExports = std::vector<std::pair<std::string, std::function<long()>>>;

struct WindowInfo {
    platform::WindowHandle handle;
    std::string className;
    std::string title;
    uint32_t style;
    bool visible;
    bool enabled;
    platform::WindowHandle parent;
    platform::WindowHandle owner;
    uint32_t processId;
    uint32_t threadId;
    uint32_t iconId;
    std::vector<std::pair<uint32_t, std::string>> systemMenu;
};

class World {
  public:
    // The calling thread becomes the driver: the main thread of a process "driver.exe", with
    // these resources as its own.
    explicit World(std::shared_ptr<const Resources> driverResources = nullptr);
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    platform::System& Driver();
    SimRegistry& Registry();
    SimFiles& Files();
    SimSecrets& Secrets();

    // A program that StartProcess can run, found by its full path or by its file name.
    void RegisterProgram(const std::string& imagePath, ProgramMain main,
                         std::shared_ptr<const Resources> resources = nullptr);

    // The public at the keyboard: a key as the keyboard sends it, without the injected flag a
    // program's SendInput carries, on the driver's thread.
    void PressKey(uint16_t virtualKey, bool up, bool extended);

    // The primary screen's work area.
    void SetWorkArea(const platform::Rect& area);
    // Whether SetWindowPos put the window above all others.
    bool IsTopMost(platform::WindowHandle window) const;

    // The virtual clock, in milliseconds.
    uint64_t Now() const;
    // The driver waits this long; the other processes run meanwhile.
    void RunFor(uint32_t ms);

    // Answers for the next message boxes, in order; without one a box answers its first button.
    void ScriptMessageBoxAnswer(int answer);
    // The same, but the user answers only once `when` holds; meanwhile the box's modal loop
    // runs and virtual time passes (ten minutes at most).
    void ScriptMessageBoxAnswerWhen(int answer, std::function<bool()> when);
    const std::vector<MessageBoxRecord>& MessageBoxes() const;
    // Every call of the notification area, and the icons it shows now.
    const std::vector<NotifyIconRecord>& NotifyIconCalls() const;
    std::vector<platform::NotifyIconData> NotifyIcons() const;
    // A shortcut file the shell's link object reads as this target and these arguments.
    void PutShortcut(const std::string& path, const std::string& target,
                     const std::string& arguments);
    // A library CallLibraryEntry finds by its file name; a later one of that name replaces it.
    void InstallLibrary(const std::string& fileName, LibraryExports exports);
    void RemoveLibrary(const std::string& fileName);
    // The user's answers to the next open-file dialogs (no value: cancelled); without one a
    // dialog is cancelled.
    void ScriptOpenFileAnswer(std::optional<std::string> path);
    const std::vector<OpenFileRecord>& OpenFileDialogs() const;
    // The accessibility features' flags as the system holds them for the session; refused,
    // every call about them fails, as under Wine.
    uint32_t AccessibilityFlags(platform::AccessibilityFeature feature) const;
    void SetAccessibilityFlags(platform::AccessibilityFeature feature, uint32_t flags);
    void RefuseAccessibilityCalls(bool refuse);
    // The entries programs reported to the system's event log.
    const std::vector<ReportedEvent>& ReportedEvents() const;
    // The same for the shell's folder browser.
    void ScriptFolderAnswer(std::optional<std::string> path);
    const std::vector<FolderBrowseRecord>& FolderBrowses() const;
    const std::vector<ShellExecuteRecord>& ShellExecutes() const;

    // A data section shared by every simulated process, zero at first use.
    template <typename T>
    T& Shared(const std::string& name) {
        static_assert(std::is_trivially_copyable_v<T>);
        return *static_cast<T*>(SharedSection(name, sizeof(T)));
    }
    void* SharedSection(const std::string& name, size_t size);
    int HookCount() const;
    // The system takes the process's hooks away without a word, as Windows does with one whose
    // thread did not answer in time.
    void DropHooksOf(uint32_t processId);

    // The page of a dialog window, as a scripted user sees it; null when it has none.
    SimHtmlHost* Page(platform::WindowHandle dialog) const;

    std::vector<WindowInfo> Windows() const;
    std::optional<WindowInfo> FindWindowInfo(const std::string& className,
                                             const std::string& title) const;
    bool ProcessRunning(uint32_t processId) const;
    // The id and arguments of every process that has not ended, oldest first.
    std::vector<std::pair<uint32_t, std::vector<std::string>>> RunningProcesses() const;

    struct State;

  private:
    std::unique_ptr<State> state_;
};

}  // namespace sim
