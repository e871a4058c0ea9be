// The real CorvaneExt.dll under Wine: input sent with SendInput through its hooks, a focused
// window of another process, and shell windows of a helper process.
#include <gtest/gtest.h>

#include <string>

#include "common/command_ids.h"
#include "common/hide_gui_values.h"
#include "common/managed_settings.h"
#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "ext/exports.h"
#include "platform/constants.h"
#include "platform/win32/system.h"
#include "tests/wine/wait_for_window.h"
#include "tools/fakeshell/fake_shell.h"

namespace corvane::wine {

int RunExtPeer(platform::System& system, const std::string& role);

namespace {

namespace wm = platform::wm;
namespace vk = platform::vk;
using platform::WindowHandle;

HWND Hwnd(WindowHandle w) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(w));
}

class Counter final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message, std::uintptr_t,
                                                 std::intptr_t) override {
        activity += message == WM_APP_ACTIVITY;
        return std::nullopt;
    }
    int activity = 0;
};

// The shell's windows, once the fake shell has made them all (the taskbar's last child last).
struct ShellWindows {
    WindowHandle progman, desktop, tray, start, notify, rebar, secondTray;
};

class Extension : public testing::Test {
  protected:
    void SetUp() override {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, key),
                  0);
        SetDWordValue(*key, "EnableHideGUI", 1);
        SetDWordValue(*key, "EnableTimers", 1);
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
        for (const HideGuiValue& value : kHideGuiValues) {
            SetDWordValue(*key, value.value, 0);
        }
        for (const char* name :
             {"EnableOverrides", "DisableWindowsKey", "DisableCtrlEsc", "DisableTaskSwitching",
              "DisableAltSpace", "DisableRightClick", "DisableShiftLeftClick", "DisableVolumeUpKey",
              "HideDesktop", "HideTaskbar", "HideStartButton", "CloseTaskTray"}) {
            SetDWordValue(*key, name, 1);
        }
        main = sys.windows.CreateWindow({"CorvaneExtTestMain", "main", 0, {}}, &counter);
    }
    void TearDown() override {
        EndExtensions();
        DeleteKeyTreeAt(sys.registry, platform::Hive::LocalMachine, "Software\\Policies\\Vemtrix");
        platform::RegistryKeyPtr key;
        if (OpenForWriting(sys.registry, platform::Hive::LocalMachine, kSettingsRoot, key) == 0) {
            SetDWordValue(*key, "EnableHideGUI", 0);
            SetDWordValue(*key, "EnableTimers", 0);
        }
        sys.windows.DestroyWindow(main);
        for (auto* peer : {&shell, &sink}) {
            if (*peer && !(*peer)->WaitForExit(0)) {
                (*peer)->Terminate(99);
                (*peer)->WaitForExit(10000);  // its windows go with it
            }
        }
    }

    std::unique_ptr<platform::Process> StartPeer(const std::string& role) {
        return sys.processes.StartProcess("\"" + sys.processes.ModulePath() + "\" --peer " + role);
    }

    // The window of this class that the peer made, once it has made it.
    WindowHandle WaitFor(const char* className, const platform::Process* owner = nullptr) {
        return WaitForWindow(sys, className, std::nullopt, owner, [this] { Pump(20); });
    }

    // Handles what reached this thread (the activity and override posts, the calls of a
    // recording hook of its own) for `ms`, or once. The library's hooks have their own thread.
    void Pump(uint32_t ms) {
        const DWORD until = GetTickCount() + ms;
        do {
            platform::Message message;
            while (sys.windows.PeekMessage(message, true)) {
                overrides +=
                    message.message == WM_APP_OVERRIDE && message.window == WindowHandle::Null;
                sys.windows.DispatchMessage(message);
            }
            sys.processes.Sleep(5);
        } while (GetTickCount() < until);
    }

    void Press(uint16_t key, bool extended = false) {
        sys.windows.SendKey(key, false, extended);
        Pump(0);
    }
    void Release(uint16_t key, bool extended = false) {
        sys.windows.SendKey(key, true, extended);
        Pump(0);
    }
    void Chord(uint16_t modifier, uint16_t key) {
        Press(modifier);
        Press(key);
        Release(key);
        Release(modifier);
    }
    void Click(uint32_t downFlag, uint32_t upFlag) {
        sys.windows.SendMouse(downFlag);
        sys.windows.SendMouse(upFlag);
        Pump(0);
    }

    ShellWindows StartShell() {
        shell = StartPeer("shell");
        ShellWindows w{};
        const auto child = [&](WindowHandle parent, const char* cls) {
            WindowHandle found = WindowHandle::Null;
            for (int i = 0; i < 500 && found == WindowHandle::Null; ++i) {
                found = sys.windows.FindWindowEx(parent, WindowHandle::Null, std::string(cls),
                                                 std::nullopt);
                if (found == WindowHandle::Null) {
                    Pump(20);
                }
            }
            return found;
        };
        w.progman = WaitFor("Progman", shell.get());
        w.tray = WaitFor("Shell_TrayWnd", shell.get());
        w.desktop = child(w.progman, "SHELLDLL_DefView");
        w.start = child(w.tray, "Button");
        w.notify = child(w.tray, "TrayNotifyWnd");
        w.rebar = child(w.tray, "ReBarWindow32");
        w.secondTray = WaitFor("Shell_SecondaryTrayWnd", shell.get());
        return w;
    }
    // As Group Policy writes it.
    void SetManagedHideGui(const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine,
                                 *ManagedPathOf(kHideGuiKey), key),
                  0);
        SetDWordValue(*key, name, value);
    }
    void SetHideGui(const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
        SetDWordValue(*key, name, value);
    }

    // The key sink as the focused window under the cursor, once it has the focus.
    WindowHandle StartSink() {
        sink = StartPeer("sink");
        const WindowHandle window = WaitFor("CorvaneKeySink", sink.get());
        for (int i = 0; i < 500 && GetForegroundWindow() != Hwnd(window); ++i) {
            Pump(20);
        }
        EXPECT_EQ(GetForegroundWindow(), Hwnd(window)) << "the sink never had the focus";
        // Clicks go to the window under the cursor.
        RECT rect{};
        GetWindowRect(Hwnd(window), &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return window;
    }
    // What the sink saw, once it has seen a last Z, which no rule holds back: every event sent
    // before it has been judged by the hooks and delivered by then.
    std::string SinkRecord(WindowHandle window) {
        Press('Z');
        Release('Z');
        std::string seen;
        for (int i = 0; i < 500; ++i) {
            seen = sys.windows.GetWindowText(window);
            if (seen.ends_with("u90,")) {
                break;
            }
            Pump(20);
        }
        EXPECT_TRUE(seen.ends_with("u90,")) << "the sink never saw the last key";
        return seen;
    }

    platform::win32::Win32System system;
    platform::System& sys = system.Get();
    Counter counter;
    WindowHandle main{};
    int overrides = 0;
    std::unique_ptr<platform::Process> shell;
    std::unique_ptr<platform::Process> sink;
};

TEST_F(Extension, ForbiddenKeysAndClicksNeverReachAnotherProcess) {
    shell = StartPeer("shell");
    ASSERT_NE(WaitFor("Shell_TrayWnd", shell.get()), WindowHandle::Null);
    const WindowHandle sinkWindow = StartSink();
    ASSERT_NE(sinkWindow, WindowHandle::Null);

    ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
    Chord(vk::kShift, 'A');            // an ordinary key passes
    Press(vk::kLWin, true);            // the Windows key
    Release(vk::kLWin, true);          // its release passes
    Chord(vk::kControl, vk::kEscape);  // Ctrl+Esc
    Chord(vk::kMenu, vk::kTab);        // Alt+Tab
    Chord(vk::kMenu, vk::kSpace);      // Alt+Space
    Chord(vk::kShift, vk::kF12);       // Shift+F12: a request, and F12 passes
    Press(vk::kVolumeUp, true);        // injected: passes even with its setting on
    Release(vk::kVolumeUp, true);
    namespace mouse = platform::mouse;
    Click(mouse::kEventLeftDown, mouse::kEventLeftUp);
    Click(mouse::kEventRightDown, mouse::kEventRightUp);
    Press(vk::kShift);
    Click(mouse::kEventLeftDown, mouse::kEventLeftUp);
    Release(vk::kShift);

    // The sink's title lists what it saw: "k<key>" for a key press, "u<key>" for a release,
    // "m<message>" for a mouse message.
    const std::string seen = SinkRecord(sinkWindow);
    SCOPED_TRACE(seen);
    EXPECT_NE(seen.find("k65,"), std::string::npos);   // A
    EXPECT_EQ(seen.find("k91,"), std::string::npos);   // Windows key swallowed
    EXPECT_NE(seen.find("u91,"), std::string::npos);   // its release passed
    EXPECT_EQ(seen.find("k27,"), std::string::npos);   // Esc with Ctrl swallowed
    EXPECT_EQ(seen.find("k9,"), std::string::npos);    // Tab with Alt swallowed
    EXPECT_EQ(seen.find("k32,"), std::string::npos);   // Space with Alt swallowed
    EXPECT_NE(seen.find("k123,"), std::string::npos);  // F12 passed
    EXPECT_NE(seen.find("k175,"), std::string::npos);  // volume up passed
    // A plain left click passes, once; right clicks and the Shift+left click do not.
    const size_t left = seen.find("m513,");
    EXPECT_NE(left, std::string::npos);
    EXPECT_EQ(seen.find("m513,", left + 1), std::string::npos);
    EXPECT_EQ(seen.find("m516,"), std::string::npos);
    EXPECT_EQ(overrides, 1);
    // Every press and every button press counts once, swallowed or not: 14 presses (the last Z
    // among them) and three button presses; releases and the cursor's placing do not.
    Pump(0);
    EXPECT_EQ(counter.activity, 17);
}

// The organisation's values win over the local ones for the key rules and the hidden windows,
// and a change of them is put in place while the library runs.
TEST_F(Extension, ManagedValuesWinAndAChangeIsPutInPlaceWhileItRuns) {
    SetManagedHideGui("DisableWindowsKey", 0);  // locally 1
    SetManagedHideGui("HideTaskbar", 0);        // locally 1
    const ShellWindows w = StartShell();
    const WindowHandle sinkWindow = StartSink();
    ASSERT_NE(sinkWindow, WindowHandle::Null);
    ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
    EXPECT_TRUE(sys.windows.IsWindowVisible(w.tray));
    EXPECT_FALSE(sys.windows.IsWindowVisible(w.desktop));  // the local value holds
    Press(vk::kLWin, true);
    Release(vk::kLWin, true);
    std::string seen = SinkRecord(sinkWindow);
    EXPECT_NE(seen.find("k91,"), std::string::npos) << seen;

    SetManagedHideGui("DisableWindowsKey", 1);
    SetManagedHideGui("HideTaskbar", 1);
    ASSERT_EQ(ApplySettingsAgain(), 1);
    EXPECT_FALSE(sys.windows.IsWindowVisible(w.tray));
    EXPECT_FALSE(sys.windows.IsWindowVisible(w.desktop));
    const size_t before = seen.size();
    Press(vk::kLWin, true);
    Release(vk::kLWin, true);
    seen = SinkRecord(sinkWindow);
    EXPECT_EQ(seen.find("k91,", before), std::string::npos) << seen;
    EXPECT_NE(seen.find("u91,", before), std::string::npos) << seen;
}

// The kiosk's own rules, all on: F1, F10, Shift+F10, F11, F12, Ctrl+Shift+I and PrintScreen
// never arrive, an Alt
// pressed alone gets the masking key before its release, middle and Ctrl+clicks are held back.
TEST_F(Extension, TheHardeningRulesHoldBackTheKeysAndClicksThatLeadOut) {
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, platform::Hive::LocalMachine, kHideGuiKey, key), 0);
    for (const char* name : {"DisableHelpKey", "DisableMenuKeys", "DisableShiftF10",
                             "DisableFullScreenKey", "DisablePrintScreenKey", "DisableMiddleClick",
                             "DisableCtrlClick", "DisableDevToolsKey"}) {
        SetDWordValue(*key, name, 1);
    }
    shell = StartPeer("shell");
    ASSERT_NE(WaitFor("Shell_TrayWnd", shell.get()), WindowHandle::Null);
    const WindowHandle sinkWindow = StartSink();
    ASSERT_NE(sinkWindow, WindowHandle::Null);
    ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
    for (const uint16_t blocked : {0x70, 0x79, 0x7A, 0x7B, 0x2C}) {  // F1, F10-F12, PrintScreen
        Press(blocked);
        Release(blocked);
    }
    Chord(vk::kShift, 0x79);  // Shift+F10
    Press(vk::kControl);
    Chord(vk::kShift, 'I');  // the developer tools of a Chromium browser
    Release(vk::kControl);
    Press(vk::kMenu);  // Alt alone
    Release(vk::kMenu);
    namespace mouse = platform::mouse;
    Click(mouse::kEventMiddleDown, mouse::kEventMiddleUp);
    Press(vk::kControl);
    Click(mouse::kEventLeftDown, mouse::kEventLeftUp);
    Release(vk::kControl);
    Click(mouse::kEventLeftDown, mouse::kEventLeftUp);  // a plain click passes

    const std::string seen = SinkRecord(sinkWindow);
    SCOPED_TRACE(seen);
    for (const char* held :
         {"k112,", "k121,", "k122,", "k123,", "k73,", "k44,", "u44,", "m519,", "m520,"}) {
        EXPECT_EQ(seen.find(held), std::string::npos) << held;
    }
    EXPECT_NE(seen.find("k18,k232,u232,u18,"), std::string::npos);
    const size_t left = seen.find("m513,");
    EXPECT_NE(left, std::string::npos);
    EXPECT_EQ(seen.find("m513,", left + 1), std::string::npos);  // the Ctrl+click did not pass
}

// A window's own show flag: a hidden parent does not clear it.
bool OwnFlagShown(WindowHandle window) {
    return (GetWindowLongW(Hwnd(window), GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST_F(Extension, ShellWindowsHiddenClosedAndRestoredAcrossProcesses) {
    const ShellWindows w = StartShell();
    ASSERT_NE(w.rebar, WindowHandle::Null);
    ASSERT_NE(w.secondTray, WindowHandle::Null);
    ASSERT_TRUE(sys.windows.IsWindowVisible(w.desktop));
    ASSERT_TRUE(sys.windows.IsWindowVisible(w.secondTray));

    // Showing and hiding go to the other process's windows and wait for them: no pause needed.
    ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
    EXPECT_FALSE(OwnFlagShown(w.desktop));
    EXPECT_FALSE(OwnFlagShown(w.tray));
    EXPECT_FALSE(OwnFlagShown(w.start));
    EXPECT_FALSE(OwnFlagShown(w.secondTray));  // the second monitor's taskbar too
    EXPECT_TRUE(OwnFlagShown(w.rebar));        // not named
    // Closing is posted: the tray's own window goes when the shell gets to it.
    for (int i = 0; i < 500 && sys.windows.IsWindow(w.notify); ++i) {
        Pump(20);
    }
    EXPECT_FALSE(sys.windows.IsWindow(w.notify));
    const WindowHandle desktop = w.desktop;
    const WindowHandle tray = w.tray;
    const WindowHandle start = w.start;

    // A second process sees the shell hidden and restores it.
    auto restorer = StartPeer("restore");
    ASSERT_NE(restorer, nullptr);
    EXPECT_EQ(restorer->WaitForExit(20000), 0u);
    EXPECT_TRUE(sys.windows.IsWindowVisible(desktop));
    EXPECT_TRUE(sys.windows.IsWindowVisible(tray));
    EXPECT_TRUE(sys.windows.IsWindowVisible(start));
    EXPECT_TRUE(sys.windows.IsWindowVisible(w.secondTray));
    EXPECT_EQ(ShowWindowsGUI(SW_SHOW), 0);  // already restored: nothing to do
}

// The hooks have a thread of their own: while this thread is busy and pumps nothing, a key that
// another program sends is still judged at once (this Wine would otherwise pass the key on once
// the hook's time is up).
TEST_F(Extension, ABusyMainThreadDelaysNoVerdict) {
    shell = StartPeer("shell");
    ASSERT_NE(WaitFor("Shell_TrayWnd", shell.get()), WindowHandle::Null);
    const WindowHandle sinkWindow = StartSink();
    ASSERT_NE(sinkWindow, WindowHandle::Null);
    ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
    auto typist = StartPeer("typist");
    ASSERT_NE(typist, nullptr);
    EXPECT_EQ(typist->WaitForExit(20000), 0u);  // busy: nothing of this thread's queue is seen
    const std::string seen = SinkRecord(sinkWindow);
    SCOPED_TRACE(seen);
    EXPECT_EQ(seen.find("k91,"), std::string::npos);  // the Windows key was stopped
    EXPECT_NE(seen.find("k65,"), std::string::npos);
}

// Each hide setting alone, with the whole taskbar there: its own window's show flag goes and
// no other's; ShowWindowsGUI gives the results the library's table says.
TEST_F(Extension, EachHideSettingAloneHidesItsOwnWindowOnly) {
    for (const char* name : {"HideDesktop", "HideTaskbar", "HideStartButton", "HideTaskTray",
                             "HideTaskbarButtons", "CloseTaskTray", "CloseStartButton"}) {
        SetHideGui(name, 0);
    }
    const ShellWindows w = StartShell();
    ASSERT_NE(w.rebar, WindowHandle::Null);
    const std::pair<const char*, WindowHandle> cases[] = {
        {"HideDesktop", w.desktop}, {"HideTaskbar", w.tray},         {"HideStartButton", w.start},
        {"HideTaskTray", w.notify}, {"HideTaskbarButtons", w.rebar},
    };
    for (const auto& [setting, own] : cases) {
        SCOPED_TRACE(setting);
        SetHideGui(setting, 1);
        ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
        for (const auto& [other, window] : cases) {
            EXPECT_EQ(OwnFlagShown(window), window != own) << other;
        }
        EXPECT_EQ(ShowWindowsGUI(SW_HIDE), 1);  // hidden already
        EXPECT_EQ(ShowWindowsGUI(SW_SHOW), 0);  // shown: the state it leaves
        EXPECT_TRUE(OwnFlagShown(own));
        EXPECT_EQ(ShowWindowsGUI(SW_SHOW), 0);  // nothing hidden: nothing to do
        EXPECT_EQ(ShowWindowsGUI(SW_HIDE), 1);
        EXPECT_FALSE(OwnFlagShown(own));
        EXPECT_EQ(EndExtensions(), 0);  // restored after hiding
        EXPECT_TRUE(OwnFlagShown(own));
        SetHideGui(setting, 0);
    }
}

// A hook installed before the library's runs after it, and sees exactly what the library
// passed on: every passed key, none that it swallowed.
HHOOK recorderHook = nullptr;
std::vector<std::string>* recorded = nullptr;
LRESULT CALLBACK RecordKey(int code, WPARAM message, LPARAM record) {
    if (code == HC_ACTION && recorded != nullptr) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(record);
        const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
        recorded->push_back((up ? "u" : "k") + std::to_string(key->vkCode));
    }
    return CallNextHookEx(recorderHook, code, message, record);
}

TEST_F(Extension, WhatTheLibraryPassesReachesTheNextHookAndNothingElse) {
    shell = StartPeer("shell");
    ASSERT_NE(WaitFor("Shell_TrayWnd", shell.get()), WindowHandle::Null);
    std::vector<std::string> keys;
    recorded = &keys;
    recorderHook = SetWindowsHookExW(WH_KEYBOARD_LL, RecordKey, GetModuleHandleW(nullptr), 0);
    ASSERT_NE(recorderHook, nullptr);
    ASSERT_EQ(StartExtensions(Hwnd(main)), 1);
    Press('A');
    Release('A');
    Press(vk::kLWin, true);  // swallowed; its release passes
    Release(vk::kLWin, true);
    Chord(vk::kMenu, vk::kTab);  // the Tab swallowed
    Press('Z');
    Release('Z');
    for (int i = 0; i < 500 && (keys.empty() || keys.back() != "u90"); ++i) {
        Pump(20);
    }
    EndExtensions();
    UnhookWindowsHookEx(recorderHook);
    recorded = nullptr;
    // The hook sees the Alt key as SendInput sent it (18), not as the left one.
    EXPECT_EQ(keys,
              (std::vector<std::string>{"k65", "u65", "u91", "k18", "u9", "u18", "k90", "u90"}));
}

}  // namespace

// The helper processes of these tests.
int RunExtPeer(platform::System& system, const std::string& role) {
    auto& w = system.windows;
    class Sink final : public platform::WindowHandler {
      public:
        explicit Sink(platform::System& system) : system_(system) {}
        std::optional<std::intptr_t> OnWindowMessage(WindowHandle window, uint32_t message,
                                                     std::uintptr_t wParam,
                                                     std::intptr_t) override {
            std::string mark;
            if (message == wm::kKeyDown || message == wm::kSysKeyDown) {
                mark = "k" + std::to_string(wParam) + ",";
            } else if (message == wm::kKeyUp || message == 0x0105) {
                mark = "u" + std::to_string(wParam) + ",";
            } else if (message >= 0x0201 && message <= 0x0209) {
                mark = "m" + std::to_string(message) + ",";
            }
            if (!mark.empty()) {
                seen_ += mark;
                system_.windows.SetWindowText(window, seen_);
            }
            return std::nullopt;
        }

      private:
        platform::System& system_;
        std::string seen_;
    };
    Sink handler(system);
    if (role == "restore") {
        if (InitExtension() != 1) {
            return 2;
        }
        return ShowWindowsGUI(SW_SHOW);
    }
    if (role == "shell") {
        return tools::RunFakeShell(system, true);
    }
    if (role == "typist") {
        w.SendKey(vk::kLWin, false, true);
        w.SendKey(vk::kLWin, true, true);
        w.SendKey('A', false, false);
        w.SendKey('A', true, false);
        return 0;
    }
    if (role == "sink") {
        const WindowHandle window =
            w.CreateWindow({"CorvaneKeySink", "", platform::ws::kVisible, {}}, &handler);
        w.SetForegroundWindow(window);
        SetFocus(Hwnd(window));
    } else {
        return 3;
    }
    platform::Message message;
    while (w.GetMessage(message) > 0) {
        w.DispatchMessage(message);
    }
    return 0;
}

}  // namespace corvane::wine
