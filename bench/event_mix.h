// A deterministic mix of input events as a kiosk sees them: mostly typing and mouse movement,
// some modifiers, special keys and clicks.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "platform/constants.h"

namespace corvane::bench {

struct InputEvent {
    bool keyboard;
    uint32_t code;   // virtual key or mouse message
    uint32_t flags;  // keyboard flags
    bool ctrl, alt, shift;
};

inline std::vector<InputEvent> EventMix(size_t count, uint32_t seed = 7) {
    namespace vk = platform::vk;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> percent(0, 99);
    std::vector<InputEvent> events;
    events.reserve(count);
    while (events.size() < count) {
        const int kind = percent(random);
        const bool up = percent(random) < 50;
        const uint32_t upFlag = up ? platform::llkhf::kUp : 0;
        if (kind < 45) {  // typing
            events.push_back({true, static_cast<uint32_t>('A' + percent(random) % 26), upFlag,
                              false, false, percent(random) < 10});
        } else if (kind < 55) {  // modifiers and shortcuts
            const uint32_t keys[] = {vk::kTab, vk::kEscape, vk::kSpace, vk::kReturn,
                                     'C',      'V',         vk::kF12};
            events.push_back({true, keys[percent(random) % 7], upFlag, percent(random) < 40,
                              percent(random) < 30, percent(random) < 30});
        } else if (kind < 60) {  // special keys, from the keyboard or injected
            events.push_back({true, static_cast<uint32_t>(0xA6 + percent(random) % 18),
                              platform::llkhf::kExtended |
                                  (percent(random) < 20 ? platform::llkhf::kInjected : 0u) | upFlag,
                              false, false, false});
        } else if (kind < 62) {
            events.push_back({true, static_cast<uint32_t>(vk::kLWin),
                              platform::llkhf::kExtended | upFlag, false, false, false});
        } else if (kind < 90) {
            events.push_back(
                {false, platform::mouse::kMove, 0, false, false, percent(random) < 10});
        } else {
            const uint32_t messages[] = {platform::mouse::kLButtonDown, platform::mouse::kLButtonUp,
                                         platform::mouse::kRButtonDown, platform::mouse::kRButtonUp,
                                         platform::mouse::kWheel};
            events.push_back(
                {false, messages[percent(random) % 5], 0, false, false, percent(random) < 20});
        }
    }
    return events;
}

}  // namespace corvane::bench
