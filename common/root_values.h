// The values of the settings root itself (HKLM\Software\Vemtrix\Corvane), named once for every
// reader: the page, user mode, the extension library, the browser helper, the installer's
// options and the diagnostics tool. The sub-keys' values are in their own tables.
#pragma once

#include <iterator>

namespace corvane::root_value {

inline constexpr const char* kEnablePolicies = "EnablePolicies";
inline constexpr const char* kEnableHideGUI = "EnableHideGUI";
inline constexpr const char* kEnableAutoLogon = "EnableAutoLogon";
inline constexpr const char* kEnableAutoRestart = "EnableAutoRestart";
inline constexpr const char* kEnableTimers = "EnableTimers";
inline constexpr const char* kEnableLumbrel = "EnableLumbrel";
inline constexpr const char* kUserModeLogon = "UserModeLogon";
// The texts: the program's own path, written at each save, and an alternative page.
inline constexpr const char* kAppPath = "AppPath";
inline constexpr const char* kCorvaneGui = "CorvaneGUI";

// The seven switches (REG_DWORD 0/1) in the order they are stored and read.
inline constexpr const char* kSwitches[] = {kEnablePolicies,    kEnableHideGUI, kEnableAutoLogon,
                                            kEnableAutoRestart, kEnableTimers,  kEnableLumbrel,
                                            kUserModeLogon};
static_assert(std::size(kSwitches) == 7);

}  // namespace corvane::root_value
