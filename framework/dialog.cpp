#include "framework/dialog.h"

#include "platform/constants.h"

namespace framework {

namespace wm = platform::wm;

Dialog::~Dialog() {
    if (window_ != platform::WindowHandle::Null) {
        // Derived handlers are gone by now: nothing of theirs may run during the destruction.
        const platform::WindowHandle window = window_;
        window_ = platform::WindowHandle::Null;
        system.windows.DestroyWindow(window);
    }
}

std::intptr_t Dialog::DoModal(platform::WindowHandle owner) {
    const bool ownerWasEnabled =
        owner != platform::WindowHandle::Null && !system.windows.EnableWindow(owner, false);
    modal_ = true;
    ended_ = false;
    result_ = -1;
    window_ = system.windows.CreateDialog(templateId_, owner, this);
    if (window_ == platform::WindowHandle::Null) {
        modal_ = false;
        if (ownerWasEnabled) {
            system.windows.EnableWindow(owner, true);
        }
        return -1;
    }
    if (!ended_ && !system.windows.IsWindowVisible(window_)) {
        system.windows.ShowWindow(window_, platform::sw::kShowNormal);
    }
    while (!ended_) {
        platform::Message message;
        const int got = system.windows.GetMessage(message);
        if (got <= 0) {
            if (got == 0) {
                // The loop outside must see the quit message too.
                app.quitCode = static_cast<int>(message.wParam);
                system.windows.PostQuitMessage(static_cast<int>(message.wParam));
            }
            result_ = platform::id::kAbort;
            break;
        }
        if (!PreTranslateMessage(message) && !app.PreTranslateMessage(message)) {
            system.windows.TranslateMessage(message);
            system.windows.DispatchMessage(message);
        }
    }
    if (ownerWasEnabled) {
        system.windows.EnableWindow(owner, true);
    }
    DestroyWindow();
    modal_ = false;
    return result_;
}

bool Dialog::Create(platform::WindowHandle owner) {
    modal_ = false;
    window_ = system.windows.CreateDialog(templateId_, owner, this);
    return window_ != platform::WindowHandle::Null;
}

void Dialog::EndDialog(int result) {
    result_ = result;
    if (modal_) {
        ended_ = true;
        // The loop may be waiting for a message: give it one to look at its end.
        system.windows.PostMessage(window_, platform::wm::kNull, 0, 0);
    } else if (window_ != platform::WindowHandle::Null) {
        system.windows.ShowWindow(window_, platform::sw::kHide);
    }
}

bool Dialog::DestroyWindow() {
    if (window_ == platform::WindowHandle::Null) {
        return false;
    }
    return system.windows.DestroyWindow(window_);
}

bool Dialog::PreTranslateMessage(platform::Message& message) {
    // Only keyboard input goes through the dialog manager (tab, enter, escape).
    const bool keyboard = message.message >= wm::kKeyFirst && message.message <= wm::kKeyLast;
    return keyboard && window_ != platform::WindowHandle::Null &&
           system.windows.IsDialogMessage(window_, message);
}

bool Dialog::UpdateData(bool saveAndValidate) {
    return DoDataExchange(saveAndValidate);
}

void Dialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(platform::id::kOk);
    }
}

void Dialog::OnCancel() {
    EndDialog(platform::id::kCancel);
}

std::optional<std::intptr_t> Dialog::OnSysCommand(uint32_t, std::intptr_t) {
    return std::nullopt;
}

bool Dialog::OnQueryEndSession() {
    return system.windows.DefaultHandling(window_, wm::kQueryEndSession, 0, 0) != 0;
}

std::optional<std::intptr_t> Dialog::OnMessage(uint32_t, std::uintptr_t, std::intptr_t) {
    return std::nullopt;
}

std::optional<std::intptr_t> Dialog::OnWindowMessage(platform::WindowHandle window,
                                                     uint32_t message, std::uintptr_t wParam,
                                                     std::intptr_t lParam) {
    switch (message) {
        case wm::kInitDialog:
            window_ = window;
            return OnInitDialog() ? 1 : 0;
        case wm::kCommand:
            if ((wParam & 0xFFFF) == platform::id::kOk) {
                OnOK();
                return 0;
            }
            if ((wParam & 0xFFFF) == platform::id::kCancel) {
                OnCancel();
                return 0;
            }
            return OnMessage(message, wParam, lParam);
        case wm::kSysCommand:
            return OnSysCommand(static_cast<uint32_t>(wParam), lParam);
        case wm::kWindowPosChanging:
            OnWindowPosChanging(*reinterpret_cast<platform::WindowPos*>(lParam));
            return std::nullopt;
        case wm::kQueryEndSession:
            return OnQueryEndSession() ? 1 : 0;
        case wm::kDestroy:
            OnDestroy();
            window_ = platform::WindowHandle::Null;
            return 0;
        case wm::kTimer:
            OnTimer(wParam);
            return 0;
        default:
            return OnMessage(message, wParam, lParam);
    }
}

}  // namespace framework
