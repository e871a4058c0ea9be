// The Auto Logon, Auto Restart and Timers tabs, and the activity the input hooks report.
#include "app/corvane_dlg.h"
#include "app/setting_bindings.h"
#include "session/auto_logon.h"
#include "session/session_timers.h"

namespace corvane {

int CCorvaneDlg::ExchangeAutoLogonSettings(int save) {
    return ExchangeSubKey<AutoLogonSettings>(*this, system.registry, save, kAutoLogonKey, autoLogon,
                                             kAutoLogonValues);
}

void CCorvaneDlg::BindAutoLogon(Exchange& exchange) {
    BindSettings<AutoLogonSettings>(exchange, autoLogon, kAutoLogonValues);
}

int CCorvaneDlg::ExchangeAutoRestartSettings(int save) {
    return ExchangeSubKey<AutoRestartSettings>(
        *this, system.registry, save, kAutoRestartKey, autoRestart, kAutoRestartValues,
        [](AutoRestartSettings& settings) { EndWithBackslash(settings.folder); });
}

void CCorvaneDlg::BindAutoRestart(Exchange& exchange) {
    BindSettings<AutoRestartSettings>(exchange, autoRestart, kAutoRestartValues);
}

// The chosen folder is kept without its trailing backslash until the next save or load adds it.
int CCorvaneDlg::OnBrowseAutoRestartFolder() {
    constexpr uint32_t kReturnOnlyFileSystemFolders = 0x1;
    constexpr uint32_t kEditBox = 0x10;
    constexpr uint32_t kNewDialogStyle = 0x40;
    const auto chosen = system.windows.BrowseForFolder(
        platform::WindowHandle::Null, "Select Folder for Auto Restart",
        kReturnOnlyFileSystemFolders | kEditBox | kNewDialogStyle);
    if (!chosen) {
        return 1;
    }
    autoRestart.folder = *chosen;
    settingsChanged = 1;
    RenderToggleButtons();
    UpdateData(false);
    return 0;
}

int CCorvaneDlg::ExchangeTimerSettings(int save) {
    return ExchangeSubKey<TimerSettings>(*this, system.registry, save, kTimersKey, timers,
                                         kTimerValues);
}

void CCorvaneDlg::BindTimers(Exchange& exchange) {
    BindSettings<TimerSettings>(exchange, timers, kTimerValues);
}

void CCorvaneDlg::ApplyAutoLogon() {
    if (enableAutoLogon != 0) {
        WriteAutoLogon(system.registry, autoLogon.name, autoLogon.password, autoLogon.domain);
    } else {
        RemoveAutoLogon(system.registry);
    }
}

void CCorvaneDlg::OnRemoveAutoLogon() {
    autoLogon.password.clear();
    enableAutoLogon = 0;
    settingsChanged = 1;
    RenderToggleButtons();
    UpdateData(false);
}

void CCorvaneDlg::OnUserActivity() {
    OnActivity(timers, counters);
}

}  // namespace corvane
