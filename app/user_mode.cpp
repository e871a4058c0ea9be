// How the dialog behaves as the hidden kiosk controller of user mode.
#include "app/command_ids.h"
#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "app/password_dlg.h"
#include "app/settings_store.h"
#include "platform/constants.h"

namespace corvane {

void CCorvaneDlg::EnterUserMode() {
    showAllowed = 0;
}

bool CCorvaneDlg::UnlockDialog() {
    if (noPassword == 1) {
        showAllowed = 1;
        system.windows.ShowWindow(Handle(), platform::sw::kShow);
        return false;
    }
    CPasswordDlg password(app);
    if (password.DoModal() != platform::id::kOk || password.enteredPassword != storedPassword) {
        return false;  // the page stays hidden, without a word
    }
    showAllowed = 1;
    system.windows.ShowWindow(Handle(), platform::sw::kShow);
    return true;
}

void CCorvaneDlg::OnExitUserMode() {
    if (theApp_.userMode == 0) {
        return;
    }
    system.windows.PostQuitMessage(1);
}

void CCorvaneDlg::OnUserModeLogon() {
    userModeLogon = userModeLogon == 0 ? 1 : 0;
    if (SetLogonStart(system.registry, appPath + " /user", userModeLogon) != 0) {
        userModeLogon = 0;
    }
    RenderToggleButtons();
}

int SetLogonStart(platform::Registry& registry, const std::string& text, int on) {
    platform::RegistryKeyPtr run;
    if (registry.OpenKey(platform::Hive::LocalMachine,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         platform::reg::kReadWrite, run) != 0) {
        return 1;
    }
    const long status =
        on == 1 ? SetStringValue(*run, "Corvane", text) : run->DeleteValue("Corvane");
    return status == 0 ? 0 : 1;
}

bool CCorvaneDlg::PreTranslateMessage(platform::Message& message) {
    if (message.message == WM_APP_OVERRIDE && UnlockDialog()) {
        return true;
    }
    if (message.message == theApp_.handoverMessage && theApp_.handoverMessage != 0) {
        switch (message.wParam) {
            case ID_SWITCH_Q:
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
    return Dialog::PreTranslateMessage(message);
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
    system.windows.PostQuitMessage(1);
    return true;
}

void CCorvaneDlg::OnDestroy() {
    if (timerId != 0) {
        system.windows.KillTimer(Handle(), timerId);
    }
}

}  // namespace corvane
