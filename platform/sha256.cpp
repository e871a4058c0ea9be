#include "platform/sha256.h"

namespace platform {

std::optional<Sha256Digest> Sha256Of(std::string_view bytes) {
    Sha256 hash;
    hash.Update(bytes);
    return hash.Finish();
}

}  // namespace platform
