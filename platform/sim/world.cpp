#include "platform/sim/world.h"

#include <algorithm>
#include <cassert>

#include "platform/sim/state.h"
#include "platform/text.h"

namespace sim {

using State = World::State;

Thread& State::Current() {
    Thread* thread = FindThread(running);
    assert(thread != nullptr);
    return *thread;
}

Thread* State::FindThread(uint32_t id) {
    for (auto& thread : threads) {
        if (thread->id == id) {
            return thread.get();
        }
    }
    return nullptr;
}

Window* State::FindWindow(platform::WindowHandle handle) {
    const auto it = windows.find(handle);
    return it == windows.end() ? nullptr : &it->second;
}

Process& State::NewProcess(std::string image, std::vector<std::string> args, ProgramMain main,
                           std::shared_ptr<const platform::Resources> resources) {
    auto process = std::make_unique<Process>();
    process->id = nextProcessId;
    nextProcessId += 4;
    process->image = std::move(image);
    process->args = std::move(args);
    process->main = std::move(main);
    process->resources = resources ? std::move(resources) : std::make_shared<EmptyResources>();
    process->windows = std::make_unique<SimWindowSystem>(*this, *process);
    process->processes = std::make_unique<SimProcessSystem>(*this, *process);
    process->system = std::make_unique<platform::System>(platform::System{
        registry, *process->windows, *process->processes, *process->resources, files});
    auto thread = std::make_unique<Thread>();
    thread->id = nextThreadId++;
    thread->process = process.get();
    process->mainThread = thread.get();
    threads.push_back(std::move(thread));
    processes.push_back(std::move(process));
    return *processes.back();
}

void State::StartThread(Thread& thread) {
    thread.os = std::thread([this, &thread] { RunThread(thread); });
}

void State::RunThread(Thread& thread) {
    {
        std::unique_lock lock(batonMutex);
        batonPassed.wait(lock, [&] { return running == thread.id; });
    }
    thread.started = true;
    Process& process = *thread.process;
    if (thread.body) {
        // A thread of the process: its end is its own.
        try {
            if (!thread.killed && !process.exited) {
                thread.body();
            }
        } catch (const ProcessKilled&) {
        }
        std::erase_if(hooks, [&](const Hook& hook) { return hook.thread == &thread; });
        thread.finished = true;
        thread.waiting = false;
        Thread* next = PickNext(thread);
        HandOver(thread, *next, true);
        return;
    }
    uint32_t exitCode = 0;
    if (!thread.killed) {
        try {
            exitCode = static_cast<uint32_t>(process.main(*process.system));
        } catch (const ProcessKilled&) {
            exitCode = process.exitCode;
        } catch (...) {
            exitCode = 0xC0000005;  // an unhandled exception ends the process as a crash
        }
    } else {
        exitCode = process.exitCode;
    }
    EndProcess(process, exitCode);
    thread.finished = true;
    thread.waiting = false;
    Thread* next = PickNext(thread);
    HandOver(thread, *next, true);
}

void State::EndProcess(Process& process, uint32_t exitCode) {
    if (process.exited) {
        return;
    }
    process.windows->DestroyAll();
    std::erase_if(hooks, [&](const Hook& hook) { return hook.thread->process == &process; });
    // Its other threads end with it, each where it waits.
    for (auto& other : threads) {
        if (other->process == &process && other.get() != &Current() && !other->finished) {
            other->killed = true;
        }
    }
    process.exited = true;
    process.exitCode = exitCode;
}

std::optional<std::intptr_t> State::CallOnThread(Thread& thread,
                                                 std::function<std::intptr_t()> call,
                                                 uint32_t timeoutMs) {
    if (&thread == &Current()) {
        return call();
    }
    SentMessage sent{{}, {}, false, std::move(call)};
    thread.sent.push_back(&sent);
    Block([&] { return sent.done || thread.finished; }, now + timeoutMs);
    std::erase(thread.sent, &sent);
    if (!sent.done) {
        return std::nullopt;
    }
    return sent.result;
}

bool State::TimerDue(const Thread& thread) const {
    return std::any_of(timers.begin(), timers.end(),
                       [&](const Timer& t) { return t.thread == &thread && t.due <= now; });
}

Thread* State::PickNext(Thread& self) {
    while (true) {
        // Round robin by id, starting after the thread that gives the baton away.
        const size_t count = threads.size();
        size_t start = 0;
        for (size_t k = 0; k < count; ++k) {
            if (threads[k].get() == &self) {
                start = k + 1;
            }
        }
        for (size_t n = 0; n < count; ++n) {
            Thread& t = *threads[(start + n) % count];
            if (t.finished) {
                continue;
            }
            const bool fresh = !t.started && !t.waiting && &t != &self;
            const bool woken =
                t.waiting && (t.killed || t.ready() || (t.deadline && *t.deadline <= now));
            if (fresh || woken) {
                return &t;
            }
        }
        // Nobody can go on: let time pass to the next timer or deadline.
        std::optional<uint64_t> next;
        const auto consider = [&](uint64_t when) {
            if (when > now && (!next || when < *next)) {
                next = when;
            }
        };
        for (const auto& t : threads) {
            if (!t->finished && t->waiting && t->deadline) {
                consider(*t->deadline);
            }
        }
        for (const Timer& timer : timers) {
            consider(timer.due);
        }
        if (!next) {
            // Deadlock: the driver wakes and sees its wait fail.
            Thread& driver = *threads.front();
            driver.deadline = now;
            return &driver;
        }
        now = *next;
    }
}

void State::HandOver(Thread& self, Thread& next, bool selfEnds) {
    std::unique_lock lock(batonMutex);
    running = next.id;
    batonPassed.notify_all();
    if (!selfEnds) {
        batonPassed.wait(lock, [&] { return running == self.id; });
    }
}

bool State::Block(std::function<bool()> ready, std::optional<uint64_t> deadline) {
    Thread& self = Current();
    if (self.killed) {
        throw ProcessKilled{};
    }
    if (ready()) {
        return true;
    }
    self.ready = std::move(ready);
    self.deadline = deadline;
    self.waiting = true;
    Thread* next = PickNext(self);
    if (next != &self) {
        HandOver(self, *next, false);
    }
    self.waiting = false;
    self.deadline.reset();
    if (self.killed) {
        throw ProcessKilled{};
    }
    const bool ok = self.ready();
    self.ready = nullptr;
    return ok;
}

World::World(std::shared_ptr<const Resources> driverResources) : state_(std::make_unique<State>()) {
    Process& driver = state_->NewProcess("C:\\tests\\driver.exe", {"C:\\tests\\driver.exe"},
                                         nullptr, std::move(driverResources));
    driver.mainThread->started = true;
    state_->running = driver.mainThread->id;
    state_->files.MakeFolder(state_->files.UserDataFolder());
}

World::~World() {
    State& s = *state_;
    // End every process still running, each unwinding its own stack.
    for (auto& thread : s.threads) {
        Thread& t = *thread;
        if (&t == s.threads.front().get() || t.finished || !t.os.joinable()) {
            continue;
        }
        t.killed = true;
        s.Block([&t] { return t.finished; }, std::nullopt);
    }
    for (auto& thread : s.threads) {
        if (thread->os.joinable()) {
            thread->os.join();
        }
    }
}

platform::System& World::Driver() {
    return *state_->processes.front()->system;
}

void World::PressKey(uint16_t virtualKey, bool up, bool extended) {
    static_cast<SimWindowSystem&>(Driver().windows).KeyInput(virtualKey, up, extended, false);
}

void World::SetWorkArea(const platform::Rect& area) {
    state_->workArea = area;
}

bool World::IsTopMost(platform::WindowHandle window) const {
    const Window* w = state_->FindWindow(window);
    return w != nullptr && w->topmost;
}

SimRegistry& World::Registry() {
    return state_->registry;
}

SimFiles& World::Files() {
    return state_->files;
}

SimSecrets& World::Secrets() {
    return state_->secrets;
}

void World::RegisterProgram(const std::string& imagePath, ProgramMain main,
                            std::shared_ptr<const Resources> resources) {
    // A later registration of the same path replaces the earlier one.
    std::erase_if(state_->programs, [&](const Program& p) {
        return platform::EqualsIgnoreAsciiCase(p.imagePath, imagePath);
    });
    state_->programs.push_back({imagePath, std::move(main), std::move(resources)});
}

uint64_t World::Now() const {
    return state_->now;
}

void World::RunFor(uint32_t ms) {
    const uint64_t until = state_->now + ms;
    state_->Block([] { return false; }, until);
}

void World::ScriptMessageBoxAnswer(int answer) {
    state_->messageBoxAnswers.emplace_back(answer, nullptr);
}

void World::ScriptMessageBoxAnswerWhen(int answer, std::function<bool()> when) {
    state_->messageBoxAnswers.emplace_back(answer, std::move(when));
}

const std::vector<MessageBoxRecord>& World::MessageBoxes() const {
    return state_->messageBoxes;
}

const std::vector<NotifyIconRecord>& World::NotifyIconCalls() const {
    return state_->notifyIconCalls;
}

std::vector<platform::NotifyIconData> World::NotifyIcons() const {
    return state_->notifyIcons;
}

void World::PutShortcut(const std::string& path, const std::string& target,
                        const std::string& arguments) {
    state_->files.Put(path, "");
    state_->shortcuts[platform::AsciiLower(path)] = {target, arguments};
}

void World::InstallLibrary(const std::string& fileName, LibraryExports exports) {
    RemoveLibrary(fileName);
    state_->libraries.emplace_back(fileName, std::move(exports));
}

void World::RemoveLibrary(const std::string& fileName) {
    std::erase_if(state_->libraries, [&](const auto& library) {
        return platform::EqualsIgnoreAsciiCase(library.first, fileName);
    });
}

void World::ScriptOpenFileAnswer(std::optional<std::string> path) {
    state_->openFileAnswers.push_back(std::move(path));
}

const std::vector<OpenFileRecord>& World::OpenFileDialogs() const {
    return state_->openFileDialogs;
}

uint32_t World::AccessibilityFlags(platform::AccessibilityFeature feature) const {
    return state_->accessibility[static_cast<size_t>(feature)];
}

void World::SetAccessibilityFlags(platform::AccessibilityFeature feature, uint32_t flags) {
    state_->accessibility[static_cast<size_t>(feature)] = flags;
}

void World::RefuseAccessibilityCalls(bool refuse) {
    state_->accessibilityRefused = refuse;
}

const std::vector<ReportedEvent>& World::ReportedEvents() const {
    return state_->reportedEvents;
}

void World::ScriptFolderAnswer(std::optional<std::string> path) {
    state_->folderAnswers.push_back(std::move(path));
}

const std::vector<FolderBrowseRecord>& World::FolderBrowses() const {
    return state_->folderBrowses;
}

const std::vector<ShellExecuteRecord>& World::ShellExecutes() const {
    return state_->shellExecutes;
}

void* World::SharedSection(const std::string& name, size_t size) {
    auto& section = state_->sharedSections[name];
    const size_t units = (size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    if (section.size() < units) {
        section.resize(units, std::max_align_t{});
    }
    return section.data();
}

SimHtmlHost* World::Page(platform::WindowHandle dialog) const {
    const auto it = state_->pages.find(dialog);
    return it == state_->pages.end() ? nullptr : it->second;
}

int World::HookCount() const {
    return static_cast<int>(state_->hooks.size());
}

void World::DropHooksOf(uint32_t processId) {
    std::erase_if(state_->hooks,
                  [&](const Hook& hook) { return hook.thread->process->id == processId; });
}

std::vector<WindowInfo> World::Windows() const {
    std::vector<WindowInfo> out;
    for (const platform::WindowHandle handle : state_->zOrder) {
        const Window& w = state_->windows.at(handle);
        out.push_back({w.handle, w.className, w.title, w.style, w.visible, w.enabled, w.parent,
                       w.owner, w.thread->process->id, w.thread->id, w.iconId, w.systemMenu});
    }
    return out;
}

std::optional<WindowInfo> World::FindWindowInfo(const std::string& className,
                                                const std::string& title) const {
    for (const WindowInfo& info : Windows()) {
        if (platform::EqualsIgnoreAsciiCase(info.className, className) && info.title == title) {
            return info;
        }
    }
    return std::nullopt;
}

bool World::ProcessRunning(uint32_t processId) const {
    for (const auto& process : state_->processes) {
        if (process->id == processId) {
            return !process->exited;
        }
    }
    return false;
}

std::vector<std::pair<uint32_t, std::vector<std::string>>> World::RunningProcesses() const {
    std::vector<std::pair<uint32_t, std::vector<std::string>>> running;
    for (const auto& process : state_->processes) {
        if (!process->exited) {
            running.emplace_back(process->id, process->args);
        }
    }
    return running;
}

}  // namespace sim
