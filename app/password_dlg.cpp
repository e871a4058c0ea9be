#include "app/password_dlg.h"
#include "framework/page_accelerators.h"

#include "app/password.h"
#include "app/res/resource.h"
#include "platform/constants.h"

namespace corvane {

CPasswordDlg::CPasswordDlg(framework::Application& app)
    : HtmlDialog(app, IDD_PASSWORD, IDR_HTML_PASSWORD) {
    MapClick("ButtonOK", [this] { OnOK(); });
    MapClick("ButtonCancel", [this] { OnCancel(); });
}

bool CPasswordDlg::OnInitDialog() {
    HtmlDialog::OnInitDialog();
    // Above every window that is not itself always on top.
    system.windows.SetWindowPos(Handle(), platform::kTopMost, 0, 0, 0, 0,
                                platform::swp::kNoMove | platform::swp::kNoSize);
    return true;
}

void CPasswordDlg::OnDocumentComplete(const std::string& url, bool topLevel) {
    if (platform::HtmlDocument* page = Document()) {
        system.windows.SetWindowText(Handle(), page->Title());
    }
    HtmlDialog::OnDocumentComplete(url, topLevel);
}

bool CPasswordDlg::DoDataExchange(bool save) {
    return Exchange(*this, save).Text("password", enteredPassword).Ok();
}

bool CPasswordDlg::OnTranslateAccelerator(const platform::Message& message) {
    return framework::IsSwallowedAccelerator(system, message, false);
}

CPasswordSetDlg::CPasswordSetDlg(framework::Application& app)
    : HtmlDialog(app, IDD_PASSWORD_SET, IDR_HTML_PASSWORD_SET) {
    MapClick("ButtonOK", [this] { OnOK(); });
    MapClick("ButtonCancel", [this] { OnCancel(); });
}

void CPasswordSetDlg::OnDocumentComplete(const std::string& url, bool topLevel) {
    if (platform::HtmlDocument* page = Document()) {
        system.windows.SetWindowText(Handle(), page->Title());
    }
    HtmlDialog::OnDocumentComplete(url, topLevel);
}

bool CPasswordSetDlg::DoDataExchange(bool save) {
    return Exchange(*this, save).Text("password", newPassword).Text("verify", verifyPassword).Ok();
}

bool CPasswordSetDlg::OnTranslateAccelerator(const platform::Message& message) {
    return framework::IsSwallowedAccelerator(system, message, false);
}

void CPasswordSetDlg::OnOK() {
    UpdateData(true);
    const auto say = [&](uint32_t id, uint32_t type) {
        system.windows.MessageBox(Handle(), system.resources.LoadString(id), app.name, type);
    };
    if (newPassword != verifyPassword) {
        say(IDS_PASSWORD_MISMATCH, platform::mb::kOk);
        return;
    }
    if (WritePassword(system, newPassword) != 0) {
        // Not stored: say why, and stay open.
        say(IDS_REGISTRY_OPEN_FAILED, platform::mb::kOk | platform::mb::kIconStop);
        return;
    }
    say(IDS_PASSWORD_SET, platform::mb::kOk | platform::mb::kIconInformation);
    EndDialog(platform::id::kOk);
}

}  // namespace corvane
