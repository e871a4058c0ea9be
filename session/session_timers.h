// The activity and inactivity timers: what one tick of the one-second timer does to the two
// counters, which pages it opens and when it ends the session. Plain state and a small
// interface to the windows around it, so every rule can be tried tick by tick.
#pragma once

#include <string>

#include "platform/constants.h"
#include "platform/window_system.h"
#include "session/session_values.h"

namespace corvane {

// A page whose loop ended because the program is quitting (/q, logoff): no one answered it,
// and no one left either, so it ends nothing. The modal loop's code for that end.
inline constexpr int kPageEndedByQuit = platform::id::kAbort;

// The run-time state of the two session timers (fields of the main window).
struct SessionCounters {
    int activityRunning = 0;
    int inactivityRunning = 0;
    int activityLeft = 0;
    int inactivityLeft = 0;
};

// What a tick shows and does outside the counters.
class SessionWindows {
  public:
    virtual ~SessionWindows() = default;
    // The timer window's two fields; called only while that window exists and is wanted.
    virtual void ShowActivity(int seconds) = 0;
    virtual void ShowInactivity(int seconds) = 0;
    // A modal message page; its end code (IDOK 1, IDCANCEL 2, ...), or kPageEndedByQuit.
    virtual int ShowMessagePage(const std::string& url) = 0;
    // Ends the session: every titled application window is asked to close.
    virtual void CloseApplicationWindows() = 0;
};

// The counters at the start of user mode.
void StartCounters(const TimerSettings& settings, SessionCounters& counters);
// New times while a session runs: no count is left longer than its new time.
void ShortenCounters(const TimerSettings& settings, SessionCounters& counters);
// A key press or mouse action: both timers run, the inactivity count starts over.
void OnActivity(const TimerSettings& settings, SessionCounters& counters);
// The session timers' part of one tick: the activity step, then the inactivity step.
// `timerWindow` says whether the timer window exists.
void SessionTick(const TimerSettings& settings, SessionCounters& counters, SessionWindows& windows,
                 bool timerWindow);

// Posts WM_CLOSE to every visible, unowned, titled top-level window except the program's own
// ("Corvane") and the desktop ("Program Manager").
void CloseApplicationWindows(platform::WindowSystem& windows);

}  // namespace corvane
