#include "platform/sha256.h"

#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <bcrypt.h>

#include <algorithm>

namespace platform {

struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    ~State() {
        if (hash != nullptr) {
            BCryptDestroyHash(hash);
        }
        if (algorithm != nullptr) {
            BCryptCloseAlgorithmProvider(algorithm, 0);
        }
    }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    failed_ = !BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&state_->algorithm,
                                                          BCRYPT_SHA256_ALGORITHM, nullptr, 0)) ||
              !BCRYPT_SUCCESS(
                  BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() = default;

void Sha256::Update(std::string_view bytes) {
    // The call takes a ULONG length and a non-const pointer it only reads.
    while (!failed_ && !bytes.empty()) {
        const size_t piece = std::min<size_t>(bytes.size(), 1u << 30);
        auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
        failed_ = !BCRYPT_SUCCESS(BCryptHashData(state_->hash, data, static_cast<ULONG>(piece), 0));
        bytes.remove_prefix(piece);
    }
}

std::optional<Sha256Digest> Sha256::Finish() {
    Sha256Digest digest{};
    if (failed_ ||
        !BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest.data(), digest.size(), 0))) {
        failed_ = true;
        return std::nullopt;
    }
    failed_ = true;  // a finished hash takes no more
    return digest;
}

}  // namespace platform
