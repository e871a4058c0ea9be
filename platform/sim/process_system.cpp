#include <chrono>

#include "platform/command_line.h"
#include "platform/constants.h"
#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

namespace {

class SimMutexHandle final : public platform::KernelObject {
  public:
    SimMutexHandle(World::State& state, std::string name) : state_(state), name_(std::move(name)) {
        ++state_.mutexes[name_];
    }
    ~SimMutexHandle() override {
        if (--state_.mutexes[name_] == 0) {
            state_.mutexes.erase(name_);
        }
    }

  private:
    World::State& state_;
    std::string name_;
};

class SimProcess final : public platform::Process {
  public:
    SimProcess(World::State& state, sim::Process& process) : state_(state), process_(process) {}

    uint32_t Id() const override { return process_.id; }

    std::optional<uint32_t> WaitForExit(uint32_t timeoutMs) override {
        const std::optional<uint64_t> deadline =
            timeoutMs == 0xFFFFFFFF ? std::nullopt
                                    : std::optional<uint64_t>(state_.now + timeoutMs);
        if (!state_.Block([this] { return process_.exited; }, deadline)) {
            return std::nullopt;
        }
        return process_.exitCode;
    }

    bool Terminate(uint32_t exitCode) override {
        if (!process_.exited) {
            process_.exitCode = exitCode;
            process_.mainThread->killed = true;
        }
        return true;
    }
    // Ready once its main thread first waits for messages; a program that never does keeps
    // the caller waiting the whole time-out, in virtual time.
    bool WaitForInputIdle(uint32_t timeoutMs) override {
        state_.Block([this] { return process_.waitedForInput || process_.exited; },
                     state_.now + timeoutMs);
        return process_.waitedForInput && !process_.exited;
    }

  private:
    World::State& state_;
    sim::Process& process_;
};

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::vector<std::string> SimProcessSystem::CommandLineArguments() const {
    return process_.args;
}

std::string SimProcessSystem::ModulePath() const {
    return process_.image;
}

uint32_t SimProcessSystem::CurrentProcessId() const {
    return process_.id;
}

platform::NamedMutex SimProcessSystem::CreateMutex(std::string_view name) {
    platform::NamedMutex result;
    const std::string key(name);
    result.alreadyExisted = state_.mutexes.count(key) > 0;
    result.handle = std::make_unique<SimMutexHandle>(state_, key);
    state_.Current().lastError = result.alreadyExisted ? platform::error::kAlreadyExists : 0;
    return result;
}

std::unique_ptr<platform::Process> SimProcessSystem::StartProcess(std::string_view commandLine) {
    std::vector<std::string> args = platform::SplitCommandLine(commandLine);
    if (args.empty()) {
        state_.Current().lastError = platform::error::kInvalidParameter;
        return nullptr;
    }
    for (const Program& program : state_.programs) {
        const bool byPath = platform::EqualsIgnoreAsciiCase(program.imagePath, args[0]);
        const bool byName = args[0].find('\\') == std::string::npos &&
                            platform::EqualsIgnoreAsciiCase(FileName(program.imagePath), args[0]);
        if (byPath || byName) {
            sim::Process& process = state_.NewProcess(program.imagePath, std::move(args),
                                                      program.main, program.resources);
            state_.StartThread(*process.mainThread);
            return std::make_unique<SimProcess>(state_, process);
        }
    }
    state_.Current().lastError = platform::error::kFileNotFound;
    return nullptr;
}

std::intptr_t SimProcessSystem::ShellExecute(std::string_view verb, std::string_view file,
                                             std::string_view parameters,
                                             std::string_view directory, int showCommand) {
    state_.shellExecutes.push_back({process_.id, std::string(verb), std::string(file),
                                    std::string(parameters), std::string(directory), showCommand});
    // As ShellExecuteW finds a document: by its path, or a bare name in the system folder.
    // A file that is not there gives SE_ERR_FNF (2); one of a kind nothing opens,
    // SE_ERR_NOASSOC (31); anything else opens (an instance value above 32).
    for (const Program& program : state_.programs) {
        if (platform::EqualsIgnoreAsciiCase(program.imagePath, file)) {
            return 42;
        }
    }
    std::string found(file);
    if (found.find_first_of("\\/") == std::string::npos && !state_.files.Exists(found)) {
        found = "C:\\Windows\\System32\\" + found;
    }
    if (!state_.files.Exists(found)) {
        return 2;
    }
    const size_t dot = found.find_last_of('.');
    const std::string kind =
        dot == std::string::npos ? "" : platform::AsciiLower(found.substr(dot));
    for (const std::string& known : state_.associations) {
        if (kind == known) {
            return 42;
        }
    }
    return 31;
}

// The sim's machine has its system on drive C, as most have.
std::string SimProcessSystem::ExpandEnvironment(std::string_view text) const {
    static const std::pair<std::string_view, std::string_view> kVariables[] = {
        {"%SystemDrive%", "C:"}, {"%SystemRoot%", "C:\\Windows"}, {"%windir%", "C:\\Windows"}};
    std::string out(text);
    for (const auto& [name, value] : kVariables) {
        for (size_t at = out.find(name); at != std::string::npos; at = out.find(name, at)) {
            out.replace(at, name.size(), value);
            at += value.size();
        }
    }
    return out;
}

platform::LibraryCall SimProcessSystem::CallLibraryEntry(std::string_view library,
                                                         std::string_view entry) {
    platform::LibraryCall call;
    for (const auto& [name, exports] : state_.libraries) {
        if (!platform::EqualsIgnoreAsciiCase(name, library)) {
            continue;
        }
        call.loaded = true;
        for (const auto& [exportName, function] : exports) {
            if (exportName == entry) {
                call.found = true;
                call.result = function();
                return call;
            }
        }
        return call;
    }
    state_.Current().lastError = platform::error::kModNotFound;
    return call;
}

std::unique_ptr<platform::Process> SimProcessSystem::OpenProcessById(uint32_t processId) {
    for (const auto& process : state_.processes) {
        if (process->id == processId && !process->exited) {
            return std::make_unique<SimProcess>(state_, *process);
        }
    }
    state_.Current().lastError = platform::error::kInvalidParameter;
    return nullptr;
}

bool SimProcessSystem::TerminateProcessById(uint32_t processId, uint32_t exitCode) {
    for (const auto& process : state_.processes) {
        if (process->id == processId && !process->exited) {
            process->exitCode = exitCode;
            process->mainThread->killed = true;
            return true;
        }
    }
    state_.Current().lastError = platform::error::kInvalidParameter;
    return false;
}

std::optional<platform::ShortcutTarget> SimProcessSystem::ResolveShortcut(
    std::string_view shortcutPath) {
    const auto it = state_.shortcuts.find(platform::AsciiLower(shortcutPath));
    if (it == state_.shortcuts.end() || !state_.files.Exists(shortcutPath)) {
        return std::nullopt;
    }
    return it->second;
}

void SimProcessSystem::Sleep(uint32_t ms) {
    state_.Block([] { return false; }, state_.now + ms);
}

namespace {

class SimWorkerThread final : public platform::WorkerThread {
  public:
    SimWorkerThread(World::State& state, Thread& thread) : state_(state), thread_(thread) {}
    uint32_t Id() const override { return thread_.id; }
    bool Join(uint32_t timeoutMs) override {
        return state_.Block([this] { return thread_.finished; }, state_.now + timeoutMs);
    }

  private:
    World::State& state_;
    Thread& thread_;
};

}  // namespace

std::unique_ptr<platform::WorkerThread> SimProcessSystem::StartThread(std::function<void()> body) {
    auto thread = std::make_unique<Thread>();
    thread->id = state_.nextThreadId++;
    thread->process = &process_;
    thread->body = std::move(body);
    Thread& started = *thread;
    state_.threads.push_back(std::move(thread));
    state_.StartThread(started);
    return std::make_unique<SimWorkerThread>(state_, started);
}

// The virtual clock starts on 8 December 2026 at 09:00 local time.
platform::LocalTime SimProcessSystem::Now() const {
    using namespace std::chrono;
    const sys_seconds start = sys_days{year{2026} / December / 8} + hours{9};
    const sys_seconds now = start + duration_cast<seconds>(milliseconds{state_.now});
    const year_month_day date{floor<days>(now)};
    const hh_mm_ss time{now - floor<days>(now)};
    return {static_cast<int>(date.year()),
            static_cast<int>(unsigned{date.month()}),
            static_cast<int>(unsigned{date.day()}),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count())};
}

bool SimProcessSystem::ReportToEventLog(std::string_view source, uint16_t type,
                                        std::string_view text) {
    state_.reportedEvents.push_back({std::string(source), type, std::string(text)});
    return true;
}

}  // namespace sim
