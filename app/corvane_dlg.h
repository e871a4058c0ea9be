// The main program's one window: the configuration page in administrator mode, the hidden kiosk
// controller in user mode. Each feature adds its fields and exchange member here.
#pragma once

#include <cstdint>
#include <string>

#include "ext/hide_gui_values.h"
#include "framework/dialog.h"

namespace corvane {

class CCorvaneApp;

class CCorvaneDlg : public framework::Dialog {
  public:
    explicit CCorvaneDlg(CCorvaneApp& app);
    ~CCorvaneDlg() override;

    bool PreTranslateMessage(platform::Message& message) override;

    // Loads (0) or saves (1) the root values, then each feature's sub-key.
    int ExchangeSettings(int save);
    int ExchangeHideGUISettings(int save);

    // The page's buttons.
    void OnApply();
    void OnOK() override;
    void OnCancel() override;

    // Fields of the root values and of the dialog itself.
    uint32_t mainIcon;
    std::string appPath;
    std::string guiPage;
    int settingsChanged = 0;
    int noPassword = 1;
    int userModeLogon = 0;
    int showAllowed = 1;
    int restrictionsRemoved = 0;
    int enablePolicies = 0;
    int enableHideGUI = 0;
    int enableAutoLogon = 0;
    int enableAutoRestart = 0;
    int enableTimers = 0;
    int enableLumbrel = 0;
    std::string versionText;
    std::string storedPassword;
    std::uintptr_t timerId = 0;
    HideGuiSettings hideGui;  // the Hide GUI tab, one field per checkbox

  protected:
    bool OnInitDialog() override;
    std::optional<std::intptr_t> OnSysCommand(uint32_t command, std::intptr_t lParam) override;
    void OnWindowPosChanging(platform::WindowPos& pos) override;
    bool OnQueryEndSession() override;
    void OnDestroy() override;

  private:
    void EnterUserMode();
    int MessageBox(uint32_t stringId, uint32_t type);
    // The Yes/No/Cancel question of OK and Cancel; false when the dialog is to stay.
    bool AskBeforeClosing(uint32_t stringId, bool clearChangedOnYes);

    CCorvaneApp& theApp_;
};

// "Windows Version: ...\nInternet Explorer Version: ..." from the registry; either part empty
// when its value cannot be read.
std::string ReadWindowsVersion(platform::Registry& registry);
std::string ReadBrowserVersion(platform::Registry& registry);

}  // namespace corvane
