// The Auto Logon, Auto Restart and Timers tabs, and the activity the input hooks report.
#include "app/corvane_dlg.h"
#include "app/setting_bindings.h"
#include "common/event_log.h"
#include "session/auto_logon.h"
#include "session/session_timers.h"

namespace corvane {

int CCorvaneDlg::ExchangeAutoLogonSettings(int save) {
    if (save == 0) {
        const int opened = ExchangeSubKey<AutoLogonSettings>(
            *this, system.registry, 0, kAutoLogonKey, autoLogon, kAutoLogonValues);
        logonSecretUnread = false;
        if (autoLogon.keepSecret != 0) {
            // Only the secret counts; a plain value someone put in the tree is not shown.
            const long read = system.processes.ReadSecret(kLogonSecretName, autoLogon.password);
            if (read != 0) {
                autoLogon.password.clear();
                logonSecretUnread = read != platform::error::kFileNotFound;
            }
            Exchange push(*this, false);
            push.Text("AutoLogonPassword", autoLogon.password);
        }
        return opened;
    }
    {
        Exchange pull(*this, true);
        BindAutoLogon(pull);
    }
    platform::RegistryKeyPtr key;
    if (OpenForSaving(system.registry, kAutoLogonKey, key) != 0) {
        return 0;
    }
    uint32_t wasSecret = 0;
    QueryDWordValue(*key, "KeepPasswordSecret", wasSecret);
    if (autoLogon.keepSecret == 0) {
        SaveSettings<AutoLogonSettings>(*key, autoLogon, kAutoLogonValues);
        if (wasSecret != 0) {
            if (const long error = ForgetLogonPasswordSecret(system)) {
                EventLog(system).Warn(
                    "settings: the auto logon password kept as a system secret "
                    "could not be deleted (" +
                    std::to_string(error) + ")");
            }
        }
        return 1;
    }
    // The secret first: when the system refuses it, the tab's values stay as they were.
    const bool leaveSecret = wasSecret != 0 && logonSecretUnread && autoLogon.password.empty();
    if (const long error = leaveSecret ? 0 : KeepLogonPasswordSecret(system, autoLogon.password)) {
        system.windows.MessageBox(
            Handle(),
            "The Auto Logon password could not be kept as a system secret:\n" +
                system.files.DescribeError(error) +
                "\n\nThe Auto Logon settings were not saved. To keep the password in plain "
                "text instead, clear \"Keep the password as a system secret\".",
            "Corvane", platform::mb::kOk | platform::mb::kIconExclamation);
        return 1;
    }
    SaveSettings<AutoLogonSettings>(*key, autoLogon, kAutoLogonValuesButPassword);
    return 1;
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
// What was typed on any tab is read first, so pushing the fields back loses none of it; a number
// box holding text stops here with its message.
int CCorvaneDlg::OnBrowseAutoRestartFolder() {
    if (!UpdateData(true)) {
        return 1;
    }
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
        WriteAutoLogon(system.registry, autoLogon.name,
                       autoLogon.keepSecret != 0 ? std::nullopt
                                                 : std::optional<std::string>(autoLogon.password),
                       autoLogon.domain);
    } else {
        RemoveAutoLogon(system.registry);
    }
}

void CCorvaneDlg::OnRemoveAutoLogon() {
    if (!UpdateData(true)) {
        return;  // what was typed stays; the number box said why
    }
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
