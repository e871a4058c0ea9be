#include "session/session_timers.h"

#include <algorithm>

#include <cstdint>

#include "platform/constants.h"

namespace corvane {

namespace {

// The settings hold the times as DWORDs; the counters are signed, as the program keeps them.
int Seconds(uint32_t stored) {
    return static_cast<int32_t>(stored);
}

void ActivityStep(const TimerSettings& s, SessionCounters& c, SessionWindows& windows,
                  bool display) {
    if (display) {
        windows.ShowActivity(c.activityLeft);
    }
    if (c.activityLeft == Seconds(s.activityTimeWarn1) &&
        windows.ShowMessagePage(s.activityDialogWarn1URL) == platform::id::kCancel) {
        c.activityLeft = 0;
    }
    if (c.activityLeft == Seconds(s.activityTimeWarn2) &&
        windows.ShowMessagePage(s.activityDialogWarn2URL) == platform::id::kCancel) {
        c.activityLeft = 0;
    }
    if (--c.activityLeft > 0) {
        return;
    }
    if (display) {
        windows.ShowActivity(c.activityLeft);
    }
    const int answer = windows.ShowMessagePage(s.activityDialogURL);
    c.activityLeft = Seconds(s.activityTime);
    if (answer == kPageEndedByQuit) {
        return;
    }
    windows.CloseApplicationWindows();
    if (s.startActivityOnOpen == 0) {
        c.activityRunning = 0;
    }
}

void InactivityStep(const TimerSettings& s, SessionCounters& c, SessionWindows& windows,
                    bool display) {
    if (display) {
        windows.ShowInactivity(c.inactivityLeft);
    }
    if (--c.inactivityLeft > 0) {
        return;
    }
    if (display) {
        windows.ShowInactivity(c.inactivityLeft);
    }
    const int answer = windows.ShowMessagePage(s.inactivityDialogURL);
    c.inactivityLeft = Seconds(s.inactivityTime);
    if (answer == platform::id::kOk || answer == kPageEndedByQuit) {
        return;  // still there, or the program is leaving
    }
    windows.CloseApplicationWindows();
    if (s.startInactivityOnOpen == 0) {
        c.inactivityRunning = 0;
    }
}

}  // namespace

void StartCounters(const TimerSettings& settings, SessionCounters& counters) {
    counters.activityLeft = Seconds(settings.activityTime);
    counters.inactivityLeft = Seconds(settings.inactivityTime);
    counters.activityRunning = settings.startActivityOnOpen;
    counters.inactivityRunning = settings.startInactivityOnOpen;
}

void ShortenCounters(const TimerSettings& settings, SessionCounters& counters) {
    counters.activityLeft = std::min(counters.activityLeft, Seconds(settings.activityTime));
    counters.inactivityLeft = std::min(counters.inactivityLeft, Seconds(settings.inactivityTime));
}

void OnActivity(const TimerSettings& settings, SessionCounters& counters) {
    counters.activityRunning = 1;
    counters.inactivityRunning = 1;
    counters.inactivityLeft = Seconds(settings.inactivityTime);
}

void SessionTick(const TimerSettings& settings, SessionCounters& counters, SessionWindows& windows,
                 bool timerWindow) {
    const bool display = settings.showTimerDialog != 0 && timerWindow;
    if (counters.activityRunning != 0 && settings.activityTime != 0) {
        ActivityStep(settings, counters, windows, display);
    }
    if (counters.inactivityRunning != 0 && settings.inactivityTime != 0) {
        InactivityStep(settings, counters, windows, display);
    }
}

void CloseApplicationWindows(platform::WindowSystem& windows) {
    for (const platform::WindowHandle window : windows.EnumTopLevelWindows()) {
        const std::string title = windows.GetWindowText(window);
        if (windows.GetOwner(window) != platform::WindowHandle::Null ||
            !windows.IsWindowVisible(window) || title.empty() || title == "Corvane" ||
            title == "Program Manager") {
            continue;
        }
        windows.PostMessage(window, platform::wm::kClose, 0, 0);
    }
}

}  // namespace corvane
