// The sub-keys of the session services: auto logon, auto restart and the timers.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>

#include "common/settings_table.h"

namespace corvane {

inline constexpr const char* kAutoLogonKey = "Software\\Vemtrix\\Corvane\\AutoLogon";
inline constexpr const char* kAutoRestartKey = "Software\\Vemtrix\\Corvane\\AutoRestart";
inline constexpr const char* kTimersKey = "Software\\Vemtrix\\Corvane\\Timers";

// The account Windows logs on by itself. The password is kept in plain text, or, with
// `keepSecret`, only as the system's LSA secret the logon screen reads first.
struct AutoLogonSettings {
    std::string name;
    std::string password;
    std::string domain;
    int keepSecret = 0;
};

// The value name "DefaultDoamin" is spelt so in every stored tree.
inline constexpr SettingEntry<AutoLogonSettings> kAutoLogonValues[] = {
    TextSetting("DefaultName", "AutoLogonName", &AutoLogonSettings::name),
    TextSetting("DefaultPassword", "AutoLogonPassword", &AutoLogonSettings::password),
    TextSetting("DefaultDoamin", "AutoLogonDomain", &AutoLogonSettings::domain),
    FlagSetting("KeepPasswordSecret", &AutoLogonSettings::keepSecret),
};
// The same without the password, for a tree whose password is a system secret.
inline constexpr SettingEntry<AutoLogonSettings> kAutoLogonValuesButPassword[] = {
    kAutoLogonValues[0], kAutoLogonValues[2], kAutoLogonValues[3]};

struct AutoRestartSettings {
    std::string folder;  // kept with a trailing backslash when not empty
    uint32_t time = 0;   // seconds between two checks
    uint32_t wait = 0;   // milliseconds a window may take to answer; 0 = no hang test
};

inline constexpr SettingEntry<AutoRestartSettings> kAutoRestartValues[] = {
    TextSetting("Folder", "AutoRestartFolder", &AutoRestartSettings::folder),
    NumberSetting("Time", "AutoRestartTime", &AutoRestartSettings::time),
    NumberSetting("Wait", "AutoRestartTimeWait", &AutoRestartSettings::wait),
};

// Appends the backslash a folder is kept with.
inline void EndWithBackslash(std::string& folder) {
    if (!folder.empty() && folder.back() != '\\') {
        folder += '\\';
    }
}

struct TimerSettings {
    int startActivityOnOpen = 0;
    uint32_t activityTime = 0;
    int startInactivityOnOpen = 0;
    uint32_t inactivityTime = 0;
    int showTimerDialog = 1;
    uint32_t timerDialogLeft = 0;
    uint32_t timerDialogTop = 0;
    uint32_t timerDialogHeight = 0;
    uint32_t timerDialogWidth = 0;
    std::string timerDialogURL;
    std::string activityDialogURL;
    uint32_t activityTimeWarn1 = 0;
    uint32_t activityTimeWarn2 = 0;
    std::string inactivityDialogURL;
    std::string activityDialogWarn1URL;
    std::string activityDialogWarn2URL;
};

// The 16 values in the order they are written.
inline constexpr SettingEntry<TimerSettings> kTimerValues[] = {
    FlagSetting("StartActivityOnOpen", &TimerSettings::startActivityOnOpen),
    NumberSetting("ActivityTime", &TimerSettings::activityTime),
    FlagSetting("StartInactivityOnOpen", &TimerSettings::startInactivityOnOpen),
    NumberSetting("InactivityTime", &TimerSettings::inactivityTime),
    FlagSetting("ShowTimerDialog", &TimerSettings::showTimerDialog),
    NumberSetting("TimerDialogLeft", &TimerSettings::timerDialogLeft),
    NumberSetting("TimerDialogTop", &TimerSettings::timerDialogTop),
    NumberSetting("TimerDialogHeight", &TimerSettings::timerDialogHeight),
    NumberSetting("TimerDialogWidth", &TimerSettings::timerDialogWidth),
    TextSetting("TimerDialogURL", &TimerSettings::timerDialogURL),
    TextSetting("ActivityDialogURL", &TimerSettings::activityDialogURL),
    NumberSetting("ActivityTimeWarn1", &TimerSettings::activityTimeWarn1),
    NumberSetting("ActivityTimeWarn2", &TimerSettings::activityTimeWarn2),
    TextSetting("InactivityDialogURL", &TimerSettings::inactivityDialogURL),
    TextSetting("ActivityDialogWarn1URL", &TimerSettings::activityDialogWarn1URL),
    TextSetting("ActivityDialogWarn2URL", &TimerSettings::activityDialogWarn2URL),
};
static_assert(std::size(kTimerValues) == 16);

}  // namespace corvane
