// Auto restart: the programs of the administrator's shortcut folder are started with user mode
// and started again when they no longer have a window; a window that does not answer in time
// has its program ended. The decisions are here, over a small interface to the system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/process_system.h"
#include "platform/system.h"
#include "platform/window_system.h"
#include "session/session_values.h"

namespace corvane {

using platform::ShortcutTarget;

// What auto restart asks of the system besides windows.
class ProgramStarter {
  public:
    virtual ~ProgramStarter() = default;
    // The file names (without folder) the search for `pattern` finds, in its order.
    virtual std::vector<std::string> FindFiles(const std::string& pattern) = 0;
    virtual std::optional<ShortcutTarget> ResolveShortcut(const std::string& shortcutPath) = 0;
    // Starts the command line and waits, for a bounded time, until the program is idle for
    // input; the new process's id, or no value when no process was created.
    virtual std::optional<uint32_t> StartProgram(const std::string& commandLine) = 0;
    // Ends the process with this id and exit code 0xFFFFFFFF, when it can be opened.
    virtual void TerminateProcess(uint32_t processId) = 0;
    // What a check did, for the program's event log.
    virtual void Report(const std::string& /*what*/) {}
};

struct AutoRestartState {
    std::vector<std::string> launchedShortcuts;  // file names, in launch order
    std::vector<uint32_t> launchedProcessIds;    // the last process of each
    int restartCountdown = 0;                    // seconds until the next check
    uint32_t restartWait = 0;                    // the hang test's time-out, from the start
    std::vector<std::string> failingShortcuts;   // reported once until they start again
};

// The system's own: the platform's files, shortcuts and processes. A started program is waited
// for until it is idle for input, for five seconds at most.
class SystemProgramStarter final : public ProgramStarter {
  public:
    explicit SystemProgramStarter(platform::System& system) : system_(system) {}
    std::vector<std::string> FindFiles(const std::string& pattern) override;
    std::optional<ShortcutTarget> ResolveShortcut(const std::string& shortcutPath) override;
    std::optional<uint32_t> StartProgram(const std::string& commandLine) override;
    void TerminateProcess(uint32_t processId) override;
    void Report(const std::string& what) override;

  private:
    platform::System& system_;
};

// The command line of a shortcut: its path, a blank, its arguments. A path with a blank is
// quoted, so that Windows does not try its first word as a program.
std::string ShortcutCommandLine(const ShortcutTarget& target);

// At the start of user mode: the countdown and the hang test's time-out.
void PrepareAutoRestart(const AutoRestartSettings& settings, AutoRestartState& state);
// Starts every program of the folder's shortcuts; how many were started.
int LaunchAutoRestartPrograms(const AutoRestartSettings& settings, AutoRestartState& state,
                              ProgramStarter& starter);
// Starts the program of entry `index` again; 1 when a process was created.
int RestartProgram(const AutoRestartSettings& settings, AutoRestartState& state,
                   ProgramStarter& starter, size_t index);
// The auto-restart part of one tick: every `time` seconds, the check.
void AutoRestartStep(const AutoRestartSettings& settings, AutoRestartState& state,
                     ProgramStarter& starter, platform::WindowSystem& windows);

}  // namespace corvane
