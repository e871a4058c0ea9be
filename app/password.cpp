#include "app/password.h"

#include <array>
#include <optional>
#include <span>
#include <vector>

#include "common/event_log.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "platform/text.h"

namespace corvane {

namespace {

constexpr std::u16string_view kBuiltInKey = u"MorvelAstrinQuopaDeln";

}  // namespace

void ScramblePassword(std::u16string& text, std::u16string_view key) {
    if (key.empty()) {
        key = kBuiltInKey;
    }
    std::array<uint8_t, 256> k{};
    std::array<uint8_t, 256> s{};
    for (size_t n = 0; n < 256; ++n) {
        k[n] = static_cast<uint8_t>(key[n % key.size()] & 0xFF);
        s[n] = static_cast<uint8_t>(n);
    }
    uint8_t j = 0;
    for (size_t i = 0; i < 256; ++i) {
        j = static_cast<uint8_t>(j + s[i] + k[i]);
        std::swap(s[i], s[j]);
    }
    j = 0;
    for (size_t m = 0; m < text.size(); ++m) {
        const auto i = static_cast<uint8_t>(m + 1);
        j = static_cast<uint8_t>(j + s[i]);
        std::swap(s[i], s[j]);
        const uint8_t keyByte = s[static_cast<uint8_t>(s[i] + s[j])];
        const auto r = static_cast<char16_t>(text[m] ^ keyByte);
        if (r != 0 && r != u'\n') {
            text[m] = r;
        }
    }
}

std::string ReadPassword(platform::Registry& registry) {
    platform::RegistryKeyPtr root;
    if (OpenForReading(registry, platform::Hive::LocalMachine, kSettingsRoot, root) != 0) {
        return {};
    }
    std::string stored;
    uint32_t chars = 0;
    if (QueryStringValue(*root, "Password", stored, kTextBufferChars, chars) != 0) {
        return {};
    }
    std::u16string text = platform::Utf8ToUtf16(stored);
    ScramblePassword(text, u"");
    return platform::Utf16ToUtf8(text);
}

namespace {

constexpr std::string_view kVerifierScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16;
constexpr size_t kKeyBytes = 32;
constexpr uint32_t kMostRounds = 10000000;  // more is no verifier this program wrote

std::optional<std::vector<uint8_t>> FromHex(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        uint8_t byte = 0;
        for (const char c : text.substr(i, 2)) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
            if (digit < 0) {
                return std::nullopt;
            }
            byte = static_cast<uint8_t>(byte * 16 + digit);
        }
        bytes.push_back(byte);
    }
    return bytes;
}

struct Verifier {
    uint32_t rounds = 0;
    std::vector<uint8_t> salt;
    std::vector<uint8_t> key;
};

std::optional<Verifier> ParseVerifier(std::string_view text) {
    std::vector<std::string_view> parts;
    for (size_t start = 0;;) {
        const size_t end = text.find('$', start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (parts.size() != 4 || parts[0] != kVerifierScheme || parts[1].empty() ||
        parts[1].size() > 8) {
        return std::nullopt;
    }
    Verifier verifier;
    for (const char c : parts[1]) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        verifier.rounds = verifier.rounds * 10 + static_cast<uint32_t>(c - '0');
    }
    auto salt = FromHex(parts[2]);
    auto key = FromHex(parts[3]);
    if (verifier.rounds == 0 || verifier.rounds > kMostRounds || !salt || salt->empty() || !key ||
        key->size() != kKeyBytes) {
        return std::nullopt;
    }
    verifier.salt = std::move(*salt);
    verifier.key = std::move(*key);
    return verifier;
}

std::optional<std::string> ReadVerifierText(platform::Registry& registry) {
    platform::RegistryKeyPtr root;
    if (OpenForReading(registry, platform::Hive::LocalMachine, kSettingsRoot, root) != 0) {
        return std::nullopt;
    }
    std::string text;
    uint32_t chars = 0;
    if (QueryStringValue(*root, kPasswordVerifierValue, text, kTextBufferChars, chars) != 0 ||
        text.empty()) {
        return std::nullopt;
    }
    return text;
}

// Every byte compared, whatever the first difference.
bool SameBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    if (a.size() != b.size()) {
        return false;
    }
    uint8_t difference = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        difference |= static_cast<uint8_t>(a[i] ^ b[i]);
    }
    return difference == 0;
}

}  // namespace

bool HasPassword(platform::Registry& registry) {
    return ReadVerifierText(registry).has_value() || !ReadPassword(registry).empty();
}

int WritePassword(platform::System& system, const std::string& password) {
    platform::RegistryKeyPtr root;
    if (OpenForWriting(system.registry, platform::Hive::LocalMachine, kSettingsRoot, root) != 0) {
        return 1;
    }
    if (password.empty()) {
        root->DeleteValue(kPasswordVerifierValue);
        root->DeleteValue("Password");
        return HasPassword(system.registry) ? 1 : 0;
    }
    std::array<uint8_t, kSaltBytes> salt{};
    std::array<uint8_t, kKeyBytes> key{};
    if (!system.processes.RandomBytes(salt) ||
        !system.processes.DerivePbkdf2Sha256(password, salt, kPasswordRounds, key)) {
        return 1;
    }
    const std::string verifier = std::string(kVerifierScheme) + "$" +
                                 std::to_string(kPasswordRounds) + "$" + platform::HexOf(salt) +
                                 "$" + platform::HexOf(key);
    if (SetStringValue(*root, kPasswordVerifierValue, verifier) != 0) {
        return 1;
    }
    const long removed = root->DeleteValue("Password");
    return removed == 0 || removed == platform::error::kFileNotFound ? 0 : 1;
}

bool CheckPassword(platform::System& system, const std::string& entered) {
    if (const std::optional<std::string> text = ReadVerifierText(system.registry)) {
        const std::optional<Verifier> verifier = ParseVerifier(*text);
        std::array<uint8_t, kKeyBytes> key{};
        if (!verifier ||
            !system.processes.DerivePbkdf2Sha256(entered, verifier->salt, verifier->rounds, key)) {
            EventLog(system).Warn(
                "the stored password verifier cannot be read: no password is accepted until an "
                "administrator sets the password again");
            return false;
        }
        return SameBytes(key, verifier->key);
    }
    const std::string older = ReadPassword(system.registry);
    if (older.empty() || entered != older) {
        return false;
    }
    WritePassword(system, entered);  // kept in the older form where the root cannot be written
    return true;
}

}  // namespace corvane
