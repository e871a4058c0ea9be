#include "app/corvane_dlg.h"

#include "app/about_dlg.h"
#include "app/corvane_app.h"
#include "app/res/resource.h"
#include "platform/constants.h"

namespace corvane {

namespace mb = platform::mb;

CCorvaneDlg::CCorvaneDlg(CCorvaneApp& app)
    : Dialog(app, IDD_CORVANE_DIALOG), mainIcon(IDR_MAINFRAME), theApp_(app) {}

CCorvaneDlg::~CCorvaneDlg() {
    // In user mode the window still exists: take it down while this object's handlers live.
    DestroyWindow();
}

int CCorvaneDlg::MessageBox(uint32_t stringId, uint32_t type) {
    return theApp_.MessageBox(stringId, type, Handle());
}

bool CCorvaneDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    const std::string aboutEntry = system.resources.LoadString(IDS_ABOUTBOX);
    if (!aboutEntry.empty()) {
        system.windows.AppendSystemMenuItem(Handle(), 0x10, aboutEntry);
    }
    system.windows.SetWindowIcon(Handle(), mainIcon);

    ExchangeSettings(0);

    if (!guiPage.empty()) {
        system.windows.SetWindowText(Handle(), "Corvane (E)");
    }
    versionText = "Windows Version:    " + ReadWindowsVersion(system.registry) +
                  "\nInternet Explorer Version:    " + ReadBrowserVersion(system.registry);

    if (theApp_.userMode == 1) {
        EnterUserMode();
    }
    return true;
}

std::optional<std::intptr_t> CCorvaneDlg::OnSysCommand(uint32_t command, std::intptr_t) {
    if ((command & 0xFFF0) != 0x10) {
        return std::nullopt;
    }
    CAboutDlg about(app);
    about.DoModal(Handle());
    return 0;
}

void CCorvaneDlg::OnApply() {
    settingsChanged = 0;
    restrictionsRemoved = 0;
    ExchangeSettings(1);
}

bool CCorvaneDlg::AskBeforeClosing(uint32_t stringId, bool clearChangedOnYes) {
    switch (MessageBox(stringId, mb::kYesNoCancel | mb::kIconStop)) {
        case platform::id::kYes:
            if (clearChangedOnYes) {
                settingsChanged = 0;
            }
            ExchangeSettings(1);
            return true;
        case platform::id::kNo:
            return true;
        default:
            return false;
    }
}

void CCorvaneDlg::OnOK() {
    if (restrictionsRemoved == 1) {
        if (!AskBeforeClosing(IDS_RESTRICTIONS_REMOVED, false)) {
            return;
        }
    } else {
        ExchangeSettings(1);
    }
    Dialog::OnOK();
}

void CCorvaneDlg::OnCancel() {
    if (restrictionsRemoved == 1) {
        if (!AskBeforeClosing(IDS_RESTRICTIONS_REMOVED, true)) {
            return;
        }
    } else if (settingsChanged != 0 && !AskBeforeClosing(IDS_SETTINGS_CHANGED, false)) {
        return;
    }
    Dialog::OnCancel();
}

}  // namespace corvane
