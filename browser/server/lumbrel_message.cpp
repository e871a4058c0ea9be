#include "browser/server/lumbrel_message.h"

#include "browser/server/resource.h"
#include "browser/server/server_context.h"
#include "platform/win32/navigate.h"
#include "platform/win32/wide.h"

namespace lumbrel::server {

using platform::win32::ComPtr;
using platform::win32::Wide;

namespace {

void SetItemText(HWND window, int id, const std::string& text) {
    if (!text.empty()) {
        SetDlgItemTextW(window, id, Wide(text).c_str());
    }
}

void Place(HWND control, const ControlRect& rect) {
    SetWindowPos(control, nullptr, rect.x, rect.y, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CLumbrelMessage::CLumbrelMessage(HINSTANCE module) : module_(module) {}

CLumbrelMessage::~CLumbrelMessage() = default;

int CLumbrelMessage::DoModal(HWND owner) {
    const INT_PTR result = DialogBoxParamW(module_, MAKEINTRESOURCEW(IDD_LUMBRELMESSAGE), owner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    browser_.Close();
    return result == kMessageAccepted || result == kMessageDeclined ? static_cast<int>(result)
                                                                    : kMessageNotCreated;
}

INT_PTR CALLBACK CLumbrelMessage::DialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CLumbrelMessage*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        try {
            self->OnInitDialog(window);
        } catch (...) {
            // A page that cannot be shown still leaves the buttons to answer with.
        }
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == 0) {
        const int id = LOWORD(wParam);
        if (id == kMessageAccepted || id == kMessageDeclined) {
            EndDialog(window, id);
            return TRUE;
        }
    }
    return FALSE;
}

void CLumbrelMessage::OnInitDialog(HWND window) {
    if (!fields.title.empty()) {
        SetWindowTextW(window, Wide(fields.title).c_str());
    }
    SetItemText(window, IDOK, fields.acceptText);
    SetItemText(window, IDCANCEL, fields.declineText);
    SetItemText(window, IDC_MESSAGE_TEXT, fields.bodyText);
    if (fields.TakesRequestedSize()) {
        SetWindowPos(window, nullptr, 0, 0, fields.width, fields.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOut(window);
    if (fields.moveable == 0) {
        DeleteMenu(GetSystemMenu(window, FALSE), SC_MOVE, MF_BYCOMMAND);
    }
    if (fields.showAccept == 0) {
        ShowWindow(GetDlgItem(window, IDOK), SW_HIDE);
    }
    HostBrowser(window);
}

void CLumbrelMessage::LayOut(HWND window) {
    RECT client{};
    RECT button{};
    GetClientRect(window, &client);
    GetWindowRect(GetDlgItem(window, IDOK), &button);
    const MessageLayout layout =
        LayOutMessage(client.right, client.bottom, button.right - button.left,
                      button.bottom - button.top, fields.showAccept != 0);
    Place(GetDlgItem(window, IDOK), layout.accept);
    Place(GetDlgItem(window, IDCANCEL), layout.decline);
    Place(GetDlgItem(window, IDC_MESSAGE_BROWSER), layout.browser);
    Place(GetDlgItem(window, IDC_MESSAGE_TEXT), layout.text);
}

// The control goes where the template's placeholder is, and navigates even to an empty
// address, as the page asks.
void CLumbrelMessage::HostBrowser(HWND window) {
    HWND placeholder = GetDlgItem(window, IDC_MESSAGE_BROWSER);
    RECT position{};
    GetWindowRect(placeholder, &position);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&position), 2);
    if (!browser_.Create(window, position, &Server().objects)) {
        return;
    }
    ShowWindow(placeholder, SW_HIDE);
    platform::win32::NavigateTo(browser_.Browser(), Wide(fields.url));
}

int LumbrelMessageDialogs::Show(const MessageRequest& request) {
    CLumbrelMessage dialog(module_);
    dialog.fields = request;
    return dialog.DoModal(GetActiveWindow());
}

}  // namespace lumbrel::server
