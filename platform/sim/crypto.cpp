// The sim's random bytes and key derivation. The derivation is the standard one (OpenSSL's
// PBKDF2 with HMAC-SHA256), so a verifier made on the sim checks on Windows and back; the
// random bytes come from a fixed sequence, so a test gives the same result every time.
#include <openssl/evp.h>

#include "platform/constants.h"
#include "platform/sim/state.h"

namespace sim {

bool SimProcessSystem::RandomBytes(std::span<uint8_t> out) {
    for (uint8_t& byte : out) {
        // splitmix64: a fixed, well-spread sequence.
        uint64_t z = (state_.randomState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        byte = static_cast<uint8_t>(z ^ (z >> 31));
    }
    return true;
}

bool SimProcessSystem::DerivePbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                          uint32_t iterations, std::span<uint8_t> out) {
    if (iterations == 0 || iterations > 0x7FFFFFFF) {
        return false;  // as BCryptDeriveKeyPBKDF2 refuses no rounds
    }
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                             static_cast<int>(salt.size()), static_cast<int>(iterations),
                             EVP_sha256(), static_cast<int>(out.size()), out.data()) == 1;
}

long SimProcessSystem::StoreSecret(std::string_view name, const std::optional<std::string>& text) {
    SimSecrets& secrets = state_.secrets;
    if (secrets.refusal != 0) {
        return secrets.refusal;
    }
    if (!text) {
        return secrets.values.erase(std::string(name)) != 0 ? 0 : platform::error::kFileNotFound;
    }
    secrets.values[std::string(name)] = *text;
    return 0;
}

long SimProcessSystem::ReadSecret(std::string_view name, std::string& text) {
    const SimSecrets& secrets = state_.secrets;
    if (secrets.refusal != 0) {
        return secrets.refusal;
    }
    const auto it = secrets.values.find(std::string(name));
    if (it == secrets.values.end()) {
        return platform::error::kFileNotFound;
    }
    text = it->second;
    return 0;
}

}  // namespace sim
