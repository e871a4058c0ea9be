// SHA-256 by the system's cryptography: CNG on Windows, OpenSSL's libcrypto elsewhere. Both
// give the standard digest, so what one build names by its digest the other finds.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

using Sha256Digest = std::array<uint8_t, 32>;

// Fed in pieces as they arrive; the digest is the same however the bytes are cut.
class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(std::string_view bytes);
    // The digest of all that was fed; none when the system could not hash (then nothing
    // named by a digest can be trusted, and callers go without). Ends the hashing.
    std::optional<Sha256Digest> Finish();

  private:
    struct State;
    std::unique_ptr<State> state_;
    bool failed_ = false;
};

std::optional<Sha256Digest> Sha256Of(std::string_view bytes);

}  // namespace platform
