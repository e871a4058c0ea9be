// corvane-breakout.exe [--defaults] [CORVANE_EXE]: the breakout matrix. Starts Corvane.exe /user
// with the recommended lockdown (or, with --defaults, Hide GUI and Policies switched on and every
// value as it comes), tries each way out of a kiosk that this Wine can produce (keys and
// chords sent with SendInput, clicks, the shell's taskbar made again, Corvane's main thread kept
// busy) against a window of its own that records what reaches it, and prints one line per route:
// blocked, OPEN, or why it cannot be tried here. Exit status 0 only when no route is open (with
// --defaults, whenever the matrix could run: it shows what the lockdown buys).
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/recommended_lockdown.h"
#include "common/hide_gui_values.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/ole_scope.h"
#include "platform/win32/system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
#include "policies/policies.h"
#include "policies/policy_values.h"
// after windows.h, which it needs
#include <shlobj.h>

namespace {

using platform::WindowHandle;
namespace vk = platform::vk;
namespace mouse = platform::mouse;

HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

// What reaches the focused window: "k<key>," for a press, "u<key>," for a release,
// "m<message>," for a button message, "close," for a close it refuses.
class Sink final : public platform::WindowHandler {
  public:
    std::optional<std::intptr_t> OnWindowMessage(WindowHandle, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t) override {
        if (message == platform::wm::kKeyDown || message == platform::wm::kSysKeyDown) {
            seen += "k" + std::to_string(wParam) + ",";
        } else if (message == platform::wm::kKeyUp || message == platform::wm::kSysKeyDown + 1) {
            seen += "u" + std::to_string(wParam) + ",";
        } else if (message >= mouse::kLButtonDown && message <= mouse::kMButtonDblClk) {
            seen += "m" + std::to_string(message) + ",";
        } else if (message == platform::wm::kClose) {
            seen += "close,";  // Alt+F4 that arrived: the window stays for the routes after it
            return 0;
        }
        return std::nullopt;
    }
    std::string seen;
};

class Breakout {
  public:
    Breakout(std::string corvane, bool defaults)
        : corvane_(std::move(corvane)), defaults_(defaults) {}

    int Run() {
        Configure(1);
        const bool ready = Prepare();
        if (ready) {
            TryRoutes();
        }
        Finish();
        Configure(0);
        std::printf("%d routes tried: %d blocked, %d open; %d not possible here\n",
                    blocked_ + open_, blocked_, open_, skipped_);
        return ready && (defaults_ || open_ == 0) ? 0 : 1;
    }

  private:
    // The configuration: the recommended lockdown (the switches, the rules, the policies and
    // the guard), or with --defaults the switches alone; and auto restart's hang test, which
    // keeps Corvane's main thread waiting for a window that does not answer. `on` 0 takes it
    // all back: every Hide GUI value and every value the lockdown ticks off.
    void Configure(uint32_t on) {
        platform::RegistryKeyPtr key;
        constexpr auto kHive = platform::Hive::LocalMachine;
        if (corvane::OpenForWriting(sys_.registry, kHive, corvane::kSettingsRoot, key) == 0) {
            corvane::SetDWordValue(*key, "EnableHideGUI", on);
            corvane::SetDWordValue(*key, "EnablePolicies", on);
            corvane::SetDWordValue(*key, "EnableAutoRestart", on);
            corvane::SetDWordValue(*key, "EnableTimers", 0);
        }
        if (corvane::OpenForWriting(sys_.registry, kHive, corvane::kHideGuiKey, key) == 0) {
            for (const corvane::HideGuiValue& value : corvane::kHideGuiValues) {
                corvane::SetDWordValue(*key, value.value, 0);
            }
        }
        for (const corvane::LockdownItem& item : corvane::RecommendedLockdown()) {
            if (corvane::OpenForWriting(sys_.registry, kHive, corvane::LockdownKey(item.tab),
                                        key) == 0) {
                corvane::SetDWordValue(*key, item.value, on != 0 && !defaults_ ? 1 : 0);
            }
        }
        // The shell goes in both: the matrix tries what passes a hidden shell.
        if (corvane::OpenForWriting(sys_.registry, kHive, corvane::kHideGuiKey, key) == 0) {
            for (const char* name : {"HideDesktop", "HideTaskbar", "HideStartButton"}) {
                corvane::SetDWordValue(*key, name, on);
            }
        }
        if (corvane::OpenForWriting(sys_.registry, kHive, "Software\\Vemtrix\\Corvane\\AutoRestart",
                                    key) == 0) {
            // No programs of its own: a folder that is not there.
            corvane::SetStringValue(*key, "Folder", on ? Folder() : "");
            corvane::SetDWordValue(*key, "Time", 1);
            corvane::SetDWordValue(*key, "Wait", on ? 4000 : 0);
        }
    }

    // The stand-in shell and kiosk program are beside this program (Corvane may be installed).
    std::string Beside(const char* file) const {
        const std::string own = sys_.processes.ModulePath();
        return own.substr(0, own.find_last_of('\\') + 1) + file;
    }
    std::string Folder() const {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        return platform::win32::Narrow(temp) + "corvane-breakout-no-programs";
    }

    // Pumps this thread's queue until `done` holds, for up to twenty seconds.
    bool PumpUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 1000; ++i) {
            platform::Message message;
            while (sys_.windows.PeekMessage(message, true)) {
                sys_.windows.DispatchMessage(message);
            }
            if (done()) {
                return true;
            }
            sys_.processes.Sleep(20);
        }
        return done();
    }

    // Ends with this program, whatever ends it: a kiosk left behind would go on hooking the
    // desktop of every test after it and hold the test runner's output open until its time-out.
    void TieToThisProgram(const std::unique_ptr<platform::Process>& process) {
        if (!process) {
            return;
        }
        if (!job_) {
            job_ = platform::win32::UniqueHandle(CreateJobObjectW(nullptr, nullptr));
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            if (job_ && !SetInformationJobObject(job_.get(), JobObjectExtendedLimitInformation,
                                                 &limits, sizeof limits)) {
                job_ = {};
            }
        }
        const platform::win32::UniqueHandle handle(
            OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, process->Id()));
        if (!job_ || !handle || !AssignProcessToJobObject(job_.get(), handle.get())) {
            std::printf("  (process %u is not tied to this program: %lu)\n", process->Id(),
                        GetLastError());
        }
    }

    WindowHandle Taskbar() const {
        return sys_.windows.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    }

    bool Prepare() {
        // A shell of the run's own stays; without one, the stand-in makes the shell's windows.
        hadShell_ = Taskbar() != WindowHandle::Null;
        if (!hadShell_) {
            shell_ = sys_.processes.StartProcess("\"" + Beside("corvane-fakeshell.exe") + "\"");
            TieToThisProgram(shell_);
        }
        if (!PumpUntil([this] { return Taskbar() != WindowHandle::Null; })) {
            std::puts("the stand-in shell did not start");
            return false;
        }
        sinkWindow_ = sys_.windows.CreateWindow(
            {"CorvaneBreakoutSink", "breakout", platform::ws::kVisible | platform::ws::kPopup, {}},
            &sink_);
        SetWindowPos(Hwnd(sinkWindow_), HWND_TOP, 100, 100, 400, 300, SWP_SHOWWINDOW);
        kiosk_ = sys_.processes.StartProcess("\"" + corvane_ + "\" /user");
        TieToThisProgram(kiosk_);
        // User mode is up once the taskbar is hidden: the hooks went in before.
        if (!kiosk_ || !PumpUntil([this] { return !sys_.windows.IsWindowVisible(Taskbar()); })) {
            std::puts("user mode did not hide the taskbar");
            return false;
        }
        main_ = sys_.windows.FindWindow(std::string("#32770"), std::string("Corvane"));
        sys_.windows.SetForegroundWindow(sinkWindow_);
        SetFocus(Hwnd(sinkWindow_));
        SetCursorPos(300, 250);
        return PumpUntil([this] { return GetForegroundWindow() == Hwnd(sinkWindow_); });
    }

    // What reached the sink from the route, once a last Z (which nothing stops) has arrived;
    // no value when it never did, and nothing can be told.
    std::optional<std::string> Record(const std::function<void()>& route) {
        sink_.seen.clear();
        route();
        Key('Z');
        if (!PumpUntil([this] { return sink_.seen.ends_with("u90,"); })) {
            return std::nullopt;
        }
        return sink_.seen;
    }
    void Key(uint16_t key, bool extended = false) {
        sys_.windows.SendKey(key, false, extended);
        sys_.windows.SendKey(key, true, extended);
    }
    void Chord(uint16_t modifier, uint16_t key) {
        sys_.windows.SendKey(modifier, false, false);
        Key(key);
        sys_.windows.SendKey(modifier, true, false);
    }
    void Click(uint32_t down, uint32_t up, uint16_t modifier = 0) {
        if (modifier != 0) {
            sys_.windows.SendKey(modifier, false, false);
        }
        sys_.windows.SendMouse(down);
        sys_.windows.SendMouse(up);
        if (modifier != 0) {
            sys_.windows.SendKey(modifier, true, false);
        }
    }

    void Report(bool isBlocked, const std::string& route, const std::string& how,
                const char* label = nullptr) {
        (isBlocked ? blocked_ : open_) += 1;
        std::printf("  %-8s %-48s %s\n",
                    label       ? label
                    : isBlocked ? "blocked"
                                : "OPEN",
                    route.c_str(), how.c_str());
        std::fflush(stdout);
    }
    // A route is blocked when the mark never reached the sink; a control route must reach it.
    void Try(const std::string& route, const std::function<void()>& input, const std::string& mark,
             bool control = false) {
        const std::optional<std::string> seen = Record(input);
        if (!seen) {
            Report(false, route, "(the window never saw the last key: nothing can be told)");
            return;
        }
        const bool reached = seen->find(mark) != std::string::npos;
        if (control) {
            // Not a way out: counted with the blocked ones when it arrives, as open when not.
            Report(reached, route, reached ? "(reached the window, as it must)" : "(LOST)",
                   reached ? "arrives" : "LOST");
            return;
        }
        Report(!reached, route,
               reached ? "(reached the window: " + *seen + ")" : "(never reached the window)");
    }

    void TryRoutes() {
        namespace k = vk;
        // Controls: what a kiosk user may do still arrives, so "never reached" means something.
        Try(
            "control: the letter A arrives", [this] { Key('A'); }, "k65,", true);
        Try(
            "control: a plain click arrives",
            [this] { Click(mouse::kEventLeftDown, mouse::kEventLeftUp); }, "m513,", true);
        Try(
            "Windows key (Start menu)", [this] { Key(k::kLWin, true); }, "k91,");
        Try(
            "Ctrl+Esc (Start menu)", [this] { Chord(k::kControl, k::kEscape); }, "k27,");
        Try(
            "Alt+Tab (switch programs)", [this] { Chord(k::kMenu, k::kTab); }, "k9,");
        Try(
            "Alt+Esc (switch programs)", [this] { Chord(k::kMenu, k::kEscape); }, "k27,");
        Try(
            "Alt+Space (window menu)", [this] { Chord(k::kMenu, k::kSpace); }, "k32,");
        Try(
            "Applications key (context menu)", [this] { Key(k::kApps, true); }, "k93,");
        Try(
            "Shift+F10 (context menu)", [this] { Chord(k::kShift, k::kF10); }, "k121,");
        Try(
            "F1 (help, which links out)", [this] { Key(k::kF1); }, "k112,");
        Try(
            "F10 (the browser's menu bar)", [this] { Key(k::kF10); }, "k121,");
        Try(
            "F11 (leave full screen)", [this] { Key(k::kF11); }, "k122,");
        Try(
            "PrintScreen", [this] { Key(k::kSnapshot); }, "44,");
        // Alone, Alt opens the menu bar on its release unless another key came between.
        Try(
            "Alt pressed alone (the browser's menu bar)", [this] { Key(k::kMenu); }, "k18,u18,");
        Try(
            "right click (context menu)",
            [this] { Click(mouse::kEventRightDown, mouse::kEventRightUp); }, "m516,");
        Try(
            "middle click (link in a new window)",
            [this] { Click(mouse::kEventMiddleDown, mouse::kEventMiddleUp); }, "m519,");
        Try(
            "Ctrl+click (link in a new window)",
            [this] { Click(mouse::kEventLeftDown, mouse::kEventLeftUp, k::kControl); }, "m513,");
        Try(
            "Shift+click (link in a new window)",
            [this] { Click(mouse::kEventLeftDown, mouse::kEventLeftUp, k::kShift); }, "m513,");
        Try(
            "F12 (the browser's developer tools)", [this] { Key(k::kF12); }, "k123,");
        Try(
            "Ctrl+Shift+I (developer tools)",
            [this] {
                sys_.windows.SendKey(k::kControl, false, false);
                Chord(k::kShift, 'I');
                sys_.windows.SendKey(k::kControl, true, false);
            },
            "k73,");
        Try(
            "Ctrl+Shift+Esc (Task Manager)",
            [this] {
                sys_.windows.SendKey(k::kControl, false, false);
                Chord(k::kShift, k::kEscape);
                sys_.windows.SendKey(k::kControl, true, false);
            },
            "k27,");
        Try(
            "Win+R (the Run box)",
            [this] {
                sys_.windows.SendKey(k::kLWin, false, true);
                Key('R');
                sys_.windows.SendKey(k::kLWin, true, true);
            },
            "k91,");
        Try(
            "Alt+F4 (close the browser)", [this] { Chord(k::kMenu, k::kF4); }, "k115,");
        Try(
            "Ctrl+O (the browser's Open box)", [this] { Chord(k::kControl, 'O'); }, "k79,");
        TryStarvedMainThread();
        TryShellRestart();
        CheckSystemPolicies();
        TryKill();
        for (const char* route : {"a frame's navigation (browses anywhere)",
                                  "a window a page opens (its own address bar)"}) {
            ++skipped_;
            std::printf("  %-8s %-48s %s\n", "n/a", route,
                        "(in the browser: Lumbrel's Wine tests drive it through the helper)");
        }
        ++skipped_;
        std::printf("  %-8s %-48s %s\n", "n/a", "Shift five times, NumLock held (hot keys)",
                    "(this Wine has no accessibility hot keys: proven on the sim)");
        ++skipped_;
        std::printf("  %-8s %-48s %s\n", "n/a", "Ctrl+Alt+Del",
                    "(cannot be sent; its screen's "
                    "entries are closed by the policies above)");
    }

    // Corvane's main thread waits for a window that does not answer (auto restart's hang
    // test, four seconds): keys go on being judged meanwhile.
    void TryStarvedMainThread() {
        auto hung = sys_.processes.StartProcess("\"" + Beside("corvane-kioskapp.exe") +
                                                "\" --title \"Hung app\"");
        TieToThisProgram(hung);
        // Found once it is shown: a window found as soon as it is made is shown (and takes the
        // focus) only after, and would take it from the sink in the middle of the route.
        WindowHandle window = WindowHandle::Null;
        PumpUntil([&] {
            window =
                sys_.windows.FindWindow(std::string("CorvaneKioskApp"), std::string("Hung app"));
            return window != WindowHandle::Null && sys_.windows.IsWindowVisible(window);
        });
        sys_.windows.PostMessage(window, platform::wm::kApp + 1, 0, 0);  // stops answering
        // It took the focus when it showed its window: the keys are to go to the sink again.
        sys_.windows.SetForegroundWindow(sinkWindow_);
        SetFocus(Hwnd(sinkWindow_));
        PumpUntil([this] { return GetForegroundWindow() == Hwnd(sinkWindow_); });
        const bool busy =
            hung && PumpUntil([this] {
                return !sys_.windows.SendMessageTimeout(main_, platform::wm::kNull, 0, 0, 100);
            });
        if (!busy) {
            Report(false, "Windows key while Corvane's main thread is busy",
                   "(its main thread never was busy: nothing can be told)");
        } else {
            const std::optional<std::string> seen = Record([this] { Key(vk::kLWin, true); });
            const bool stopped = seen && seen->find("k91,") == std::string::npos;
            Report(stopped, "Windows key while Corvane's main thread is busy",
                   stopped
                       ? "(never reached the window)"
                       : "(reached the window: " + seen.value_or("nothing could be told") + ")");
        }
        if (hung && !hung->WaitForExit(20000)) {  // the hang test ends it
            hung->Terminate(0);
        }
    }

    // The shell's taskbar made again, shown: user mode hides the new one.
    void TryShellRestart() {
        const WindowHandle old = Taskbar();
        sys_.processes.TerminateProcessById(sys_.windows.GetWindowProcessId(old), 0);
        PumpUntil([&] { return !sys_.windows.IsWindow(old); });
        shell_ = sys_.processes.StartProcess("\"" + Beside("corvane-fakeshell.exe") + "\"");
        if (!hadShell_) {
            TieToThisProgram(shell_);  // a run's own shell outlives this program
        }
        const bool made = shell_ && PumpUntil([this] { return Taskbar() != WindowHandle::Null; });
        const bool hidden =
            made && PumpUntil([this] { return !sys_.windows.IsWindowVisible(Taskbar()); });
        Report(hidden, "the shell restarted with a new taskbar",
               hidden ? "(hidden again)" : "(the new taskbar stayed)");
        // The stand-in makes a second monitor's taskbar too, as the shell does on such a machine.
        const auto secondary = [this] {
            return sys_.windows.FindWindow(std::string("Shell_SecondaryTrayWnd"), std::nullopt);
        };
        const bool secondHidden =
            made && PumpUntil([&] { return secondary() != WindowHandle::Null; }) &&
            PumpUntil([&] { return !sys_.windows.IsWindowVisible(secondary()); });
        Report(secondHidden, "a second monitor's taskbar (after the restart)",
               secondHidden ? "(hidden)" : "(shown)");
    }

    // User mode ended from outside, as any program of the session could: back and locked
    // (its window again, the taskbar hidden) within two seconds, or open.
    void TryKill() {
        const uint64_t killedAt = sys_.processes.TickCount();
        kiosk_->Terminate(1);
        kiosk_->WaitForExit(5000);
        WindowHandle back = WindowHandle::Null;
        const bool returned =
            PumpUntil([&] {
                back = sys_.windows.FindWindow(std::string("#32770"), std::string("Corvane"));
                return (back != WindowHandle::Null &&
                        sys_.windows.GetWindowProcessId(back) != kiosk_->Id() &&
                        !sys_.windows.IsWindowVisible(Taskbar())) ||
                       sys_.processes.TickCount() - killedAt > 4000;
            }) &&
            back != WindowHandle::Null && sys_.windows.GetWindowProcessId(back) != kiosk_->Id();
        const uint64_t elapsed = sys_.processes.TickCount() - killedAt;
        const bool blocked = returned && elapsed <= 2000;
        Report(blocked, "user mode ended from outside (killed)",
               returned ? "(back and locked " + std::to_string(elapsed) + " ms after the kill)"
                        : "(nothing brought it back)");
    }

    void CheckSystemPolicies() {
        for (const char* name :
             {"DisableTaskMgr", "DisableLockWorkstation", "DisableChangePassword"}) {
            const auto value = corvane::ReadDWordAt(sys_.registry, platform::Hive::CurrentUser,
                                                    corvane::kSystemPolicyKey, name);
            Report(value == 1u, std::string("Ctrl+Alt+Del screen: ") + name,
                   value == 1u ? "(policy value 1)" : "(not set: the screen offers it)");
        }
        const auto noLogoff = corvane::ReadDWordAt(sys_.registry, platform::Hive::CurrentUser,
                                                   corvane::kExplorerPolicyKey, "NoLogoff");
        Report(noLogoff == 1u, "Ctrl+Alt+Del screen: NoLogoff",
               noLogoff == 1u ? "(policy value 1)" : "(not set: the screen offers it)");
    }

    void Finish() {
        // /q only to a user mode that runs (the first, or the one its guard brought back):
        // alone it would open the configuration page.
        const bool running = sys_.windows.FindWindow(std::string("#32770"),
                                                     std::string("Corvane")) != WindowHandle::Null;
        if (kiosk_ && running) {
            auto quit = sys_.processes.StartProcess("\"" + corvane_ + "\" /q");
            TieToThisProgram(quit);
            if (quit) {
                quit->WaitForExit(20000);
            }
        }
        if (kiosk_) {
            if (!kiosk_->WaitForExit(20000)) {
                kiosk_->Terminate(1);
            }
            // The exit button is not pressed: the policies stay; take them away for the next.
            corvane::DeletePolicyValues(sys_.registry);
        }
        // The run's own shell was replaced by a stand-in of this program's: that one stays.
        if (shell_ && !hadShell_) {
            shell_->Terminate(0);
            shell_->WaitForExit(5000);
        }
        if (sinkWindow_ != WindowHandle::Null) {
            sys_.windows.DestroyWindow(sinkWindow_);
        }
    }

    std::string corvane_;
    bool defaults_;
    platform::win32::Win32System system_;
    platform::System& sys_ = system_.Get();
    Sink sink_;
    WindowHandle sinkWindow_ = WindowHandle::Null;
    WindowHandle main_ = WindowHandle::Null;
    std::unique_ptr<platform::Process> shell_;
    bool hadShell_ = false;
    std::unique_ptr<platform::Process> kiosk_;
    platform::win32::UniqueHandle job_;  // what is tied to this program ends when it is closed
    int blocked_ = 0;
    int open_ = 0;
    int skipped_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    platform::win32::Win32System probe;
    int next = 1;
    const bool defaults = argc > next && std::string(argv[next]) == "--defaults";
    next += defaults ? 1 : 0;
    std::string corvane = argc > next ? argv[next] : probe.Get().processes.ModulePath();
    if (argc <= next) {
        corvane = corvane.substr(0, corvane.find_last_of('\\') + 1) + "Corvane.exe";
    }
    std::puts(defaults ? "The breakout matrix: each way out of the kiosk this Wine can produce, "
                         "tried against user mode with its switches on and every value as it "
                         "comes (no lockdown)."
                       : "The breakout matrix: each way out of the kiosk this Wine can produce, "
                         "tried against user mode with the recommended lockdown.");
    return Breakout(corvane, defaults).Run();
}
