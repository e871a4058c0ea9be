#include "app/guess_throttle.h"

#include <algorithm>

namespace corvane {

uint64_t GuessThrottle::WaitLeft(uint64_t nowMs) const {
    if (failures_ < kFreeGuesses) {
        return 0;
    }
    const uint32_t doublings = std::min<uint32_t>(failures_ - kFreeGuesses, 6);
    const uint64_t wait = std::min<uint64_t>(uint64_t{1000} << doublings, kLongestGuessWaitMs);
    const uint64_t passed = nowMs - lastFailureMs_;
    return passed >= wait ? 0 : wait - passed;
}

void GuessThrottle::Failed(uint64_t nowMs) {
    if (failures_ < UINT32_MAX) {
        ++failures_;
    }
    lastFailureMs_ = nowMs;
}

}  // namespace corvane
