// The extension library in user mode on the sim: hooks fed with injected input, the shell's
// windows hidden, closed and restored, the shared state seen by every process.
#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/managed_settings.h"
#include "common/settings_store.h"
#include "ext/shell_extension.h"
#include "tests/scenario/corvane_world.h"
#include "tools/fakeshell/fake_shell.h"

namespace corvane::scenario {
namespace {

namespace wm = platform::wm;
namespace vk = platform::vk;
using ext::ExtSharedState;
using ext::ShellExtension;
using platform::WindowHandle;

class PassAll final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t) override {
        received.emplace_back(message, wParam);
        return std::nullopt;
    }
    std::vector<std::pair<uint32_t, std::uintptr_t>> received;
};

int FakeShell(platform::System& system) {
    const auto args = system.processes.CommandLineArguments();
    return tools::RunFakeShell(system, !(args.size() > 1 && args[1] == "notaskbar"));
}

class ShellLockdown : public CorvaneWorld {
  protected:
    ShellLockdown() {
        world.RegisterProgram(
            kCorvanePath,
            [this](platform::System& system) {
                ShellExtension extension(system, Shared());
                return CorvaneMain(system, &extension);
            },
            CorvaneResources());
        world.RegisterProgram("C:\\Windows\\explorer.exe", FakeShell);
    }

    ExtSharedState& Shared() { return world.Shared<ExtSharedState>("CorvaneExt"); }

    void Settings(int hideGui, int timers, std::vector<const char*> on, bool hideGuiKey = true) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, key),
                  0);
        SetDWordValue(*key, "EnableHideGUI", hideGui);
        SetDWordValue(*key, "EnableTimers", timers);
        if (!hideGuiKey) {
            return;
        }
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
        for (const char* name : on) {
            SetDWordValue(*key, name, 1);
        }
    }

    std::unique_ptr<platform::Process> StartShell(const std::string& args = "") {
        auto shell = sys.processes.StartProcess("explorer.exe " + args);
        world.RunFor(20);
        return shell;
    }

    // A value as Group Policy writes it, under the organisation's key of the tree's `path`.
    void SetManaged(const char* path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(
            OpenForWriting(sys.registry, platform::Hive::LocalMachine, *ManagedPathOf(path), key),
            0);
        SetDWordValue(*key, name, value);
    }

    // The keys a window of another program of the session receives from a press of each.
    std::vector<std::uintptr_t> KeysThrough(std::initializer_list<int> presses) {
        PassAll browser;
        const WindowHandle focus = sys.windows.CreateWindow(
            {"KioskBrowser", "browser", platform::ws::kVisible, {}}, &browser);
        sys.windows.SetForegroundWindow(focus);
        for (const int key : presses) {
            sys.windows.SendKey(key, false, key == vk::kLWin);
        }
        platform::Message message;
        while (sys.windows.PeekMessage(message, true)) {
            sys.windows.DispatchMessage(message);
        }
        sys.windows.DestroyWindow(focus);
        std::vector<std::uintptr_t> keys;
        for (const auto& [msg, wParam] : browser.received) {
            if (msg == wm::kKeyDown) {
                keys.push_back(wParam);
            }
        }
        return keys;
    }

    // The window's own visibility flag (a hidden parent does not change it).
    std::optional<bool> Shown(const std::string& className) const {
        for (const sim::WindowInfo& info : world.Windows()) {
            if (info.className == className) {
                return info.visible;
            }
        }
        return std::nullopt;
    }
};

TEST_F(ShellLockdown, ShellIsHiddenInUserModeAndRestoredWhenItEnds) {
    Settings(1, 0, {"HideDesktop", "HideTaskbar", "HideTaskTray", "CloseStartButton"});
    auto shell = StartShell();
    auto kiosk = Start("/user");
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(Shown("SHELLDLL_DefView"), false);
    EXPECT_EQ(Shown("Shell_TrayWnd"), false);
    EXPECT_EQ(Shown("TrayNotifyWnd"), false);
    EXPECT_EQ(Shown("ReBarWindow32"), true);   // not named by the settings
    EXPECT_EQ(Shown("Button"), std::nullopt);  // closed, not hidden
    EXPECT_EQ(Shared().guiHidden, 1);
    EXPECT_EQ(Shared().initialised, 1);
    EXPECT_EQ(world.HookCount(), 2);

    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), true);
    EXPECT_EQ(Shown("Shell_TrayWnd"), true);
    EXPECT_EQ(Shown("TrayNotifyWnd"), true);
    EXPECT_EQ(Shown("Button"), std::nullopt);  // a close is not undone
    EXPECT_EQ(Shared().guiHidden, 0);
    EXPECT_EQ(world.HookCount(), 0);
}

// The shell ends and starts again: its new taskbar is hidden again and the icon comes back.
TEST_F(ShellLockdown, ARestartedShellIsHiddenAgainAndGetsTheIconBack) {
    Settings(1, 0, {"HideDesktop", "HideTaskbar", "CloseTaskTray"});
    auto shell = StartShell();
    auto kiosk = Start("/user");
    ASSERT_EQ(Shown("Shell_TrayWnd"), false);
    ASSERT_EQ(world.NotifyIcons().size(), 1u);
    shell->Terminate(0);
    world.RunFor(20);
    EXPECT_TRUE(world.NotifyIcons().empty());  // gone with the taskbar

    auto again = StartShell();
    world.RunFor(50);
    EXPECT_EQ(Shown("Shell_TrayWnd"), false);
    EXPECT_EQ(Shown("Shell_SecondaryTrayWnd"), false);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), false);
    EXPECT_EQ(Shown("TrayNotifyWnd"), std::nullopt);  // closed again
    ASSERT_EQ(world.NotifyIcons().size(), 1u);
    EXPECT_EQ(world.NotifyIcons()[0].id, TRAY_ICON_ID);
    const auto said = ReadEventLines(sys, 1);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("the shell started again: its windows were hidden again"),
              std::string::npos);

    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(Shown("Shell_TrayWnd"), true);  // the new shell is given back too
    EXPECT_EQ(Shown("Shell_SecondaryTrayWnd"), true);
}

// Outside user mode the broadcast changes nothing.
TEST_F(ShellLockdown, TheShellsBroadcastIsIgnoredOnTheConfigurationPage) {
    Settings(1, 0, {"HideTaskbar"});
    auto admin = Start("");
    auto shell = StartShell();
    world.RunFor(50);
    EXPECT_EQ(Shown("Shell_TrayWnd"), true);
    EXPECT_TRUE(world.NotifyIcons().empty());
}

TEST_F(ShellLockdown, KioskHooksFilterAnotherProcesssInput) {
    Settings(1, 0, {"DisableWindowsKey"});
    auto shell = StartShell();
    auto kiosk = Start("/user");
    PassAll browser;
    const WindowHandle focus =
        sys.windows.CreateWindow({"KioskBrowser", "browser", platform::ws::kVisible, {}}, &browser);
    sys.windows.SetForegroundWindow(focus);
    sys.windows.SendKey(vk::kLWin, false, true);
    sys.windows.SendKey('A', false, false);
    platform::Message message;
    while (sys.windows.PeekMessage(message, true)) {
        sys.windows.DispatchMessage(message);
    }
    std::vector<std::uintptr_t> keys;
    for (const auto& [msg, wParam] : browser.received) {
        if (msg == wm::kKeyDown) {
            keys.push_back(wParam);
        }
    }
    EXPECT_EQ(keys, std::vector<std::uintptr_t>{'A'});
    // Once the kiosk has ended, nothing filters any more.
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    sys.windows.SendKey(vk::kLWin, false, true);
    while (sys.windows.PeekMessage(message, true)) {
        sys.windows.DispatchMessage(message);
    }
    EXPECT_EQ(browser.received.back(), std::make_pair(wm::kKeyDown, std::uintptr_t(vk::kLWin)));
}

// Group Policy's values win over the local ones for the library's hide settings and key rules,
// at the start of user mode and again after a refresh announced while it runs.
TEST_F(ShellLockdown, ManagedValuesWinAndARefreshWhileUserModeRunsPutsThemInPlace) {
    Settings(1, 0, {"HideDesktop"});
    SetManaged(kHideGuiKey, "DisableWindowsKey", 1);
    auto shell = StartShell();
    auto kiosk = Start("/user");
    EXPECT_EQ(Shown("SHELLDLL_DefView"), false);
    EXPECT_EQ(Shown("Shell_TrayWnd"), true);
    EXPECT_EQ(KeysThrough({vk::kLWin, 'A'}), std::vector<std::uintptr_t>{'A'});

    SetManaged(kHideGuiKey, "HideTaskbar", 1);
    SetManaged(kHideGuiKey, "DisableWindowsKey", 0);
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    sys.windows.PostMessage(window->handle, wm::kSettingChange, 0, 0);
    world.RunFor(100);
    EXPECT_EQ(Shown("Shell_TrayWnd"), false);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), false);
    EXPECT_EQ(KeysThrough({vk::kLWin, 'A'}), (std::vector<std::uintptr_t>{vk::kLWin, 'A'}));
    const std::vector<std::string> said = ReadEventLines(sys, 5);
    EXPECT_NE(said.back().find("the organisation's settings changed: user mode put them in place"),
              std::string::npos)
        << said.back();

    // Another program's setting change alone changes nothing, and logs nothing.
    sys.windows.PostMessage(window->handle, wm::kSettingChange, 0, 0);
    world.RunFor(100);
    EXPECT_EQ(ReadEventLines(sys, 5), said);

    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(Shown("Shell_TrayWnd"), true);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), true);
}

// A refresh whose settings cannot be read changes nothing: the shell stays hidden and the rules
// stay; the next refresh tries again.
TEST_F(ShellLockdown, ARefreshWhoseSettingsCannotBeReadLeavesTheKioskLocked) {
    Settings(1, 0, {"HideTaskbar", "DisableWindowsKey"});
    auto shell = StartShell();
    auto kiosk = Start("/user");
    ASSERT_EQ(Shown("Shell_TrayWnd"), false);
    platform::RegistryKeyPtr tree;
    ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, tree), 0);
    ASSERT_EQ(tree->DeleteSubKey("HideGUI"), 0);  // Hide GUI on, its key gone
    tree.reset();
    SetManaged(kSettingsRoot, "EnableTimers", 0);
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    sys.windows.PostMessage(window->handle, wm::kSettingChange, 0, 0);
    world.RunFor(100);
    EXPECT_EQ(Shown("Shell_TrayWnd"), false);
    EXPECT_EQ(KeysThrough({vk::kLWin, 'A'}), std::vector<std::uintptr_t>{'A'});
    EXPECT_NE(ReadEventLines(sys, 1).back().find("could not read them"), std::string::npos);

    Settings(1, 0, {"HideTaskbar", "DisableWindowsKey"});
    sys.windows.PostMessage(window->handle, wm::kSettingChange, 0, 0);
    world.RunFor(100);
    EXPECT_NE(ReadEventLines(sys, 1).back().find("user mode put them in place"), std::string::npos);
    Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
}

TEST_F(ShellLockdown, BothSwitchesOffInstallsNothingAndHidesNothing) {
    Settings(0, 0, {"HideDesktop"});
    auto shell = StartShell();
    auto kiosk = Start("/user");
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(world.HookCount(), 0);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), true);
}

TEST_F(ShellLockdown, HideGuiOnWithoutItsKeyReportsAndUserModeGoesOn) {
    Settings(1, 0, {}, false);
    auto shell = StartShell();
    auto kiosk = Start("/user");
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].text, "Error starting Corvane extension hooks.");
    EXPECT_EQ(world.HookCount(), 0);
    EXPECT_TRUE(world.ProcessRunning(kiosk->Id()));
}

TEST_F(ShellLockdown, NoDesktopFailsAfterTheHooksAreInPlace) {
    Settings(1, 0, {"HideDesktop"});
    auto kiosk = Start("/user");  // no shell running
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.HookCount(), 2);
    EXPECT_EQ(Shared().guiHidden, 0);
}

TEST_F(ShellLockdown, DesktopWithoutTaskbarHidesTheDesktopAndNothingElse) {
    Settings(1, 0, {"HideDesktop", "HideStartButton", "CloseTaskTray", "HideTaskbarButtons"});
    auto shell = StartShell("notaskbar");
    PassAll handler;
    // A top-level window of a class the taskbar's children have: not the shell's, left alone.
    const WindowHandle stray =
        sys.windows.CreateWindow({"Button", "stray", platform::ws::kVisible, {}}, &handler);
    auto kiosk = Start("/user");
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(Shown("SHELLDLL_DefView"), false);
    EXPECT_TRUE(sys.windows.IsWindowVisible(stray));
    EXPECT_TRUE(handler.received.empty() ||
                std::none_of(handler.received.begin(), handler.received.end(),
                             [](const auto& m) { return m.first == wm::kClose; }));
    EXPECT_EQ(Shared().guiHidden, 1);
}

class DriverExtension : public ShellLockdown {
  protected:
    void SetUp() override {
        focus = sys.windows.CreateWindow({"KioskBrowser", "browser", platform::ws::kVisible, {}},
                                         &focused);
        main = sys.windows.CreateWindow({"CorvaneMain", "main", 0, {}}, &mainHandler);
        sys.windows.SetForegroundWindow(focus);
    }
    // Hands the loop every message the injected input left, as the hook thread's loop would.
    std::vector<platform::Message> Drain() {
        std::vector<platform::Message> out;
        platform::Message message;
        while (sys.windows.PeekMessage(message, true)) {
            out.push_back(message);
            sys.windows.DispatchMessage(message);
        }
        return out;
    }
    void Key(uint16_t key, bool up = false) { sys.windows.SendKey(key, up, false); }
    // The keys the focused window saw pressed (without Alt), in order.
    std::vector<std::uintptr_t> KeysDown() const {
        std::vector<std::uintptr_t> keys;
        for (const auto& [message, wParam] : focused.received) {
            if (message == wm::kKeyDown) {
                keys.push_back(wParam);
            }
        }
        return keys;
    }
    static long Count(const PassAll& handler, uint32_t message) {
        return std::count_if(handler.received.begin(), handler.received.end(),
                             [&](const auto& m) { return m.first == message; });
    }

    PassAll focused;
    PassAll mainHandler;
    WindowHandle focus{};
    WindowHandle main{};
};

TEST_F(DriverExtension, HooksSwallowWhatTheSettingsForbidAndReportTheRest) {
    Settings(1, 1,
             {"DisableWindowsKey", "DisableTaskSwitching", "DisableRightClick", "EnableOverrides"});
    StartShell();
    ShellExtension extension(sys, Shared());
    ASSERT_EQ(extension.StartExtensions(main), 1);
    EXPECT_EQ(extension.MainWindow(), main);

    Key(vk::kLWin);
    Key(vk::kLWin, true);
    Key('A');
    Key(vk::kMenu);
    Key(vk::kTab);  // Alt+Tab
    Key(vk::kMenu, true);
    Key(vk::kShift);
    Key(vk::kF12);  // Shift+F12
    sys.windows.SendMouse(platform::mouse::kEventRightDown | platform::mouse::kEventRightUp);
    sys.windows.SendMouse(platform::mouse::kEventWheel);
    const auto messages = Drain();

    std::vector<std::uintptr_t> keysDown;
    for (const auto& [message, wParam] : focused.received) {
        if (message == wm::kKeyDown || message == wm::kSysKeyDown) {
            keysDown.push_back(wParam);
        }
        EXPECT_NE(message, platform::mouse::kRButtonDown);
        EXPECT_NE(message, platform::mouse::kRButtonUp);
    }
    EXPECT_EQ(keysDown, (std::vector<std::uintptr_t>{'A', vk::kMenu, vk::kShift, vk::kF12}));
    // A press counts as activity, swallowed or not; the right release and the wheel do not.
    EXPECT_EQ(Count(mainHandler, WM_APP_ACTIVITY), 7);
    const auto overrides = std::count_if(messages.begin(), messages.end(), [](const auto& m) {
        return m.message == WM_APP_OVERRIDE && m.window == WindowHandle::Null;
    });
    EXPECT_EQ(overrides, 1);

    EXPECT_EQ(extension.EndExtensions(), 0);  // restored after hiding: its result is 0
    EXPECT_EQ(world.HookCount(), 0);
}

TEST_F(DriverExtension, TimersOnlyPostActivityAndSwallowNothing) {
    Settings(0, 1, {"DisableWindowsKey"});
    ShellExtension extension(sys, Shared());
    ASSERT_EQ(extension.StartExtensions(main), 1);
    EXPECT_EQ(world.HookCount(), 2);
    EXPECT_EQ(extension.Settings().hideGui.disableWindowsKey, 0);  // not read with Hide GUI off
    Key(vk::kLWin);
    Drain();
    EXPECT_EQ(Count(focused, wm::kKeyDown), 1);
    EXPECT_EQ(Count(mainHandler, WM_APP_ACTIVITY), 1);
    EXPECT_EQ(extension.EndExtensions(), 1);
}

TEST_F(DriverExtension, LifecycleEdges) {
    ShellExtension fresh(sys, Shared());
    EXPECT_EQ(fresh.EndExtensions(), 0);  // never started
    EXPECT_EQ(fresh.StartExtHooks(), 0);
    EXPECT_EQ(fresh.ShowWindowsGUI(platform::sw::kHide), 0);
    EXPECT_EQ(fresh.InitExtension(), 0);  // no settings root

    Settings(1, 0, {"HideDesktop"});
    StartShell();
    ASSERT_EQ(fresh.StartExtensions(main), 1);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), false);
    // Another process sees the shell hidden and does not hide it again; it may restore it.
    ShellExtension other(sys, Shared());
    ASSERT_EQ(other.InitExtension(), 1);
    EXPECT_EQ(other.ShowWindowsGUI(platform::sw::kHide), 1);
    EXPECT_EQ(other.ShowWindowsGUI(platform::sw::kShow), 0);
    EXPECT_EQ(Shown("SHELLDLL_DefView"), true);
    EXPECT_EQ(other.ShowWindowsGUI(platform::sw::kShow), 0);
    EXPECT_EQ(fresh.EndExtensions(), 0);  // nothing hidden any more: it returns early
    EXPECT_EQ(world.HookCount(), 0);
}

}  // namespace
}  // namespace corvane::scenario

namespace corvane::scenario {
namespace {

// The browser and media keys are swallowed as the keyboard sends them (extended, not
// injected); the same key sent by a program passes, as the key table says.
TEST_F(DriverExtension, SpecialKeysAreSwallowedOnlyAsTheKeyboardSendsThem) {
    Settings(1, 0, {"DisableBrowserBackKey"});
    StartShell();
    ShellExtension extension(sys, Shared());
    ASSERT_EQ(extension.StartExtensions(main), 1);
    constexpr uint16_t kBrowserBack = 0xA6;
    world.PressKey(kBrowserBack, false, true);  // from the keyboard: swallowed
    world.PressKey(kBrowserBack, true, true);
    sys.windows.SendKey(kBrowserBack, false, true);  // from a program: passes
    world.PressKey('B', false, false);
    Drain();
    const std::vector<std::uintptr_t> keysDown = KeysDown();
    EXPECT_EQ(keysDown, (std::vector<std::uintptr_t>{kBrowserBack, 'B'}));
    extension.EndExtensions();
}

// The hooks have a thread of their own: while the main thread is busy and pumps nothing, a key
// another program's user presses is still judged at once, and the hooks stay in place.
TEST_F(DriverExtension, ABusyMainThreadDelaysNoVerdict) {
    Settings(1, 0, {"DisableWindowsKey"});
    StartShell();
    world.RegisterProgram("C:\\Tools\\typist.exe", [](platform::System& system) {
        system.processes.Sleep(100);  // while the main thread is busy
        system.windows.SendKey(vk::kLWin, false, true);
        system.windows.SendKey(vk::kLWin, true, true);
        system.windows.SendKey('A', false, false);
        return 0;
    });
    ShellExtension extension(sys, Shared());
    ASSERT_EQ(extension.StartExtensions(main), 1);
    EXPECT_NE(extension.HookThreadId(), sys.windows.GetCurrentThreadId());
    auto typist = sys.processes.StartProcess("C:\\Tools\\typist.exe");
    world.RunFor(10000);  // busy: no message of this thread is looked at meanwhile
    ASSERT_EQ(typist->WaitForExit(0), 0u);
    Drain();
    EXPECT_EQ(Count(focused, wm::kKeyDown), 1);  // 'A' only
    EXPECT_EQ(world.HookCount(), 2);
    EXPECT_EQ(extension.EndExtensions(), 0);
    EXPECT_EQ(world.HookCount(), 0);
    EXPECT_EQ(extension.HookThreadId(), 0u);  // the thread is gone with the hooks
}

// The system drops the hooks without a word: input goes past them, and within two checks the
// watchdog installs them again and says so.
TEST_F(DriverExtension, TheWatchdogInstallsDroppedHooksAgain) {
    Settings(1, 0, {"DisableWindowsKey"});
    StartShell();
    ShellExtension extension(sys, Shared());
    ASSERT_EQ(extension.StartExtensions(main), 1);
    world.RunFor(3000);
    EXPECT_TRUE(ReadEventLines(sys, 10).empty());  // no input, no alarm
    world.DropHooksOf(sys.processes.CurrentProcessId());
    ASSERT_EQ(world.HookCount(), 0);
    world.PressKey(vk::kLWin, false, true);  // passes: nothing to stop it
    world.PressKey(vk::kLWin, true, true);
    world.RunFor(2100);
    EXPECT_EQ(world.HookCount(), 2);
    const auto said = ReadEventLines(sys, 10);
    ASSERT_EQ(said.size(), 1u);
    EXPECT_NE(said[0].find("input went past the keyboard and mouse hooks"), std::string::npos);
    world.PressKey(vk::kLWin, false, true);  // stopped again
    world.PressKey('B', false, false);
    Drain();
    const std::vector<std::uintptr_t> keysDown = KeysDown();
    EXPECT_EQ(keysDown, (std::vector<std::uintptr_t>{vk::kLWin, 'B'}));
    world.RunFor(3000);
    EXPECT_EQ(ReadEventLines(sys, 10).size(), 1u);  // seen input raises no alarm
    extension.EndExtensions();
}

// Each hide setting alone, with the whole taskbar there: its own window goes and no other, and
// the second monitor's taskbar with any of the parts it also has.
TEST_F(DriverExtension, EachHideSettingAloneHidesItsOwnWindowOnly) {
    StartShell();
    const std::pair<const char*, const char*> cases[] = {
        {"HideDesktop", "SHELLDLL_DefView"},     {"HideTaskbar", "Shell_TrayWnd"},
        {"HideStartButton", "Button"},           {"HideTaskTray", "TrayNotifyWnd"},
        {"HideTaskbarButtons", "ReBarWindow32"},
    };
    for (const auto& [setting, own] : cases) {
        SCOPED_TRACE(setting);
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
        for (const auto& [other, unused] : cases) {
            SetDWordValue(*key, other, other == setting ? 1 : 0);
        }
        Settings(1, 0, {});
        ShellExtension extension(sys, Shared());
        ASSERT_EQ(extension.StartExtensions(main), 1);
        for (const auto& [other, className] : cases) {
            EXPECT_EQ(Shown(className), className != own) << className;
        }
        const std::string_view name = setting;
        const bool secondaryGoes =
            name == "HideTaskbar" || name == "HideStartButton" || name == "HideTaskbarButtons";
        EXPECT_EQ(Shown("Shell_SecondaryTrayWnd"), !secondaryGoes);
        EXPECT_EQ(extension.EndExtensions(), 0);
        EXPECT_EQ(Shown(own), true);
        EXPECT_EQ(Shown("Shell_SecondaryTrayWnd"), true);
    }
}

// The hardening rules at the hook: an Alt pressed and released alone gets a masking key before
// its release, so no menu bar opens; PrintScreen and the middle button never arrive.
TEST_F(DriverExtension, AnAltAloneIsMaskedAndPrintScreenAndMiddleClicksNeverArrive) {
    Settings(1, 0, {"DisableMenuKeys", "DisablePrintScreenKey", "DisableMiddleClick"});
    StartShell();
    ShellExtension extension(sys, Shared());
    ASSERT_EQ(extension.StartExtensions(main), 1);
    world.PressKey(vk::kLMenu, false, false);  // Alt alone
    world.PressKey(vk::kLMenu, true, false);
    world.PressKey(vk::kLMenu, false, false);  // Alt+Tab: the release goes as it is
    world.PressKey(vk::kTab, false, false);
    world.PressKey(vk::kTab, true, false);
    world.PressKey(vk::kLMenu, true, false);
    world.PressKey(vk::kSnapshot, false, false);
    world.PressKey(vk::kSnapshot, true, false);
    sys.windows.SendMouse(platform::mouse::kEventMiddleDown);
    Drain();
    std::vector<std::string> keys;
    for (const auto& [message, wParam] : focused.received) {
        EXPECT_NE(message, platform::mouse::kMButtonDown);
        if (message >= wm::kKeyDown && message <= wm::kSysKeyDown + 1) {
            const bool up = message == wm::kKeyUp || message == wm::kSysKeyDown + 1;
            keys.push_back((up ? "-" : "+") + std::to_string(wParam));
        }
    }
    const std::string alt = std::to_string(vk::kLMenu);
    const std::string mask = std::to_string(ext::kMenuMaskKey);
    const std::string tab = std::to_string(vk::kTab);
    EXPECT_EQ(keys, (std::vector<std::string>{"+" + alt, "+" + mask, "-" + mask, "-" + alt,
                                              "+" + alt, "+" + tab, "-" + tab, "-" + alt}));
    extension.EndExtensions();
}

}  // namespace
}  // namespace corvane::scenario
