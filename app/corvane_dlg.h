// The main program's one window: the configuration page in administrator mode, the hidden kiosk
// controller in user mode. Each feature adds its fields and exchange member here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/guess_throttle.h"
#include "app/timer_dlg.h"
#include "common/hide_gui_values.h"
#include "common/lumbrel_values.h"
#include "framework/html_dialog.h"
#include "policies/policy_values.h"
#include "session/auto_restart.h"
#include "session/kiosk_guard.h"
#include "session/session_timers.h"
#include "session/session_values.h"

namespace corvane {

class CCorvaneApp;

class CCorvaneDlg : public framework::HtmlDialog {
  public:
    explicit CCorvaneDlg(CCorvaneApp& app);
    ~CCorvaneDlg() override;

    bool PreTranslateMessage(platform::Message& message) override;

    // Loads (0) or saves (1) the root values, then each feature's sub-key.
    int ExchangeSettings(int save);
    int ExchangePolicySettings(int save);
    int ExchangeHideGUISettings(int save);
    int ExchangeLumbrelSettings(int save);
    void WarnOfMissingRuleFiles();
    int ExchangeAutoLogonSettings(int save);
    int ExchangeAutoRestartSettings(int save);
    int ExchangeTimerSettings(int save);
    // Packs the drive boxes into the mask (non-zero) or unpacks the mask into them (0).
    void ExchangeDriveMask(int pack);

    // The policy values of the current user: written at the start of user mode, removed by
    // the exit button and by Remove Restrictions.
    int ApplyPolicies();
    // Edge's and Chrome's values and lists; what went wrong goes to the event log.
    void ApplyBrowserPolicies();
    // After a save: the page says why the browsers would get no URL list.
    void WarnOfBrowserUrlRules();
    int RemovePolicies();
    // Writes or removes the system's automatic logon, as the switch says.
    void ApplyAutoLogon();
    // User mode's one-second tick, the session counters and the timer window.
    void StartSessionServices();
    // The guard that starts user mode again when it is ended from outside, when the settings
    // ask for one; `guardianId` is the guard that started this user mode, if any.
    void StartGuard(uint32_t guardianId);
    // User mode ends by itself: the guard first, so it does not start it again.
    void StopGuard();
    void OnSessionTimer(std::uintptr_t id);
    // One modal message page without a parent; its end code.
    int ShowMessagePage(const std::string& url);

    // Redraws the feature switches of the page from the fields.
    void RenderToggleButtons();
    // Disables what the organisation manages and says so on its tabs.
    void ShowManagedSettings();
    // The password gate in front of the hidden page of user mode; true when it was shown.
    bool UnlockDialog();

    // The page's buttons.
    void OnApply();
    void OnSetPassword();
    void OnExitUserMode();
    void OnUserModeLogon();
    void OnRemoveExtensions();
    void OnGroupPolicies();
    void OnInternetOptions();
    void OnRemoveRestrictions();
    void OnRemoveAutoLogon();
    void OnRecommendedLockdown();
    void OnEnableLumbrel();
    // A key press or mouse action reported by the input hooks.
    void OnUserActivity();
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
    // Wrong passwords at the unlock prompt, held while user mode runs.
    GuessThrottle guesses;
    std::uintptr_t timerId = 0;
    // The organisation's values as user mode last put them in place.
    std::string managedSnapshot;
    std::uintptr_t guardTimerId = 0;
    std::unique_ptr<KioskGuard> guard;
    // The tabs' fields, one per page element.
    PolicySettings policies;
    HideGuiSettings hideGui;
    LumbrelSettings lumbrel;
    AutoLogonSettings autoLogon;
    // The auto logon password is a system secret the page could not read: an empty box then
    // means "leave it", not "no password".
    bool logonSecretUnread = false;
    AutoRestartSettings autoRestart;
    TimerSettings timers;
    // The countdowns of the session timers, and their window.
    SessionCounters counters;
    CTimerDlg timerWindow;
    // The programs kept running.
    AutoRestartState restart;

  protected:
    bool OnInitDialog() override;
    bool DoDataExchange(bool save) override;
    void OnDocumentComplete(const std::string& url, bool topLevel) override;
    bool OnTranslateAccelerator(const platform::Message& message) override;
    std::optional<std::intptr_t> OnSysCommand(uint32_t command, std::intptr_t lParam) override;
    void OnWindowPosChanging(platform::WindowPos& pos) override;
    bool OnQueryEndSession() override;
    void OnDestroy() override;
    void OnTimer(std::uintptr_t id) override;
    std::optional<std::intptr_t> OnMessage(uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) override;

  private:
    void EnterUserMode();
    void AddTrayIcon();
    void RemoveTrayIcon();
    void OnTrayNotify(std::intptr_t mouseMessage);
    void OnShellRestarted();
    void OnSettingChange();
    // Each tab's element bindings, in one direction.
    void BindRoot(Exchange& exchange);
    void BindPolicies(Exchange& exchange);
    void BindHideGui(Exchange& exchange);
    void BindLumbrel(Exchange& exchange);
    void BindAutoLogon(Exchange& exchange);
    void BindAutoRestart(Exchange& exchange);
    void BindTimers(Exchange& exchange);
    void CheckPasswordAtStart();
    void Toggle(int& field);
    void BrowseForRuleFile(std::string& field);
    // 0 when a folder was chosen, 1 when the browser was cancelled.
    int OnBrowseAutoRestartFolder();
    void EditRuleFile(const std::string& path);
    int MessageBox(uint32_t stringId, uint32_t type);
    // The Yes/No/Cancel question of OK and Cancel; false when the dialog is to stay.
    bool AskBeforeClosing(uint32_t stringId, bool clearChangedOnYes);

    CCorvaneApp& theApp_;
};

// The two texts a toggle button is drawn with.
std::string ToggleButtonHtml(const std::string& id, const std::string& label, const char* cssClass,
                             bool disabled = false);

// What switching the browser helper came to.
struct HelperSwitch {
    // 0 on success, 1 when Lumbrel.dll, its entry or the listing key failed, else the
    // registry's status of the final write or deletion.
    int status = 0;
    // Why the i686 build beside the program was left alone, when it was: the system has no
    // 32-bit subsystem to register it with, so no 32-bit browser runs there. Empty otherwise.
    std::string skipped32;
};
// The browser helper switched on (1: registered and listed for the browser) or off.
HelperSwitch RegisterBrowserHelper(platform::System& system, int enable);

// The logon entry of user mode under the Run key: written when on, deleted when off; 0 on
// success.
int SetLogonStart(platform::Registry& registry, const std::string& text, int on);
// The logon command of user mode: the program path, quoted when it holds a blank, and
// " /user".
std::string LogonCommand(const std::string& programPath);

// "Windows Version: ...\nInternet Explorer Version: ..." from the registry; either part empty
// when its value cannot be read.
std::string ReadWindowsVersion(platform::Registry& registry);
std::string ReadBrowserVersion(platform::Registry& registry);

}  // namespace corvane
