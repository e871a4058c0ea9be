#include "session/auto_restart.h"

#include <algorithm>

#include "common/event_log.h"
#include "platform/constants.h"

namespace corvane {

namespace {

std::optional<uint32_t> StartShortcut(const AutoRestartSettings& settings, ProgramStarter& starter,
                                      const std::string& fileName) {
    const std::optional<ShortcutTarget> target =
        starter.ResolveShortcut(settings.folder + fileName);
    // An unreadable shortcut gives an empty command line, which starts nothing.
    return starter.StartProgram(target ? ShortcutCommandLine(*target) : std::string());
}

// The processes of the visible, unowned top-level windows, with repeats. With a wait set, a
// window that does not answer in time has its process ended; it still counts as running in
// this check and is started again at the next.
std::vector<uint32_t> CollectWindowProcesses(platform::WindowSystem& windows, uint32_t wait,
                                             ProgramStarter& starter) {
    std::vector<uint32_t> processIds;
    for (const platform::WindowHandle window : windows.EnumTopLevelWindows()) {
        if (windows.GetOwner(window) != platform::WindowHandle::Null ||
            !windows.IsWindowVisible(window)) {
            continue;
        }
        const uint32_t processId = windows.GetWindowProcessId(window);
        processIds.push_back(processId);
        if (wait != 0 && !windows.SendMessageTimeout(window, platform::wm::kNull, 0, 0, wait)) {
            const std::string title = windows.GetWindowText(window);  // gone with its process
            starter.TerminateProcess(processId);
            starter.Report("ended process " + std::to_string(processId) + ": its window \"" +
                           title + "\" did not answer within " + std::to_string(wait) + " ms");
        }
    }
    return processIds;
}

}  // namespace

// A program that stays busy must not stop the kiosk's timers and windows for long.
constexpr uint32_t kIdleWaitMs = 5000;

std::vector<std::string> SystemProgramStarter::FindFiles(const std::string& pattern) {
    return system_.files.FindFiles(pattern);
}

std::optional<ShortcutTarget> SystemProgramStarter::ResolveShortcut(
    const std::string& shortcutPath) {
    return system_.processes.ResolveShortcut(shortcutPath);
}

std::optional<uint32_t> SystemProgramStarter::StartProgram(const std::string& commandLine) {
    const std::unique_ptr<platform::Process> process = system_.processes.StartProcess(commandLine);
    if (!process) {
        return std::nullopt;
    }
    process->WaitForInputIdle(kIdleWaitMs);
    return process->Id();
}

void SystemProgramStarter::TerminateProcess(uint32_t processId) {
    system_.processes.TerminateProcessById(processId, 0xFFFFFFFF);
}

void SystemProgramStarter::Report(const std::string& what) {
    EventLog(system_).Note(what);
}

std::string ShortcutCommandLine(const ShortcutTarget& target) {
    // find() failing on an empty path keeps front() from being asked.
    const bool quote = target.path.find(' ') != std::string::npos && target.path.front() != '"';
    return (quote ? "\"" + target.path + "\"" : target.path) + " " + target.arguments;
}

void PrepareAutoRestart(const AutoRestartSettings& settings, AutoRestartState& state) {
    state.restartWait = settings.wait;
    state.restartCountdown = static_cast<int32_t>(settings.time);
}

int LaunchAutoRestartPrograms(const AutoRestartSettings& settings, AutoRestartState& state,
                              ProgramStarter& starter) {
    int started = 0;
    for (const std::string& fileName : starter.FindFiles(settings.folder + "*.lnk")) {
        if (const std::optional<uint32_t> processId = StartShortcut(settings, starter, fileName)) {
            state.launchedProcessIds.push_back(*processId);
            state.launchedShortcuts.push_back(fileName);
            ++started;
        }
    }
    return started;
}

int RestartProgram(const AutoRestartSettings& settings, AutoRestartState& state,
                   ProgramStarter& starter, size_t index) {
    const std::optional<uint32_t> processId =
        StartShortcut(settings, starter, state.launchedShortcuts.at(index));
    const std::string& shortcut = state.launchedShortcuts[index];
    auto& failing = state.failingShortcuts;
    const bool failedBefore = std::find(failing.begin(), failing.end(), shortcut) != failing.end();
    if (!processId) {
        if (!failedBefore) {
            starter.Report("could not start " + shortcut + " again; each check tries again");
            failing.push_back(shortcut);
        }
        return 0;  // the old id stays
    }
    std::erase(failing, shortcut);
    state.launchedProcessIds[index] = *processId;
    starter.Report("restarted " + shortcut + " as process " + std::to_string(*processId) +
                   ": its program had no window");
    return 1;
}

void AutoRestartStep(const AutoRestartSettings& settings, AutoRestartState& state,
                     ProgramStarter& starter, platform::WindowSystem& windows) {
    if (--state.restartCountdown > 0) {
        return;
    }
    state.restartCountdown = static_cast<int32_t>(settings.time);
    const std::vector<uint32_t> running =
        CollectWindowProcesses(windows, state.restartWait, starter);
    for (size_t index = 0; index < state.launchedProcessIds.size(); ++index) {
        if (std::find(running.begin(), running.end(), state.launchedProcessIds[index]) ==
            running.end()) {
            RestartProgram(settings, state, starter, index);
        }
    }
}

}  // namespace corvane
