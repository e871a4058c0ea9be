// User mode's one-second tick: the programs kept running, the session timers on the main
// window, their pages and the timer window.
#include "app/corvane_dlg.h"
#include "app/timer_dlg.h"
#include "common/command_ids.h"
#include "common/event_log.h"
#include "session/auto_restart.h"
#include "session/session_timers.h"

namespace corvane {

namespace {

// What a tick asks of the windows, carried out by the main window.
class MainWindowSession final : public SessionWindows {
  public:
    MainWindowSession(CCorvaneDlg& dialog, platform::System& system)
        : dialog_(dialog), system_(system) {}
    void ShowActivity(int seconds) override { dialog_.timerWindow.ShowActivity(seconds); }
    void ShowInactivity(int seconds) override { dialog_.timerWindow.ShowInactivity(seconds); }
    int ShowMessagePage(const std::string& url) override { return dialog_.ShowMessagePage(url); }
    void CloseApplicationWindows() override {
        EventLog(system_).Note("the session ended: the application windows were asked to close");
        corvane::CloseApplicationWindows(system_.windows);
    }

  private:
    CCorvaneDlg& dialog_;
    platform::System& system_;
};

}  // namespace

void CCorvaneDlg::StartSessionServices() {
    if (enableTimers == 0 && enableAutoRestart == 0) {
        return;
    }
    PrepareAutoRestart(autoRestart, restart);
    StartCounters(timers, counters);
    timerId = system.windows.SetTimer(Handle(), TIMER_ID_SECOND, 1000);
    if (timers.showTimerDialog != 0) {
        timerWindow.pageUrl = timers.timerDialogURL;
        timerWindow.windowLeft = static_cast<int>(timers.timerDialogLeft);
        timerWindow.windowTop = static_cast<int>(timers.timerDialogTop);
        timerWindow.windowWidth = static_cast<int>(timers.timerDialogWidth);
        timerWindow.windowHeight = static_cast<int>(timers.timerDialogHeight);
        timerWindow.Create(Handle());  // hidden until its first update
    }
    if (enableAutoRestart != 0) {
        SystemProgramStarter starter(system);
        LaunchAutoRestartPrograms(autoRestart, restart, starter);
    }
}

// The tick's own timer is off while it runs, so a page it opens never overlaps the next tick.
void CCorvaneDlg::OnSessionTimer(std::uintptr_t id) {
    if (id != timerId) {
        return;
    }
    system.windows.KillTimer(Handle(), timerId);
    if (enableAutoRestart != 0) {
        SystemProgramStarter starter(system);
        AutoRestartStep(autoRestart, restart, starter, system.windows);
    }
    if (enableTimers != 0) {
        MainWindowSession windows(*this, system);
        SessionTick(timers, counters, windows, system.windows.IsWindow(timerWindow.Handle()));
    }
    timerId = system.windows.SetTimer(Handle(), TIMER_ID_SECOND, 1000);
}

void CCorvaneDlg::StartGuard(uint32_t guardianId) {
    if (enableHideGUI == 0 || hideGui.keepUserModeRunning == 0) {
        return;
    }
    guard = std::make_unique<KioskGuard>(system);
    EventLog(system).Note(guard->Start(guardianId)
                              ? "the guard runs: user mode comes back when it is ended"
                              : "the guard could not be started");
    guardTimerId = system.windows.SetTimer(Handle(), TIMER_ID_GUARD, 1000);
}

void CCorvaneDlg::StopGuard() {
    if (guard != nullptr) {
        guard->Stop();
        guard.reset();
    }
}

void CCorvaneDlg::OnTimer(std::uintptr_t id) {
    if (id == guardTimerId && guard != nullptr) {
        guard->Check();
        return;
    }
    OnSessionTimer(id);
}

int CCorvaneDlg::ShowMessagePage(const std::string& url) {
    CMessageDlg page(app);
    page.pageUrl = url;
    return static_cast<int>(page.DoModal(platform::WindowHandle::Null));
}

}  // namespace corvane
