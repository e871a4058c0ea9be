// The session timers in user mode on the sim: the timer window in its corner counting down, the
// final page, and the application windows asked to close when the session ends.
#include <algorithm>

#include "common/event_log.h"
#include "common/settings_store.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;
using platform::WindowHandle;

class CloseRecorder final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle window, uint32_t message,
                                                 std::uintptr_t, std::intptr_t) override {
        if (message == platform::wm::kClose) {
            closed.push_back(window);
            return 0;
        }
        return std::nullopt;
    }
    std::vector<WindowHandle> closed;
};

class SessionTimers : public CorvaneWorld {
  protected:
    void SetUp() override {
        SetNumber(kSettingsRoot, "EnableTimers", 1);
        const std::string timers = std::string(kSettingsRoot) + "\\Timers";
        SetNumber(timers, "StartActivityOnOpen", 1);
        SetNumber(timers, "ActivityTime", 3);
        SetText(timers, "ActivityDialogURL", "C:\\Kiosk\\end.htm");
        world.Files().Put("C:\\Kiosk\\end.htm",
                          "<html><head><title>Time is up</title></head><body>"
                          "<button id=\"ButtonOK\">OK</button></body></html>");
    }
    void SetNumber(const std::string& path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0);
        SetDWordValue(*key, name, value);
    }
    void SetText(const std::string& path, const char* name, const std::string& value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0);
        SetStringValue(*key, name, value);
    }
    // The kiosk's window owned by its main window: the timer window.
    std::optional<sim::WindowInfo> TimerWindow(const platform::Process& kiosk) {
        const auto main = WindowOf(kiosk);
        for (const sim::WindowInfo& info : world.Windows()) {
            if (main && info.processId == kiosk.Id() && info.owner == main->handle) {
                return info;
            }
        }
        return std::nullopt;
    }
    std::string ActivityShown(const platform::Process& kiosk) {
        const auto timer = TimerWindow(kiosk);
        sim::SimHtmlHost* page = timer ? world.Page(timer->handle) : nullptr;
        return page ? page->Value("activity").value_or("?") : "no page";
    }
    void Pump() {
        platform::Message message;
        while (sys.windows.PeekMessage(message, true)) {
            sys.windows.DispatchMessage(message);
        }
    }
};

TEST_F(SessionTimers, TheSessionCountsDownInTheCornerAndItsEndClosesTheApplications) {
    CloseRecorder recorder;
    const auto make = [&](const char* title, uint32_t style, WindowHandle owner) {
        return sys.windows.CreateWindow({"KioskApp", title, style, owner}, &recorder);
    };
    const uint32_t visible = platform::ws::kVisible;
    const WindowHandle browser = make("Kiosk browser", visible, WindowHandle::Null);
    make("", visible, WindowHandle::Null);
    make("Hidden helper", 0, WindowHandle::Null);
    make("Owned palette", visible, browser);

    auto kiosk = Start("/user");
    const auto timer = TimerWindow(*kiosk);
    ASSERT_TRUE(timer.has_value());
    EXPECT_FALSE(timer->visible);  // hidden until its first update
    world.RunFor(1000);
    EXPECT_TRUE(sys.windows.IsWindowVisible(timer->handle));
    EXPECT_TRUE(world.IsTopMost(timer->handle));
    // 80 x 40 dialog units are 120 x 65 pixels, in the corner of a 1024 x 738 work area.
    EXPECT_EQ(sys.windows.GetWindowRect(timer->handle), (platform::Rect{904, 673, 1024, 738}));
    EXPECT_EQ(ActivityShown(*kiosk), "00:03");
    world.RunFor(1000);
    EXPECT_EQ(ActivityShown(*kiosk), "00:02");
    world.RunFor(1000);  // 00:01, then 00:00 and the final page
    sim::SimHtmlHost* end = PageOf(*kiosk, "Time is up");
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(ActivityShown(*kiosk), "00:00");
    Pump();
    EXPECT_TRUE(recorder.closed.empty());  // not before the page is closed
    world.RunFor(5000);
    EXPECT_EQ(ActivityShown(*kiosk), "00:00");  // no tick while the page is open

    end->Click("ButtonOK");
    world.RunFor(50);
    Pump();
    EXPECT_EQ(recorder.closed, std::vector<WindowHandle>{browser});
    world.RunFor(1000);
    EXPECT_EQ(ActivityShown(*kiosk), "00:03");  // the next session starts at once
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

// /q while the inactivity page waits for an answer: the kiosk leaves, and no one's programs
// are closed on the way out.
TEST_F(SessionTimers, QuittingWhileTheInactivityPageIsOpenClosesNothing) {
    const std::string timers = std::string(kSettingsRoot) + "\\Timers";
    SetNumber(timers, "StartActivityOnOpen", 0);
    SetNumber(timers, "StartInactivityOnOpen", 1);
    SetNumber(timers, "InactivityTime", 2);
    SetText(timers, "InactivityDialogURL", "C:\\Kiosk\\end.htm");
    CloseRecorder recorder;
    sys.windows.CreateWindow(
        {"KioskApp", "Kiosk browser", platform::ws::kVisible, WindowHandle::Null}, &recorder);
    auto kiosk = Start("/user");
    world.RunFor(2000);
    ASSERT_NE(PageOf(*kiosk, "Time is up"), nullptr);
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    Pump();
    EXPECT_TRUE(recorder.closed.empty());
}

TEST_F(SessionTimers, BothSwitchesOffSetNoTickAndNoTimerWindow) {
    SetNumber(kSettingsRoot, "EnableTimers", 0);
    auto kiosk = Start("/user");
    world.RunFor(5000);
    EXPECT_FALSE(TimerWindow(*kiosk).has_value());
    EXPECT_EQ(PageOf(*kiosk, "Time is up"), nullptr);
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

}  // namespace
}  // namespace corvane::scenario

namespace corvane::scenario {
namespace {

// A program with one titled window, running until it is ended.
int KioskBrowser(platform::System& system) {
    class Quiet final : public platform::WindowHandler {
        std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t, std::uintptr_t,
                                                     std::intptr_t) override {
            return std::nullopt;
        }
    } quiet;
    system.windows.CreateWindow({"KioskBrowser", "Kiosk browser", platform::ws::kVisible, {}},
                                &quiet);
    platform::Message message;
    while (system.windows.GetMessage(message) > 0) {
        system.windows.DispatchMessage(message);
    }
    return 0;
}

class AutoRestart : public SessionTimers {
  protected:
    void SetUp() override {
        SetNumber(kSettingsRoot, "EnableTimers", 0);
        SetNumber(kSettingsRoot, "EnableAutoRestart", 1);
        const std::string restart = std::string(kSettingsRoot) + "\\AutoRestart";
        SetText(restart, "Folder", "C:\\Kiosk");
        SetNumber(restart, "Time", 2);
        world.RegisterProgram("C:\\Apps\\browser.exe", KioskBrowser);
        world.PutShortcut("C:\\Kiosk\\browser.lnk", "C:\\Apps\\browser.exe", "-k");
    }
    // The process of the kiosk browser's window, if one is there.
    std::optional<uint32_t> BrowserProcess() {
        const auto info = world.FindWindowInfo("KioskBrowser", "Kiosk browser");
        return info ? std::optional<uint32_t>(info->processId) : std::nullopt;
    }
};

// A program of the folder that never waits for input holds the next one back five seconds at
// most, not for as long as it stays busy.
TEST_F(AutoRestart, AProgramThatNeverWaitsForInputHoldsTheNextFiveSecondsAtMost) {
    world.RegisterProgram("C:\\Apps\\busy.exe", [](platform::System& system) {
        for (;;) {
            system.processes.Sleep(1000);  // working, never asking for messages
        }
        return 0;
    });
    world.PutShortcut("C:\\Kiosk\\a-busy.lnk", "C:\\Apps\\busy.exe", "");  // found first
    const uint64_t before = world.Now();
    auto kiosk = Start("/user");
    for (int i = 0; i < 200 && !BrowserProcess(); ++i) {
        world.RunFor(100);
    }
    ASSERT_TRUE(BrowserProcess().has_value());
    const uint64_t waited = world.Now() - before;
    EXPECT_GE(waited, 5000u);
    EXPECT_LT(waited, 6000u);
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

TEST_F(AutoRestart, TheFoldersProgramStartsWithUserModeAndComesBackWhenEnded) {
    auto kiosk = Start("/user");
    const auto first = BrowserProcess();
    ASSERT_TRUE(first.has_value());
    ASSERT_TRUE(sys.processes.TerminateProcessById(*first, 1));
    world.RunFor(100);
    EXPECT_FALSE(BrowserProcess().has_value());
    world.RunFor(2000);  // the next check
    const auto second = BrowserProcess();
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*second, *first);
    const auto said = ReadEventLines(sys, 1);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("restarted browser.lnk as process " + std::to_string(*second)),
              std::string::npos);
    world.RunFor(4000);
    EXPECT_EQ(BrowserProcess(), second);  // running: left alone
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(BrowserProcess(), second);  // nothing is stopped when user mode ends
}

// The Auto Restart tab's browse button: the shell's folder browser, and the field only on a choice.
TEST_F(AutoRestart, TheFolderBrowserSetsTheFieldOnlyWhenAFolderIsChosen) {
    auto admin = Start("");
    sim::SimHtmlHost* page = PageOf(*admin);
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(page->SetValue("AutoRestartFolder", "typed"));
    world.ScriptFolderAnswer(std::nullopt);
    page->Click("ButtonAutoRestartFolder");
    world.RunFor(50);
    ASSERT_EQ(world.FolderBrowses().size(), 1u);
    EXPECT_EQ(world.FolderBrowses()[0].owner, WindowHandle::Null);
    EXPECT_EQ(world.FolderBrowses()[0].title, "Select Folder for Auto Restart");
    EXPECT_EQ(world.FolderBrowses()[0].flags, 0x51u);
    EXPECT_EQ(page->Value("AutoRestartFolder"), "typed");  // cancelled: the page is left alone

    world.ScriptFolderAnswer("D:\\Kiosk Apps");
    page->Click("ButtonAutoRestartFolder");
    world.RunFor(50);
    EXPECT_EQ(page->Value("AutoRestartFolder"), "D:\\Kiosk Apps");
    page->Click("ButtonApply");
    world.RunFor(50);
    EXPECT_EQ(ReadStringAt(sys.registry, Hive::LocalMachine,
                           std::string(kSettingsRoot) + "\\AutoRestart", "Folder"),
              "D:\\Kiosk Apps\\");
}

}  // namespace
}  // namespace corvane::scenario
