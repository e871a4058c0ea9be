// User mode of the real Corvane.exe under Wine, read back from outside: the policy values,
// the automatic logon and the notification-area icon that a stand-in taskbar records.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include <filesystem>

#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <shlobj.h>
#include <tlhelp32.h>

#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/hide_gui_values.h"
#include "common/lumbrel_values.h"
#include "common/managed_settings.h"
#include "common/registry_tree.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/ole_scope.h"
#include "platform/win32/wide.h"
#include "policies/browser_policy_values.h"
#include "policies/policies.h"
#include "session/auto_logon.h"
#include "tests/wine/corvane_process.h"
#include "tests/wine/make_shortcut.h"
#include "tools/fakeshell/fake_shell.h"

namespace corvane::wine {
namespace {

using platform::Hive;

// Every running Corvane.exe: user mode and a guard, which has no window to find it by.
std::vector<uint32_t> CorvaneProcessIds() {
    std::vector<uint32_t> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return ids;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, L"Corvane.exe") == 0) {
            ids.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return ids;
}

class UserModeUnderWine : public CorvaneProcesses {
  protected:
    void SetUp() override {
        CorvaneProcesses::SetUp();
        // Nothing of an earlier run: no policy values, no password, no recorded icon.
        DeletePolicyValues(sys.registry);
        platform::RegistryKeyPtr key;
        for (const PolicyValue& value : kPolicyValues) {  // left as another tool's would be
            if (value.onlyWhenTicked && OpenForWriting(sys.registry, Hive::CurrentUser,
                                                       PolicyKeyPath(value.key), key) == 0) {
                key->DeleteValue(WindowsValueName(value));
            }
        }
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kSettingsRoot, key), 0);
        key->DeleteValue("Password");
        key->DeleteSubKey("Policies");
        key->DeleteSubKey("Timers");  // each session test sets its own
        if (OpenForWriting(sys.registry, Hive::CurrentUser, tools::kNotificationAreaKey, key) ==
            0) {
            key->DeleteValue(std::to_string(TRAY_ICON_ID));
        }
        std::string shellPath = CorvaneExe();
        shellPath.replace(shellPath.find_last_of('\\') + 1, std::string::npos,
                          "corvane-fakeshell.exe");
        shell_ = sys.processes.StartProcess("\"" + shellPath + "\"");
        ASSERT_NE(shell_, nullptr);
        ASSERT_NE(wine::WaitForWindow(sys, "Shell_TrayWnd", std::nullopt, shell_.get(),
                                      [this] { sys.processes.Sleep(20); }),
                  platform::WindowHandle::Null);
    }
    void TearDown() override {
        // A guard a failed test left would start user mode again: every Corvane goes.
        for (int round = 0; round < 10 && !CorvaneProcessIds().empty(); ++round) {
            for (const uint32_t id : CorvaneProcessIds()) {
                if (auto process = sys.processes.OpenProcessById(id)) {
                    process->Terminate(99);
                    process->WaitForExit(5000);
                }
            }
        }
        SetHideGui("KeepUserModeRunning", 0);
        DeleteKeyTreeAt(sys.registry, Hive::LocalMachine, "Software\\Policies\\Vemtrix");
        CorvaneProcesses::TearDown();
        if (shell_) {
            shell_->Terminate(0);
            shell_->WaitForExit(5000);
        }
    }

    void SetHideGui(const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kHideGuiKey, key), 0);
        SetDWordValue(*key, name, value);
    }
    void SetRoot(const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kSettingsRoot, key), 0);
        SetDWordValue(*key, name, value);
    }
    // The session timers on, with these values of their key.
    void SetTimers(std::initializer_list<std::pair<const char*, uint32_t>> values) {
        SetRoot("EnableTimers", 1);
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine,
                                 std::string(kSettingsRoot) + "\\Timers", key),
                  0);
        for (const auto& [name, value] : values) {
            SetDWordValue(*key, name, value);
        }
    }
    void SetText(Hive hive, const char* path, const char* name, const std::string& value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, hive, path, key), 0) << path;
        SetStringValue(*key, name, value);
    }
    std::optional<std::string> Text(Hive hive, const char* path, const std::string& name) {
        return ReadStringAt(sys.registry, hive, path, name);
    }
    std::optional<uint32_t> UserNumber(const char* path, const char* name) {
        return ReadDWordAt(sys.registry, Hive::CurrentUser, path, name);
    }
    // The taskbar's record of Corvane's icon, waited for (or waited away) for up to ten
    // seconds.
    std::optional<std::string> TrayRecord() {
        return Text(Hive::CurrentUser, tools::kNotificationAreaKey, std::to_string(TRAY_ICON_ID));
    }
    std::optional<std::string> WaitForTrayRecord(bool present) {
        for (int i = 0; i < 500 && TrayRecord().has_value() != present; ++i) {
            sys.processes.Sleep(20);
        }
        return TrayRecord();
    }
    // User mode up to its icon: the policies and the logon were done before it.
    platform::WindowHandle StartUserMode() {
        first = Start("/user");
        if (!first) {
            return platform::WindowHandle::Null;
        }
        const platform::WindowHandle window = WaitForWindow(*first);
        EXPECT_TRUE(WaitForTrayRecord(true).has_value()) << "no icon reached the taskbar";
        return window;
    }
    // A session page (a dialog captioned "Dialog": no page loads under Wine) of the user mode
    // under test, if one is up.
    platform::WindowHandle SessionPage() {
        platform::WindowHandle window = platform::WindowHandle::Null;
        while ((window = sys.windows.FindWindowEx(platform::WindowHandle::Null, window, "#32770",
                                                  std::string("Dialog"))) !=
               platform::WindowHandle::Null) {
            if (sys.windows.GetWindowProcessId(window) == first->Id()) {
                return window;
            }
        }
        return platform::WindowHandle::Null;
    }
    // This thread's messages handled, then a short wait: between looks for another process's
    // windows.
    void Pump() {
        platform::Message message;
        while (sys.windows.PeekMessage(message, true)) {
            sys.windows.DispatchMessage(message);
        }
        sys.processes.Sleep(20);
    }
    // corvane-cleanup.exe beside the program, as the uninstaller runs it.
    void RunCleanup() {
        std::string tool = CorvaneExe();
        tool.replace(tool.find_last_of('\\') + 1, std::string::npos, "corvane-cleanup.exe");
        auto cleanup = sys.processes.StartProcess("\"" + tool + "\"");
        ASSERT_NE(cleanup, nullptr);
        EXPECT_EQ(cleanup->WaitForExit(20000), 0u);
    }
    void Quit() {
        auto quit = Start("/q");
        ASSERT_NE(quit, nullptr);
        EXPECT_EQ(quit->WaitForExit(20000), 0u);
        EXPECT_EQ(first->WaitForExit(20000), 1u);
    }

    std::unique_ptr<platform::Process> shell_;
};

TEST_F(UserModeUnderWine, WritesEveryPolicyValueAndTheAutoLogonAndQLeavesThem) {
    SetRoot("EnablePolicies", 1);
    SetRoot("EnableAutoLogon", 1);
    const char* autoLogon = "Software\\Vemtrix\\Corvane\\AutoLogon";
    SetText(Hive::LocalMachine, autoLogon, "DefaultName", "kiosk");
    SetText(Hive::LocalMachine, autoLogon, "DefaultPassword", "open sesame");
    SetText(Hive::LocalMachine, autoLogon, "DefaultDoamin", "LIBRARY");
    const platform::WindowHandle window = StartUserMode();
    ASSERT_NE(window, platform::WindowHandle::Null);

    int written = 0;
    for (const PolicyValue& value : kPolicyValues) {
        const char* path = PolicyKeyPath(value.key);
        const auto stored = UserNumber(path, WindowsValueName(value));
        written += stored.has_value();
        EXPECT_EQ(stored, value.onlyWhenTicked
                              ? std::nullopt
                              : std::optional<uint32_t>(value.kind == PolicyKind::Button ? 2u : 0u))
            << value.name;
    }
    EXPECT_EQ(written, 46);  // the Ctrl+Alt+Del values only when ticked
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "DefaultUserName"), "kiosk");
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "DefaultPassword"), "open sesame");
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "DefaultDomain"), "LIBRARY");
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "AutoAdminLogon"), "1");
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "ForceAutoLogon"), "1");
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "DontDisplayLastUserName"), "0");

    Quit();
    // The program's event log file, read as corvane-inspect reads it: this run's entries, and
    // never the password.
    const std::vector<std::string> said = ReadEventLines(sys, 4);
    ASSERT_EQ(said.size(), 4u);
    EXPECT_NE(said[0].find("user mode started"), std::string::npos) << said[0];
    EXPECT_NE(said[3].find("user mode ended"), std::string::npos) << said[3];
    for (const std::string& line : ReadEventLines(sys, 1000)) {
        EXPECT_EQ(line.find("sesame"), std::string::npos) << line;
    }
    EXPECT_EQ(UserNumber(kExplorerPolicyKey, "Btn_Back"), 2u);
    EXPECT_EQ(UserNumber(kBrowserPolicyKey, "RestGoMenu"), 0u);
}

// Group Policy took Task Manager away from the kiosk's account: user mode with the box unticked
// neither turns it back on nor takes it away, at its start, its /q or the cleanup after it.
TEST_F(UserModeUnderWine, AnotherToolsDisableTaskMgrSurvivesUserModeAndTheCleanup) {
    SetRoot("EnablePolicies", 1);
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, kSystemPolicyKey, key), 0);
    ASSERT_EQ(SetDWordValue(*key, "DisableTaskMgr", 1), 0);
    key.reset();
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine,
                             std::string(kSettingsRoot) + "\\Policies", key),
              0);
    ASSERT_EQ(SetDWordValue(*key, "DisableLockWorkstation", 1), 0);  // ticked, none there
    key.reset();
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    EXPECT_EQ(UserNumber(kSystemPolicyKey, "DisableTaskMgr"), 1u);
    EXPECT_EQ(UserNumber(kSystemPolicyKey, "DisableLockWorkstation"), 1u);
    Quit();
    EXPECT_EQ(UserNumber(kSystemPolicyKey, "DisableTaskMgr"), 1u);
    RunCleanup();
    EXPECT_EQ(UserNumber(kSystemPolicyKey, "DisableTaskMgr"), 1u);
    EXPECT_EQ(UserNumber(kSystemPolicyKey, "DisableLockWorkstation"), std::nullopt);
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, kSystemPolicyKey, key), 0);
    key->DeleteValue("DisableTaskMgr");
}

// What the uninstaller runs: the restrictions user mode left go, the settings stay.
TEST_F(UserModeUnderWine, TheCleanupToolTakesAwayWhatUserModeLeft) {
    SetRoot("EnablePolicies", 1);
    SetRoot("EnableAutoLogon", 1);
    SetText(Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\AutoLogon", "DefaultName", "kiosk");
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    Quit();  // the policies and the automatic logon stay after /q
    ASSERT_EQ(UserNumber(kExplorerPolicyKey, "Btn_Back"), 2u);
    RunCleanup();
    for (const PolicyValue& value : kPolicyValues) {
        EXPECT_EQ(UserNumber(PolicyKeyPath(value.key), WindowsValueName(value)), std::nullopt)
            << value.name;
    }
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "AutoAdminLogon"), std::nullopt);
    EXPECT_EQ(Text(Hive::LocalMachine, "Software\\Vemtrix\\Corvane\\AutoLogon", "DefaultName"),
              "kiosk");  // the settings stay
}

TEST_F(UserModeUnderWine, WithBothOffWritesNoPoliciesAndRemovesTheAutoLogon) {
    SetRoot("EnablePolicies", 0);
    SetRoot("EnableAutoLogon", 0);
    SetText(Hive::LocalMachine, kWinlogonKey, "AutoAdminLogon", "1");  // another tool's
    SetText(Hive::LocalMachine, kWinlogonKey, "DefaultUserName", "someone");
    SetText(Hive::LocalMachine, kWinlogonKey, "DialogDelay", "3");
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    EXPECT_EQ(UserNumber(kExplorerPolicyKey, "NoDrives"), std::nullopt);
    EXPECT_EQ(UserNumber(kBrowserPolicyKey, "NoPrinting"), std::nullopt);
    for (const char* name : {"AutoAdminLogon", "DefaultUserName", "DialogDelay", "DefaultPassword",
                             "ForceAutoLogon"}) {
        EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, name), std::nullopt) << name;
    }
    EXPECT_EQ(Text(Hive::LocalMachine, kWinlogonKey, "DontDisplayLastUserName"), "1");
    Quit();
}

TEST_F(UserModeUnderWine, TheIconComesAndGoesAndItsDoubleClickShowsThePage) {
    const platform::WindowHandle window = StartUserMode();
    ASSERT_NE(window, platform::WindowHandle::Null);
    char expected[96];
    std::snprintf(expected, sizeof expected, "window=%x callback=10012 flags=7",
                  static_cast<unsigned>(static_cast<std::uintptr_t>(window)));
    EXPECT_EQ(TrayRecord(), expected);
    EXPECT_FALSE(sys.windows.IsWindowVisible(window));

    // What the taskbar sends for a double click on the icon; no password is stored.
    sys.windows.PostMessage(window, WM_TRAY_NOTIFY, TRAY_ICON_ID, platform::mouse::kLButtonDblClk);
    EXPECT_TRUE(BecomesVisible(window));

    Quit();
    EXPECT_EQ(WaitForTrayRecord(false), std::nullopt);
}

// A program of the session posts what was once the exit button's command (and the others of
// its range): user mode goes on, its policies and icon in place. The double click posted after
// them shows the page, so they have all been handled by then.
TEST_F(UserModeUnderWine, NoPostedCommandEndsUserModeOrTakesThePoliciesAway) {
    SetRoot("EnablePolicies", 1);
    const platform::WindowHandle window = StartUserMode();
    ASSERT_NE(window, platform::WindowHandle::Null);
    ASSERT_EQ(UserNumber(kExplorerPolicyKey, "NoDrives"), 0u);
    for (uint32_t command = 32768; command < 32800; ++command) {
        if (command != ID_SWITCH_Q) {
            sys.windows.PostMessage(window, platform::wm::kCommand, command, 0);
        }
    }
    sys.windows.PostMessage(window, WM_TRAY_NOTIFY, TRAY_ICON_ID, platform::mouse::kLButtonDblClk);
    EXPECT_TRUE(BecomesVisible(window));
    EXPECT_EQ(first->WaitForExit(0), std::nullopt);
    EXPECT_EQ(UserNumber(kExplorerPolicyKey, "NoDrives"), 0u);
    EXPECT_NE(TrayRecord(), std::nullopt);
    Quit();
}

// The recorder of the application windows the session's end is to close or leave.
class CloseRecorder final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle window, uint32_t message,
                                                 std::uintptr_t, std::intptr_t) override {
        if (message == platform::wm::kClose) {
            closed.push_back(window);
            return 0;
        }
        return std::nullopt;
    }
    std::vector<platform::WindowHandle> closed;
};

// The shell ends and starts again: user mode hides its new taskbar and adds its icon again.
TEST_F(UserModeUnderWine, ARestartedShellIsHiddenAgainAndGetsTheIconBack) {
    SetRoot("EnableHideGUI", 1);
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kHideGuiKey, key), 0);
        SetDWordValue(*key, "HideTaskbar", 1);
    }
    const auto idle = [this] { sys.processes.Sleep(20); };
    const auto waitForShown = [&](platform::WindowHandle window, bool shown) {
        for (int i = 0; i < 500 && sys.windows.IsWindowVisible(window) != shown; ++i) {
            idle();
        }
        return sys.windows.IsWindowVisible(window);
    };
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    const platform::WindowHandle first =
        sys.windows.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    EXPECT_FALSE(waitForShown(first, false));

    shell_->Terminate(0);
    shell_->WaitForExit(5000);
    platform::RegistryKeyPtr record;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, tools::kNotificationAreaKey, record),
              0);
    record->DeleteValue(std::to_string(TRAY_ICON_ID));  // the old shell's record of the icon
    std::string shellPath = CorvaneExe();
    shellPath.replace(shellPath.find_last_of('\\') + 1, std::string::npos, "corvane-fakeshell.exe");
    shell_ = sys.processes.StartProcess("\"" + shellPath + "\"");
    ASSERT_NE(shell_, nullptr);
    const platform::WindowHandle again =
        wine::WaitForWindow(sys, "Shell_TrayWnd", std::nullopt, shell_.get(), idle);
    ASSERT_NE(again, platform::WindowHandle::Null);
    EXPECT_FALSE(waitForShown(again, false));
    EXPECT_TRUE(WaitForTrayRecord(true).has_value()) << "the icon did not come back";

    Quit();
    EXPECT_TRUE(waitForShown(again, true));  // the new taskbar is given back
}

TEST_F(UserModeUnderWine, TheSessionsEndClosesTitledApplicationWindowsOnly) {
    SetTimers({{"StartActivityOnOpen", 1}, {"ActivityTime", 2}, {"ShowTimerDialog", 1}});
    CloseRecorder recorder;
    const auto make = [&](const char* title, uint32_t style, platform::WindowHandle owner) {
        return sys.windows.CreateWindow({"CorvaneTestApp", title, style, owner}, &recorder);
    };
    const uint32_t visible = platform::ws::kVisible;
    const platform::WindowHandle browser = make("Kiosk browser", visible, {});
    const std::vector<platform::WindowHandle> made = {
        make("", visible, {}), make("Hidden helper", 0, {}),
        make("Owned palette", visible, browser), browser};
    const auto pump = [this] { Pump(); };

    const platform::WindowHandle main = StartUserMode();
    ASSERT_NE(main, platform::WindowHandle::Null);
    // The final page: a dialog of Corvane's captioned "Dialog" (no page loads under Wine).
    const platform::WindowHandle page =
        wine::WaitForWindow(sys, "#32770", std::string("Dialog"), first.get(), pump);
    ASSERT_NE(page, platform::WindowHandle::Null);
    EXPECT_TRUE(recorder.closed.empty());  // nothing before the page is closed

    // The timer window showed the count: owned by the main window, in the work area's corner.
    platform::WindowHandle timer = platform::WindowHandle::Null;
    for (const platform::WindowHandle window : sys.windows.EnumTopLevelWindows()) {
        if (sys.windows.GetOwner(window) == main && window != page) {
            timer = window;
        }
    }
    ASSERT_NE(timer, platform::WindowHandle::Null);
    EXPECT_TRUE(sys.windows.IsWindowVisible(timer));
    const platform::Rect area = sys.windows.GetWorkArea();
    const auto rect = sys.windows.GetWindowRect(timer);
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(rect->right, area.right - area.left);
    EXPECT_EQ(rect->bottom, area.bottom - area.top);

    sys.windows.PostMessage(page, platform::wm::kClose, 0, 0);  // the close box
    for (int i = 0; i < 500 && recorder.closed.empty(); ++i) {
        pump();
    }
    pump();
    EXPECT_EQ(recorder.closed, std::vector<platform::WindowHandle>{browser});
    Quit();
    for (const platform::WindowHandle window : made) {
        sys.windows.DestroyWindow(window);
    }
}

// Someone at the keyboard: each key, through the library's hook and the main window, starts the
// inactivity count again, so the page stays away for as long as keys come, longer than the
// count itself, and comes once they stop.
TEST_F(UserModeUnderWine, KeysAtTheKioskKeepTheInactivityPageAway) {
    SetTimers({{"StartInactivityOnOpen", 1}, {"InactivityTime", 2}, {"ShowTimerDialog", 0}});
    const auto pump = [this] { Pump(); };
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    constexpr uint16_t kF24 = 0x87;                           // a key no program acts on
    const uint64_t until = sys.processes.TickCount() + 5000;  // two and a half counts
    while (sys.processes.TickCount() < until) {
        sys.windows.SendKey(kF24, false, false);
        sys.windows.SendKey(kF24, true, false);
        for (int i = 0; i < 15; ++i) {
            pump();
        }
        ASSERT_EQ(SessionPage(), platform::WindowHandle::Null)
            << "the page came while keys were pressed";
    }
    const platform::WindowHandle page =
        wine::WaitForWindow(sys, "#32770", std::string("Dialog"), first.get(), pump);
    EXPECT_NE(page, platform::WindowHandle::Null);
    Quit();
}

// Keys pressed while a warning page of the session is up are someone at the kiosk too: they go
// through the page's own message loop to the main window. The first warning comes with one
// second of the inactivity count left; the key resets it, so after OK the inactivity page waits
// the full count instead of coming at once.
TEST_F(UserModeUnderWine, KeysWhileAWarningPageIsUpStartTheInactivityCountAgain) {
    SetTimers({{"StartActivityOnOpen", 1},
               {"ActivityTime", 12},
               {"ActivityTimeWarn1", 7},
               {"ActivityTimeWarn2", 0},
               {"StartInactivityOnOpen", 1},
               {"InactivityTime", 6},
               {"ShowTimerDialog", 0}});
    const auto pump = [this] { Pump(); };
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    const platform::WindowHandle warning =
        wine::WaitForWindow(sys, "#32770", std::string("Dialog"), first.get(), pump);
    ASSERT_NE(warning, platform::WindowHandle::Null);

    // SendInput returns once the low-level hook has run, and the hook posts the activity before
    // the OK below: the page's loop sees them in that order.
    constexpr uint16_t kF24 = 0x87;  // a key no program acts on
    ASSERT_TRUE(sys.windows.SendKey(kF24, false, false));
    ASSERT_TRUE(sys.windows.SendKey(kF24, true, false));
    sys.windows.PostMessage(warning, platform::wm::kCommand, platform::id::kOk, 0);
    for (int i = 0; i < 500 && sys.windows.IsWindow(warning); ++i) {
        pump();
    }
    ASSERT_FALSE(sys.windows.IsWindow(warning));

    const uint64_t until = sys.processes.TickCount() + 3000;  // half the full count
    while (sys.processes.TickCount() < until) {
        pump();
        ASSERT_EQ(SessionPage(), platform::WindowHandle::Null)
            << "the inactivity page came as if no key had been pressed";
    }
    // The count runs on: its page comes once the keys have stopped for the full count.
    EXPECT_NE(wine::WaitForWindow(sys, "#32770", std::string("Dialog"), first.get(), pump),
              platform::WindowHandle::Null);
    Quit();
}

// Nobody at the kiosk: the inactivity page asks; OK keeps the session, the close box ends it.
TEST_F(UserModeUnderWine, TheInactivityPageKeepsTheSessionOnOKAndEndsItOtherwise) {
    SetTimers({{"StartInactivityOnOpen", 1}, {"InactivityTime", 2}, {"ShowTimerDialog", 0}});
    CloseRecorder recorder;
    const platform::WindowHandle browser = sys.windows.CreateWindow(
        {"CorvaneTestApp", "Kiosk browser", platform::ws::kVisible, {}}, &recorder);
    const auto pump = [this] { Pump(); };
    const auto waitForPage = [&] {
        return wine::WaitForWindow(sys, "#32770", std::string("Dialog"), first.get(), pump);
    };
    const auto waitForPageGone = [&](platform::WindowHandle page) {
        for (int i = 0; i < 500 && sys.windows.IsWindow(page); ++i) {
            pump();
        }
        return !sys.windows.IsWindow(page);
    };

    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    const platform::WindowHandle asked = waitForPage();
    ASSERT_NE(asked, platform::WindowHandle::Null);
    sys.windows.PostMessage(asked, platform::wm::kCommand, platform::id::kOk, 0);
    ASSERT_TRUE(waitForPageGone(asked));
    pump();
    EXPECT_TRUE(recorder.closed.empty());  // still there: nothing is closed

    // The full count again, then the page again; its close box ends the session.
    const platform::WindowHandle again = waitForPage();
    ASSERT_NE(again, platform::WindowHandle::Null);
    sys.windows.PostMessage(again, platform::wm::kClose, 0, 0);
    for (int i = 0; i < 500 && recorder.closed.empty(); ++i) {
        pump();
    }
    EXPECT_EQ(recorder.closed, std::vector<platform::WindowHandle>{browser});
    Quit();
    sys.windows.DestroyWindow(browser);
}

// Killed from outside, user mode is back and locked (its icon again, the taskbar still hidden)
// within two seconds, measured here from the kill; /q then ends it and its guard for good.
TEST_F(UserModeUnderWine, AKilledUserModeIsBackAndLockedWithinTwoSeconds) {
    SetRoot("EnableHideGUI", 1);
    SetHideGui("HideTaskbar", 1);
    SetHideGui("KeepUserModeRunning", 1);
    const auto idle = [this] { sys.processes.Sleep(10); };
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    const platform::WindowHandle taskbar =
        sys.windows.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    for (int i = 0; i < 500 && sys.windows.IsWindowVisible(taskbar); ++i) {
        idle();
    }
    ASSERT_FALSE(sys.windows.IsWindowVisible(taskbar));
    // The guard is there before the kill: two Corvane processes.
    for (int i = 0; i < 500 && CorvaneProcessIds().size() < 2; ++i) {
        idle();
    }
    ASSERT_EQ(CorvaneProcessIds().size(), 2u);

    const uint64_t killedAt = sys.processes.TickCount();
    ASSERT_TRUE(first->Terminate(1));
    ASSERT_EQ(first->WaitForExit(5000), 1u);
    platform::RegistryKeyPtr record;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, tools::kNotificationAreaKey, record),
              0);
    record->DeleteValue(std::to_string(TRAY_ICON_ID));  // the killed one's icon record
    const platform::WindowHandle back =
        wine::WaitForWindow(sys, "#32770", std::string("Corvane"), nullptr, idle);
    ASSERT_NE(back, platform::WindowHandle::Null);
    ASSERT_TRUE(WaitForTrayRecord(true).has_value()) << "user mode came back without its icon";
    const uint64_t elapsed = sys.processes.TickCount() - killedAt;
    std::printf("user mode back and locked %llu ms after the kill\n",
                static_cast<unsigned long long>(elapsed));
    EXPECT_LT(elapsed, 2000u);
    EXPECT_FALSE(sys.windows.IsWindowVisible(taskbar));
    bool said = false;
    for (const std::string& line : ReadEventLines(sys, 20)) {
        said = said || line.find("user mode was ended from outside: it was started again") !=
                           std::string::npos;
    }
    EXPECT_TRUE(said);

    Quit();
    for (int i = 0; i < 500 && !CorvaneProcessIds().empty(); ++i) {
        idle();
    }
    EXPECT_TRUE(CorvaneProcessIds().empty()) << "the guard outlived /q";
    for (int i = 0; i < 500 && !sys.windows.IsWindowVisible(taskbar); ++i) {
        idle();
    }
    EXPECT_TRUE(sys.windows.IsWindowVisible(taskbar));
}

// Edge and Chrome: every value of the section under both browsers' keys with its type, the
// URL rules as their lists from a file that translates and none from one that does not (the log
// says why); /q leaves them, the uninstaller's cleanup puts back another tool's value.
TEST_F(UserModeUnderWine, EdgeAndChromeGetTheirValuesAndTheUrlListsOnlyFromAFileThatTranslates) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::string rules = platform::win32::Narrow(temp) + "corvane-browser-urls-" +
                              std::to_string(GetCurrentProcessId()) + ".txt";
    ASSERT_EQ(
        sys.files.WriteWholeFile(rules, "+^https?://([a-z0-9-]+\\.)*kiosk\\.example/\r\n-all\r\n"),
        0);
    SetRoot("EnablePolicies", 1);
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kPoliciesKey, key), 0);
    for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
        SetDWordValue(*key, browserSwitch.name, 1);
    }
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kLumbrelKey, key), 0);
    SetDWordValue(*key, "FilterURLs", 1);
    SetStringValue(*key, "FilterURLFile", rules);
    const char* chrome = BrowserPolicyKey(Browser::Chrome);
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, chrome, key), 0);
    SetDWordValue(*key, "PrintingEnabled", 1);  // another tool's
    key.reset();
    const auto list = [&](Browser browser, const char* name) {
        std::vector<std::string> entries;
        const std::string path = std::string(BrowserPolicyKey(browser)) + "\\" + name;
        while (auto entry =
                   Text(Hive::CurrentUser, path.c_str(), std::to_string(entries.size() + 1))) {
            entries.push_back(*entry);
        }
        return entries;
    };

    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    for (const BrowserPolicyValue& value : kBrowserPolicyValues) {
        platform::RawValue raw;
        ASSERT_EQ(
            OpenForReading(sys.registry, Hive::CurrentUser, BrowserPolicyKey(value.browser), key),
            0);
        ASSERT_EQ(QueryRawValue(*key, value.name, raw), 0) << value.name;
        EXPECT_EQ(raw.type, static_cast<uint32_t>(REG_DWORD)) << value.name;
        EXPECT_EQ(UserNumber(BrowserPolicyKey(value.browser), value.name), value.data)
            << value.name;
    }
    key.reset();
    for (const Browser browser : kBrowsers) {
        const std::vector<std::string> blocked = list(browser, kUrlBlocklist);
        ASSERT_EQ(blocked.size(), std::size(kBrowserOwnPages) + 1) << BrowserName(browser);
        EXPECT_EQ(blocked.front(), std::string(BrowserOwnScheme(browser)) + "://settings");
        EXPECT_EQ(blocked.back(), "*");
        EXPECT_EQ(
            list(browser, kUrlAllowlist),
            (std::vector<std::string>{"http://kiosk.example:80", "https://kiosk.example:443"}));
    }
    Quit();
    EXPECT_EQ(list(Browser::Edge, kUrlAllowlist).size(), 2u);

    // An unanchored word: no list at all, and the log says which line and why.
    ASSERT_EQ(sys.files.WriteWholeFile(rules, "-casino\r\n+^https://kiosk\\.example/\r\n-all\r\n"),
              0);
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    EXPECT_TRUE(list(Browser::Chrome, kUrlAllowlist).empty());
    EXPECT_EQ(list(Browser::Chrome, kUrlBlocklist).size(), std::size(kBrowserOwnPages));
    const std::vector<std::string> said = ReadEventLines(sys, 20);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string& line) {
        return line.find("Edge and Chrome got no URL list: 1 line of") != std::string::npos &&
               line.find("Line 1 \"-casino\": it is not anchored") != std::string::npos;
    }));
    Quit();
    RunCleanup();
    EXPECT_EQ(UserNumber(chrome, "PrintingEnabled"), 1u);
    EXPECT_EQ(UserNumber(chrome, "DownloadRestrictions"), std::nullopt);
    EXPECT_TRUE(list(Browser::Edge, kUrlBlocklist).empty());
    EXPECT_EQ(UserNumber(BrowserPolicyKey(Browser::Edge), "DeveloperToolsAvailability"),
              std::nullopt);
    sys.files.RemoveFile(rules);
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, chrome, key), 0);
    key->DeleteValue("PrintingEnabled");
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kLumbrelKey, key), 0);
    SetDWordValue(*key, "FilterURLs", 0);
}

// Group Policy's refresh while user mode runs: the value it wrote under the policies key, and
// its broadcast, hide the taskbar without a restart; the value it wrote before the start won
// over the local one from the first.
TEST_F(UserModeUnderWine, AManagedValueWinsAndAPolicyRefreshPutsAChangeInPlace) {
    SetRoot("EnableHideGUI", 1);
    SetHideGui("HideDesktop", 0);
    SetHideGui("HideTaskbar", 0);
    platform::RegistryKeyPtr key;
    ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, *ManagedPathOf(kHideGuiKey), key),
              0);
    SetDWordValue(*key, "HideDesktop", 1);
    const platform::WindowHandle taskbar =
        sys.windows.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    const platform::WindowHandle progman =
        sys.windows.FindWindow(std::string("Progman"), std::nullopt);
    const platform::WindowHandle desktop = sys.windows.FindWindowEx(
        progman, platform::WindowHandle::Null, std::string("SHELLDLL_DefView"), std::nullopt);
    ASSERT_NE(desktop, platform::WindowHandle::Null);
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    for (int i = 0; i < 500 && sys.windows.IsWindowVisible(desktop); ++i) {
        Pump();  // the shell is hidden once the library has started
    }
    EXPECT_FALSE(sys.windows.IsWindowVisible(desktop)) << "the managed value did not win";
    EXPECT_TRUE(sys.windows.IsWindowVisible(taskbar));

    SetDWordValue(*key, "HideTaskbar", 1);
    key.reset();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    for (int i = 0; i < 500 && sys.windows.IsWindowVisible(taskbar); ++i) {
        Pump();
    }
    EXPECT_FALSE(sys.windows.IsWindowVisible(taskbar)) << "the refresh was not put in place";
    EXPECT_FALSE(sys.windows.IsWindowVisible(desktop));
    Quit();
    EXPECT_TRUE(sys.windows.IsWindowVisible(taskbar));
}

TEST_F(UserModeUnderWine, AutoRestartKeepsTheFoldersProgramsRunning) {
    platform::win32::OleScope ole;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"corvane-restart-" + std::to_wstring(GetCurrentProcessId());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder + L"\\Kiosk Apps");
    std::wstring app = platform::win32::Wide(CorvaneExe());
    app.replace(app.find_last_of(L'\\') + 1, std::wstring::npos, L"corvane-kioskapp.exe");
    // The second program's path has a blank.
    const std::wstring spaced = folder + L"\\Kiosk Apps\\kiosk app.exe";
    ASSERT_TRUE(CopyFileW(app.c_str(), spaced.c_str(), FALSE));
    ASSERT_TRUE(testing::MakeShortcut(folder + L"\\one.lnk", app, L"--title \"Kiosk one\""));
    ASSERT_TRUE(testing::MakeShortcut(folder + L"\\two.lnk", spaced, L"--title \"Kiosk two\""));

    SetRoot("EnableAutoRestart", 1);
    {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine,
                                 std::string(kSettingsRoot) + "\\AutoRestart", key),
                  0);
        SetStringValue(*key, "Folder", platform::win32::Narrow(folder));
        SetDWordValue(*key, "Time", 1);
        SetDWordValue(*key, "Wait", 500);
    }
    // The programs go on after user mode, and after a failed check: end them in any case.
    struct EndKioskApps {
        platform::System& sys;
        ~EndKioskApps() {
            platform::WindowHandle window;
            for (int round = 0; round < 20 && (window = sys.windows.FindWindow(
                                                   std::string("CorvaneKioskApp"), std::nullopt)) !=
                                                  platform::WindowHandle::Null;
                 ++round) {
                const uint32_t id = sys.windows.GetWindowProcessId(window);
                sys.processes.TerminateProcessById(id, 0);
                for (int i = 0; i < 250 && sys.windows.IsWindow(window); ++i) {
                    sys.processes.Sleep(20);
                }
            }
        }
    } endKioskApps{sys};
    // The process of the window with this title, once it is there and, when given, is not
    // `other`'s. This program answers its own messages meanwhile: the hang test ends the
    // program of any window that does not.
    const auto processOf = [&](const char* title, uint32_t other) -> uint32_t {
        for (int i = 0; i < 500; ++i) {
            platform::Message message;
            while (sys.windows.PeekMessage(message, true)) {
                sys.windows.DispatchMessage(message);
            }
            const platform::WindowHandle window =
                sys.windows.FindWindow(std::string("CorvaneKioskApp"), std::string(title));
            if (window != platform::WindowHandle::Null) {
                // 0: the window went between finding it and asking (its program was ended).
                const uint32_t id = sys.windows.GetWindowProcessId(window);
                if (id != 0 && id != other) {
                    return id;
                }
            }
            sys.processes.Sleep(20);
        }
        return 0;
    };
    ASSERT_NE(StartUserMode(), platform::WindowHandle::Null);
    const uint32_t one = processOf("Kiosk one", 0);
    const uint32_t two = processOf("Kiosk two", 0);
    ASSERT_NE(one, 0u);
    ASSERT_NE(two, 0u);

    // Ended from outside: started again at a check.
    ASSERT_TRUE(sys.processes.TerminateProcessById(one, 9));
    EXPECT_NE(processOf("Kiosk one", one), 0u);

    // Hung: ended by the hang test, then started again.
    sys.windows.PostMessage(
        sys.windows.FindWindow(std::string("CorvaneKioskApp"), std::string("Kiosk two")),
        platform::wm::kApp + 1, 0, 0);
    EXPECT_NE(processOf("Kiosk two", two), 0u);

    Quit();
}

}  // namespace
}  // namespace corvane::wine
