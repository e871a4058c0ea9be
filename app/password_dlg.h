// The two small pages that ask for the password and set it.
#pragma once

#include <string>

#include "framework/html_dialog.h"

namespace corvane {

class CPasswordDlg final : public framework::HtmlDialog {
  public:
    explicit CPasswordDlg(framework::Application& app);
    std::string enteredPassword;

  protected:
    bool OnInitDialog() override;
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    bool DoDataExchange(bool save) override;
    bool OnTranslateAccelerator(const platform::Message& message) override;
};

class CPasswordSetDlg final : public framework::HtmlDialog {
  public:
    explicit CPasswordSetDlg(framework::Application& app);
    std::string newPassword;
    std::string verifyPassword;

  protected:
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    bool DoDataExchange(bool save) override;
    bool OnTranslateAccelerator(const platform::Message& message) override;
    // Every way to OK (the page's button, Enter, an IDOK command) stores the password first:
    // the dialog ends with OK only when it was stored.
    void OnOK() override;
};

}  // namespace corvane
