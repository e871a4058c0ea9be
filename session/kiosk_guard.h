// A kiosk that comes back when killed: a second Corvane process, the guard, waits for user
// mode's process and starts user mode again when it ends without saying so first; user mode in
// turn starts the guard again when the guard is ended. Only user mode's own ending (/q, the
// exit button, logoff) stops the guard, and it does so before it ends.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/system.h"

namespace corvane {

// The switches between the two: "/guard:PID" makes a process the guard of user mode PID,
// "/guardian:PID" tells a user mode the guard PID started it.
inline constexpr const char* kGuardSwitch = "/guard:";
inline constexpr const char* kGuardianSwitch = "/guardian:";

// A user mode that ends this many times within the window is not started again: something
// ends it at once (it cannot start), and the guard stops and says so.
inline constexpr int kGuardMaxRestarts = 5;
inline constexpr uint64_t kGuardRestartWindowMs = 60000;

// The guard's whole run; returns its exit code: 0 when user mode stopped it, 1 when user mode
// could not be opened or started again, 2 after too many restarts.
int RunKioskGuard(platform::System& system, uint32_t userModeProcessId);

// User mode's side.
class KioskGuard {
  public:
    explicit KioskGuard(platform::System& system) : system_(system) {}
    // Keeps the guard that started this user mode (`guardianId` not 0, and still there), or
    // starts one. False when no guard runs.
    bool Start(uint32_t guardianId);
    // Starts a new guard when this one has ended; true when one runs afterwards. A guard that
    // cannot be started is tried again at each check and said once.
    bool Check();
    // Ends the guard: user mode is ending by itself. Nothing when none runs.
    void Stop();

  private:
    bool StartNew();

    platform::System& system_;
    std::unique_ptr<platform::Process> guard_;
    bool saidNotStarted_ = false;
};

}  // namespace corvane
