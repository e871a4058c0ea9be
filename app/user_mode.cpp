// How the dialog behaves as the hidden kiosk controller of user mode.
#include "app/accessibility_keys.h"
#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/password.h"
#include "app/password_dlg.h"
#include "app/res/resource.h"
#include "common/command_ids.h"
#include "common/event_log.h"
#include "common/managed_settings.h"
#include "common/root_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "session/session_timers.h"

namespace corvane {

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

void CCorvaneDlg::EnterUserMode() {
    showAllowed = 0;
    managedSnapshot = ManagedSnapshot(system.registry);
    EventLog log(system);
    log.Note("user mode started");
    if (enablePolicies != 0) {
        log.Note(ApplyPolicies() == 1 ? "the policies were written for this user"
                                      : "the browser's policy key could not be written");
    }
    ApplyAutoLogon();
    log.Note(enableAutoLogon != 0 ? "the automatic logon was written"
                                  : "the automatic logon was removed");
    if (enableHideGUI != 0 && hideGui.disableAccessibilityKeys != 0) {
        DisableAccessibilityHotKeys(system, log);
    }
    AddTrayIcon();
    StartSessionServices();
}

void CCorvaneDlg::AddTrayIcon() {
    platform::NotifyIconData icon;
    icon.window = Handle();
    icon.id = TRAY_ICON_ID;
    icon.flags = platform::nif::kMessage | platform::nif::kIcon | platform::nif::kTip;
    icon.callbackMessage = WM_TRAY_NOTIFY;
    icon.iconId = mainIcon;
    system.windows.NotifyIcon(platform::nim::kAdd, icon);
}

// A restarted shell has a new, shown taskbar and none of the old icons.
void CCorvaneDlg::OnShellRestarted() {
    AddTrayIcon();
    ShellExtensions* extensions = theApp_.Extensions();
    const bool hidden = extensions != nullptr && extensions->HideShellAgain() != 0;
    EventLog(system).Note(hidden ? "the shell started again: its windows were hidden again"
                                 : "the shell started again: the icon was added again");
}

void CCorvaneDlg::RemoveTrayIcon() {
    platform::NotifyIconData icon;
    icon.window = Handle();
    icon.id = TRAY_ICON_ID;
    system.windows.NotifyIcon(platform::nim::kDelete, icon);
}

void CCorvaneDlg::OnTrayNotify(std::intptr_t mouseMessage) {
    if (mouseMessage == platform::mouse::kLButtonDblClk) {
        UnlockDialog();
    }
}

bool CCorvaneDlg::UnlockDialog() {
    if (noPassword == 1) {
        showAllowed = 1;
        system.windows.ShowWindow(Handle(), platform::sw::kShow);
        return false;
    }
    if (guesses.WaitLeft(system.processes.TickCount()) > 0) {
        MessageBox(IDS_PASSWORD_WAIT, platform::mb::kOk | platform::mb::kIconStop);
        return false;
    }
    CPasswordDlg password(app);
    if (password.DoModal() != platform::id::kOk) {
        return false;  // cancelled: no guess was made
    }
    if (!CheckPassword(system, password.enteredPassword)) {
        guesses.Failed(system.processes.TickCount());
        EventLog(system).Warn("a wrong password was entered at the unlock prompt (" +
                              std::to_string(guesses.Failures()) + " in a row)");
        return false;  // the page stays hidden
    }
    guesses.Succeeded();
    showAllowed = 1;
    system.windows.ShowWindow(Handle(), platform::sw::kShow);
    return true;
}

void CCorvaneDlg::OnExitUserMode() {
    if (theApp_.userMode == 0) {
        return;
    }
    RemoveTrayIcon();
    RemovePolicies();
    system.windows.PostQuitMessage(1);
}

// The Run entry changes at once, so the stored switch does too: a Cancel afterwards must not
// leave the page showing, at its next start, the opposite of what is in place.
void CCorvaneDlg::OnUserModeLogon() {
    const int wanted = userModeLogon == 0 ? 1 : 0;
    // Before the first save appPath is empty: the running program is the one to start.
    const std::string program = appPath.empty() ? system.processes.ModulePath() : appPath;
    if (SetLogonStart(system.registry, LogonCommand(program), wanted) == 0) {
        userModeLogon = wanted;
    } else if (wanted == 1) {
        userModeLogon = 0;  // not switched on
    }  // an entry that could not be deleted is still in place: the switch stays on
    platform::RegistryKeyPtr root;
    if (OpenForSaving(system.registry, kSettingsRoot, root) == 0) {
        SetDWordValue(*root, root_value::kUserModeLogon, userModeLogon != 0 ? 1u : 0u);
    }
    RenderToggleButtons();
}

std::string LogonCommand(const std::string& programPath) {
    // Unquoted, a path with blanks lets Windows try each prefix as a program first:
    // "C:\Program Files\..." would start a planted C:\Program.exe at every logon.
    const bool quote = programPath.find(' ') != std::string::npos && programPath.front() != '"';
    return (quote ? "\"" + programPath + "\"" : programPath) + " /user";
}

int SetLogonStart(platform::Registry& registry, const std::string& text, int on) {
    platform::RegistryKeyPtr run;
    if (registry.OpenKey(platform::Hive::LocalMachine, kRunKey, platform::reg::kReadWrite, run) !=
        0) {
        return 1;
    }
    const long status =
        on == 1 ? SetStringValue(*run, "Corvane", text) : run->DeleteValue("Corvane");
    return status == 0 ? 0 : 1;
}

bool CCorvaneDlg::PreTranslateMessage(platform::Message& message) {
    if (message.message == WM_APP_ACTIVITY) {
        OnUserActivity();  // and on: the activity is not consumed here
    }
    if (message.message == WM_APP_OVERRIDE && UnlockDialog()) {
        return true;
    }
    if (message.message == theApp_.handoverMessage && theApp_.handoverMessage != 0) {
        switch (message.wParam) {
            case ID_SWITCH_Q:
                RemoveTrayIcon();
                system.windows.PostQuitMessage(1);
                return true;
            case ID_SWITCH_KD:
            case ID_SWITCH_KE:
            case ID_SWITCH_S:
            case ID_SWITCH_H:
            case ID_SWITCH_E:
            case ID_SWITCH_D:
                return true;
            default:
                break;
        }
    }
    return HtmlDialog::PreTranslateMessage(message);
}

std::optional<std::intptr_t> CCorvaneDlg::OnMessage(uint32_t message, std::uintptr_t wParam,
                                                    std::intptr_t lParam) {
    if (message == WM_TRAY_NOTIFY) {
        OnTrayNotify(lParam);
        return 0;
    }
    if (message == theApp_.taskbarCreatedMessage && message != 0 && theApp_.userMode == 1) {
        OnShellRestarted();
        return 0;
    }
    if (message == platform::wm::kSettingChange && theApp_.userMode == 1) {
        OnSettingChange();
    }
    return HtmlDialog::OnMessage(message, wParam, lParam);
}

// Group Policy announces a refresh with a setting change ("Policy"), as other programs announce
// theirs: whichever it is, only a change of the organisation's values is put in place. The
// policy values are written again, the key and click rules and the shell's windows follow the
// new settings, and the session's counts are kept within new times.
void CCorvaneDlg::OnSettingChange() {
    std::string snapshot = ManagedSnapshot(system.registry);
    if (snapshot == managedSnapshot) {
        return;
    }
    ExchangeSettings(0);
    EventLog log(system);
    if (enablePolicies != 0) {
        ApplyPolicies();
    }
    ShellExtensions* extensions = theApp_.Extensions();
    const bool applied = extensions != nullptr && extensions->ApplySettingsAgain() != 0;
    if (timerId == 0) {
        StartSessionServices();  // switched on now
    } else {
        ShortenCounters(timers, counters);
    }
    if (applied) {
        managedSnapshot = std::move(snapshot);  // a failed one is tried again at the next change
        log.Note("the organisation's settings changed: user mode put them in place");
    } else {
        log.Warn(
            "the organisation's settings changed, but the extension library could not read "
            "them: its key and click rules and hidden windows stay as they were");
    }
}

void CCorvaneDlg::OnWindowPosChanging(platform::WindowPos& pos) {
    if (theApp_.userMode == 1 && showAllowed == 0) {
        pos.flags &= ~platform::swp::kShowWindow;
    }
}

bool CCorvaneDlg::OnQueryEndSession() {
    if (!Dialog::OnQueryEndSession()) {
        return false;
    }
    StopGuard();  // logoff ends user mode for good
    system.windows.PostQuitMessage(1);
    return true;
}

void CCorvaneDlg::OnDestroy() {
    if (timerId != 0) {
        system.windows.KillTimer(Handle(), timerId);
    }
    if (guardTimerId != 0) {
        system.windows.KillTimer(Handle(), guardTimerId);
    }
    timerWindow.DestroyWindow();
    RemoveTrayIcon();
}

}  // namespace corvane
