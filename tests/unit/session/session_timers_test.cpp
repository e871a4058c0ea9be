// The session timers tick by tick: what the timer window shows, which pages open in which
// order, and when the session ends.
#include <gtest/gtest.h>

#include <deque>

#include "platform/constants.h"
#include "platform/sim/world.h"
#include "session/session_timers.h"
#include "session/timer_window_layout.h"

namespace corvane {
namespace {

// Records every call as one line: "A 5" (activity shown), "I 3", "page warn1.htm", "close".
class RecordingWindows final : public SessionWindows {
  public:
    std::vector<std::string> calls;
    std::deque<int> answers;  // the pages' end codes in order; IDOK when none is left

    void ShowActivity(int seconds) override { calls.push_back("A " + std::to_string(seconds)); }
    void ShowInactivity(int seconds) override { calls.push_back("I " + std::to_string(seconds)); }
    int ShowMessagePage(const std::string& url) override {
        calls.push_back("page " + url);
        if (answers.empty()) {
            return platform::id::kOk;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void CloseApplicationWindows() override { calls.push_back("close"); }
};

class SessionTimersTest : public testing::Test {
  protected:
    SessionTimersTest() {
        settings.activityDialogURL = "end.htm";
        settings.activityDialogWarn1URL = "warn1.htm";
        settings.activityDialogWarn2URL = "warn2.htm";
        settings.inactivityDialogURL = "still-there.htm";
    }
    void Start() { StartCounters(settings, counters); }
    std::vector<std::string> Ticks(int count, bool timerWindow = true) {
        windows.calls.clear();
        for (int i = 0; i < count; ++i) {
            SessionTick(settings, counters, windows, timerWindow);
        }
        return windows.calls;
    }

    TimerSettings settings;
    SessionCounters counters;
    RecordingWindows windows;
};

using Calls = std::vector<std::string>;

TEST_F(SessionTimersTest, ASessionCountsDownEndsWithItsPageAndStartsOver) {
    settings.activityTime = 5;
    settings.startActivityOnOpen = 1;
    Start();
    EXPECT_EQ(Ticks(5), (Calls{"A 5", "A 4", "A 3", "A 2", "A 1", "A 0", "page end.htm", "close"}));
    EXPECT_EQ(Ticks(1), (Calls{"A 5"}));  // running again at once
    EXPECT_EQ(counters.activityRunning, 1);

    // Without the timer window, or with it unwanted, the counters run without display.
    settings.showTimerDialog = 0;
    EXPECT_EQ(Ticks(4), (Calls{"page end.htm", "close"}));
    settings.showTimerDialog = 1;
    EXPECT_EQ(Ticks(5, false), (Calls{"page end.htm", "close"}));
    // A quit while the end page is up ends nothing.
    windows.answers = {kPageEndedByQuit};
    EXPECT_EQ(Ticks(5, false), (Calls{"page end.htm"}));
}

TEST_F(SessionTimersTest, WarningsOpenOnTheTickThatShowsTheirThreshold) {
    settings.activityTime = 70;
    settings.activityTimeWarn1 = 60;
    settings.activityTimeWarn2 = 3;
    settings.showTimerDialog = 0;
    settings.startActivityOnOpen = 1;
    Start();
    EXPECT_EQ(Ticks(10), Calls{});
    EXPECT_EQ(Ticks(1), (Calls{"page warn1.htm"}));  // the tick that shows 01:00
    EXPECT_EQ(Ticks(56), Calls{});
    EXPECT_EQ(Ticks(1), (Calls{"page warn2.htm"}));
    EXPECT_EQ(Ticks(2), (Calls{"page end.htm", "close"}));

    // Thresholds of 0 or above the session never match.
    settings.activityTimeWarn1 = 0;
    settings.activityTimeWarn2 = 71;
    Start();
    EXPECT_EQ(Ticks(70), (Calls{"page end.htm", "close"}));
}

TEST_F(SessionTimersTest, CancellingAWarningEndsTheSessionOnThatTick) {
    settings.activityTime = 10;
    settings.activityTimeWarn1 = 5;
    settings.activityTimeWarn2 = 5;
    settings.showTimerDialog = 0;
    settings.startActivityOnOpen = 1;
    Start();
    Ticks(5);
    // Equal thresholds: both warnings on one tick, the first first.
    EXPECT_EQ(Ticks(1), (Calls{"page warn1.htm", "page warn2.htm"}));

    Start();
    Ticks(5);
    windows.answers = {platform::id::kCancel};
    EXPECT_EQ(Ticks(1), (Calls{"page warn1.htm", "page end.htm", "close"}));

    // With the second threshold at 0, cancelling the first opens the second before the end.
    settings.activityTimeWarn2 = 0;
    Start();
    Ticks(5);
    windows.answers = {platform::id::kCancel};
    EXPECT_EQ(Ticks(1), (Calls{"page warn1.htm", "page warn2.htm", "page end.htm", "close"}));
}

TEST_F(SessionTimersTest, InputRestartsOnlyTheInactivityCountAndStartsWaitingTimers) {
    settings.activityTime = 4;
    settings.inactivityTime = 3;
    Start();  // neither starts on open
    EXPECT_EQ(Ticks(3), Calls{});
    OnActivity(settings, counters);
    EXPECT_EQ(Ticks(2), (Calls{"A 4", "I 3", "A 3", "I 2"}));
    OnActivity(settings, counters);
    EXPECT_EQ(counters.activityLeft, 2);  // never lengthened
    EXPECT_EQ(counters.inactivityLeft, 3);
    // The activity expiry does not skip the inactivity step of the same tick.
    EXPECT_EQ(Ticks(2), (Calls{"A 2", "I 3", "A 1", "A 0", "page end.htm", "close", "I 2"}));
    EXPECT_EQ(counters.activityRunning, 0);  // waits, full time loaded, for the next input
    EXPECT_EQ(counters.activityLeft, 4);
}

TEST_F(SessionTimersTest, TheInactivityPageConfirmedKeepsTheSessionAnythingElseEndsIt) {
    settings.inactivityTime = 2;
    settings.showTimerDialog = 0;
    settings.startInactivityOnOpen = 0;
    Start();
    OnActivity(settings, counters);
    windows.answers = {platform::id::kOk};
    EXPECT_EQ(Ticks(2), (Calls{"page still-there.htm"}));
    EXPECT_EQ(counters.inactivityRunning, 1);
    EXPECT_EQ(counters.inactivityLeft, 2);

    windows.answers = {platform::id::kCancel};
    EXPECT_EQ(Ticks(2), (Calls{"page still-there.htm", "close"}));
    EXPECT_EQ(counters.inactivityRunning, 0);
    EXPECT_EQ(Ticks(3), Calls{});

    settings.startInactivityOnOpen = 1;
    OnActivity(settings, counters);
    windows.answers = {-1};  // any other end code: the page could not even be made
    EXPECT_EQ(Ticks(2), (Calls{"page still-there.htm", "close"}));
    EXPECT_EQ(counters.inactivityRunning, 1);

    // A quit while the page is up (/q, logoff) ends its loop: that ends nothing.
    windows.answers = {kPageEndedByQuit};
    EXPECT_EQ(Ticks(2), (Calls{"page still-there.htm"}));
}

TEST(CloseApplicationWindows, OnlyVisibleUnownedTitledWindowsOfOthersAreAskedToClose) {
    sim::World world;
    platform::WindowSystem& windows = world.Driver().windows;
    class Recorder final : public platform::WindowHandler {
      public:
        std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle window,
                                                     uint32_t message, std::uintptr_t,
                                                     std::intptr_t) override {
            if (message == platform::wm::kClose) {
                closed.push_back(window);
                return 0;
            }
            return std::nullopt;
        }
        std::vector<platform::WindowHandle> closed;
    } recorder;
    const auto make = [&](const char* title, uint32_t style, platform::WindowHandle owner) {
        return windows.CreateWindow({"App", title, style, owner}, &recorder);
    };
    const uint32_t visible = platform::ws::kVisible;
    const auto browser = make("Kiosk browser", visible, platform::WindowHandle::Null);
    const auto main = make("Corvane", visible, platform::WindowHandle::Null);
    make("Program Manager", visible, platform::WindowHandle::Null);
    make("", visible, platform::WindowHandle::Null);       // the taskbar's kind
    make("Hidden tool", 0, platform::WindowHandle::Null);  // not visible
    make("Timer", visible, main);                          // owned
    const auto corvaneLike = make("Corvane 2", visible, platform::WindowHandle::Null);
    CloseApplicationWindows(windows);
    platform::Message message;
    while (windows.PeekMessage(message, true)) {
        windows.DispatchMessage(message);
    }
    std::sort(recorder.closed.begin(), recorder.closed.end());
    std::vector<platform::WindowHandle> expected = {browser, corvaneLike};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(recorder.closed, expected);
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

TEST(TimerWindowLayout, TimesReadAsMinutesAndSecondsWithLeadingZeros) {
    EXPECT_EQ(TimerText(0), "00:00");
    EXPECT_EQ(TimerText(59), "00:59");
    EXPECT_EQ(TimerText(60), "01:00");
    EXPECT_EQ(TimerText(3600), "60:00");
    EXPECT_EQ(TimerText(6000), "100:00");
    EXPECT_EQ(TimerText(-61), "-01:-01");  // a counter taken below zero keeps counting visibly
}

TEST(TimerWindowLayout, TheWindowGoesToTheBottomRightUnlessPlaced) {
    const platform::Rect workArea{0, 0, 1024, 738};
    EXPECT_EQ(PlaceTimerWindow(workArea, 120, 65, {}), (platform::Rect{904, 673, 1024, 738}));
    // A given left edge stays; the top still comes from the work area.
    EXPECT_EQ(PlaceTimerWindow(workArea, 120, 65, {10, 0, 0, 0}),
              (platform::Rect{10, 673, 130, 738}));
    // A given size is used for the corner as well.
    EXPECT_EQ(PlaceTimerWindow(workArea, 120, 65, {0, 0, 200, 100}),
              (platform::Rect{824, 638, 1024, 738}));
    // A work area that does not start at 0,0 (a taskbar on the left or at the top): the rule
    // subtracts its left and top, as the program always has.
    EXPECT_EQ(PlaceTimerWindow({100, 30, 1024, 768}, 120, 65, {}),
              (platform::Rect{804, 673, 924, 738}));
}

}  // namespace
}  // namespace corvane
