#include "platform/sha256.h"

#include <openssl/evp.h>

namespace platform {

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    state_->context = EVP_MD_CTX_new();
    failed_ = state_->context == nullptr ||
              EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1;
}

Sha256::~Sha256() = default;

void Sha256::Update(std::string_view bytes) {
    if (!failed_ && !bytes.empty()) {
        failed_ = EVP_DigestUpdate(state_->context, bytes.data(), bytes.size()) != 1;
    }
}

std::optional<Sha256Digest> Sha256::Finish() {
    Sha256Digest digest{};
    unsigned int length = 0;
    if (failed_ || EVP_DigestFinal_ex(state_->context, digest.data(), &length) != 1 ||
        length != digest.size()) {
        failed_ = true;
        return std::nullopt;
    }
    failed_ = true;  // the context is spent
    return digest;
}

}  // namespace platform
