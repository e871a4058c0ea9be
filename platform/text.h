// Text conversion at the platform boundary. Inside the system text is UTF-8; Windows speaks
// UTF-16. Unpaired surrogates survive a round trip (encoded as WTF-8), so no stored text is lost.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Registry text data: UTF-16LE bytes. Without the terminator.
std::u16string Utf16FromBytes(std::span<const uint8_t> bytes);
// With the terminator, as REG_SZ is stored: (units + 1) x 2 bytes.
std::vector<uint8_t> Utf16ToRegSzBytes(std::u16string_view text);

// Text for HTML or XML markup: &, < and > as entities, and the double quote too in an
// attribute's value.
std::string EscapeMarkup(std::string_view text, bool attribute);

// Lower- or upper-cases A to Z only, as the C locale does.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
// Lower-case hexadecimal, two digits a byte.
std::string HexOf(std::span<const uint8_t> bytes);

}  // namespace platform
