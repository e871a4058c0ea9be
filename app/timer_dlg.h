// The session timers' two windows: the small always-on-top timer window with the remaining
// times, and the modal page that warns, ends a session or asks whether anyone is there.
#pragma once

#include <string>

#include "framework/html_dialog.h"

namespace corvane {

class CTimerDlg final : public framework::HtmlDialog {
  public:
    explicit CTimerDlg(framework::Application& app);

    // Shows the window the first time, then writes the time into its field.
    void ShowActivity(int seconds);
    void ShowInactivity(int seconds);

    int shown = 0;
    std::string activityText;
    std::string inactivityText;
    std::string pageUrl;  // empty: the built-in page
    int windowTop = 0;    // 0: automatic
    int windowLeft = 0;
    int windowWidth = 0;  // 0: the template's
    int windowHeight = 0;

  protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;
    bool OnTranslateAccelerator(const platform::Message& message) override;

  private:
    void Show(std::string& field, int seconds);
};

class CMessageDlg final : public framework::HtmlDialog {
  public:
    explicit CMessageDlg(framework::Application& app);

    std::string pageUrl;
    int windowHeight = 0;  // 0: the template's
    int windowWidth = 0;

  protected:
    bool OnInitDialog() override;
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    bool OnTranslateAccelerator(const platform::Message& message) override;
};

}  // namespace corvane
