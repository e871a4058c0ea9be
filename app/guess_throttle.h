// Wrong passwords at the unlock prompt: the first three cost nothing; after them each further
// try waits longer, 1, 2, 4 ... up to 60 seconds from the last wrong one, so the password that
// unlocks a kiosk cannot be guessed at the keyboard's speed.
#pragma once

#include <cstdint>

namespace corvane {

inline constexpr uint32_t kFreeGuesses = 3;
inline constexpr uint64_t kLongestGuessWaitMs = 60000;

class GuessThrottle {
  public:
    // Milliseconds still to wait at `nowMs` before the prompt may be shown; 0 when it may.
    uint64_t WaitLeft(uint64_t nowMs) const;
    void Failed(uint64_t nowMs);
    void Succeeded() { failures_ = 0; }
    // Wrong passwords since the last right one.
    uint32_t Failures() const { return failures_; }

  private:
    uint32_t failures_ = 0;
    uint64_t lastFailureMs_ = 0;
};

}  // namespace corvane
