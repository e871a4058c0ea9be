#include "session/kiosk_guard.h"

#include <deque>
#include <string>

#include "common/event_log.h"

namespace corvane {

namespace {

constexpr uint32_t kForever = 0xFFFFFFFF;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

}  // namespace

int RunKioskGuard(platform::System& system, uint32_t userModeProcessId) {
    EventLog log(system);
    std::unique_ptr<platform::Process> userMode =
        system.processes.OpenProcessById(userModeProcessId);
    if (userMode == nullptr) {
        log.Warn("the guard could not open user mode's process: it ends");
        return 1;
    }
    const std::string command = Quoted(system.processes.ModulePath()) + " /user " +
                                kGuardianSwitch +
                                std::to_string(system.processes.CurrentProcessId());
    std::deque<uint64_t> restarts;
    for (;;) {
        // User mode that ends by itself ends this process first: whatever ends while this
        // waits was ended from outside, or failed.
        userMode->WaitForExit(kForever);
        const uint64_t now = system.processes.TickCount();
        while (!restarts.empty() && now - restarts.front() > kGuardRestartWindowMs) {
            restarts.pop_front();
        }
        if (static_cast<int>(restarts.size()) >= kGuardMaxRestarts) {
            log.Error("user mode ended " + std::to_string(kGuardMaxRestarts) +
                      " times within a minute: the guard stops starting it");
            return 2;
        }
        restarts.push_back(now);
        userMode = system.processes.StartProcess(command);
        if (userMode == nullptr) {
            log.Error("user mode was ended from outside and could not be started again");
            return 1;
        }
        log.Warn("user mode was ended from outside: it was started again");
    }
}

bool KioskGuard::Start(uint32_t guardianId) {
    if (guardianId != 0) {
        guard_ = system_.processes.OpenProcessById(guardianId);
        if (guard_ != nullptr && !guard_->WaitForExit(0).has_value()) {
            return true;
        }
        guard_.reset();
    }
    return StartNew();
}

bool KioskGuard::Check() {
    if (guard_ != nullptr && !guard_->WaitForExit(0).has_value()) {
        return true;
    }
    const bool wasRunning = guard_ != nullptr;
    guard_.reset();
    const bool started = StartNew();
    if (started) {
        EventLog(system_).Warn(wasRunning ? "the guard was ended from outside: it was started again"
                                          : "the guard runs again");
        saidNotStarted_ = false;
    } else if (!saidNotStarted_) {
        EventLog(system_).Warn("the guard was ended from outside and could not be started");
        saidNotStarted_ = true;
    }
    return started;
}

void KioskGuard::Stop() {
    if (guard_ != nullptr) {
        guard_->Terminate(0);
        guard_->WaitForExit(5000);
        guard_.reset();
    }
}

bool KioskGuard::StartNew() {
    guard_ =
        system_.processes.StartProcess(Quoted(system_.processes.ModulePath()) + " " + kGuardSwitch +
                                       std::to_string(system_.processes.CurrentProcessId()));
    return guard_ != nullptr;
}

}  // namespace corvane
