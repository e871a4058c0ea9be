#include "app/password.h"

#include <array>

#include "common/settings_store.h"
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

int WritePassword(platform::Registry& registry, const std::string& password) {
    platform::RegistryKeyPtr root;
    if (OpenForWriting(registry, platform::Hive::LocalMachine, kSettingsRoot, root) != 0) {
        return 1;
    }
    std::u16string scrambled = platform::Utf8ToUtf16(password);
    ScramblePassword(scrambled, u"");
    return SetStringValue(*root, "Password", platform::Utf16ToUtf8(scrambled)) == 0 ? 0 : 1;
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

}  // namespace corvane
