#include "app/timer_dlg.h"

#include "app/res/resource.h"
#include "framework/page_accelerators.h"
#include "platform/constants.h"
#include "session/timer_window_layout.h"

namespace corvane {

CTimerDlg::CTimerDlg(framework::Application& app) : HtmlDialog(app, IDD_TIMER, IDR_HTML_TIMER) {
    MapClick("ButtonOK", [this] { OnOK(); });
    MapClick("ButtonCancel", [this] { OnCancel(); });
}

bool CTimerDlg::OnInitDialog() {
    HtmlDialog::OnInitDialog();
    const platform::Rect current =
        system.windows.GetWindowRect(Handle()).value_or(platform::Rect{});
    const platform::Rect place =
        PlaceTimerWindow(system.windows.GetWorkArea(), current.Width(), current.Height(),
                         {windowLeft, windowTop, windowWidth, windowHeight});
    windowLeft = place.left;
    windowTop = place.top;
    windowWidth = place.Width();
    windowHeight = place.Height();
    system.windows.SetWindowPos(Handle(), platform::kTopMost, windowLeft, windowTop, windowWidth,
                                windowHeight, platform::swp::kNoActivate);
    if (!pageUrl.empty() && Host() != nullptr) {
        Host()->Navigate(pageUrl);
    }
    return true;
}

bool CTimerDlg::DoDataExchange(bool save) {
    return Exchange(*this, save)
        .Text("activity", activityText)
        .Text("inactivity", inactivityText)
        .Ok();
}

bool CTimerDlg::OnTranslateAccelerator(const platform::Message& message) {
    return framework::IsSwallowedAccelerator(system, message, false);
}

void CTimerDlg::ShowActivity(int seconds) {
    Show(activityText, seconds);
}

void CTimerDlg::ShowInactivity(int seconds) {
    Show(inactivityText, seconds);
}

// Both inputs are written each time: one whose timer never showed becomes empty.
void CTimerDlg::Show(std::string& field, int seconds) {
    if (shown == 0) {
        system.windows.ShowWindow(Handle(), platform::sw::kShow);
        shown = 1;
    }
    field = TimerText(seconds);
    UpdateData(false);
}

CMessageDlg::CMessageDlg(framework::Application& app)
    : HtmlDialog(app, IDD_MESSAGE, IDR_HTML_MESSAGE) {
    MapClick("ButtonOK", [this] { OnOK(); });
    MapClick("ButtonCancel", [this] { OnCancel(); });
}

bool CMessageDlg::OnInitDialog() {
    HtmlDialog::OnInitDialog();
    const platform::Rect current =
        system.windows.GetWindowRect(Handle()).value_or(platform::Rect{});
    if (windowHeight == 0) {
        windowHeight = current.Height();
    }
    if (windowWidth == 0) {
        windowWidth = current.Width();
    }
    system.windows.SetWindowPos(Handle(), platform::kTopMost, 0, 0, windowWidth, windowHeight,
                                platform::swp::kNoMove | platform::swp::kNoActivate);
    if (Host() != nullptr) {
        Host()->Navigate(pageUrl);  // an empty address too, as the page asks
    }
    return true;
}

// The caption follows the title of each page that loads.
void CMessageDlg::OnDocumentComplete(const std::string& url, bool topLevel) {
    if (platform::HtmlDocument* page = Document(); page != nullptr && topLevel) {
        system.windows.SetWindowText(Handle(), page->Title());
    }
    HtmlDialog::OnDocumentComplete(url, topLevel);
}

bool CMessageDlg::OnTranslateAccelerator(const platform::Message& message) {
    return framework::IsSwallowedAccelerator(system, message, false);
}

}  // namespace corvane
