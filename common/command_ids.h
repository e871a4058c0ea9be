// Command ids handed from a second start to the running instance, and the window messages
// the main program recognises.
#pragma once

#include <cstdint>

#include "platform/constants.h"

namespace corvane {

inline constexpr uint32_t ID_SWITCH_KD = 32779;
inline constexpr uint32_t ID_SWITCH_KE = 32780;
inline constexpr uint32_t ID_SWITCH_S = 32781;
inline constexpr uint32_t ID_SWITCH_H = 32782;
inline constexpr uint32_t ID_SWITCH_Q = 32783;
inline constexpr uint32_t ID_SWITCH_E = 32784;
inline constexpr uint32_t ID_SWITCH_D = 32785;

// Name of the hand-over message and of the single-instance mutex.
inline constexpr const char* kInstanceName = "VtxCorvane";

inline constexpr uint32_t WM_APP_OVERRIDE = platform::wm::kApp + 0x0A;
inline constexpr uint32_t WM_APP_ACTIVITY = platform::wm::kApp + 0x14;
inline constexpr uint32_t WM_TRAY_NOTIFY = 10012;
inline constexpr uint32_t TRAY_ICON_ID = 10011;
// The one-second timer of the session services.
inline constexpr std::uintptr_t TIMER_ID_SECOND = 1001;
inline constexpr std::uintptr_t TIMER_ID_GUARD = 1002;

}  // namespace corvane
