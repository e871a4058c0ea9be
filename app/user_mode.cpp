// How the dialog behaves as the hidden kiosk controller of user mode.
#include "app/command_ids.h"
#include "app/corvane_app.h"
#include "app/corvane_dlg.h"
#include "platform/constants.h"

namespace corvane {

void CCorvaneDlg::EnterUserMode() {
    showAllowed = 0;
}

bool CCorvaneDlg::PreTranslateMessage(platform::Message& message) {
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
