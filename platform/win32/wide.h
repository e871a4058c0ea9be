// UTF-8 to UTF-16 for the W functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace platform::win32 {

inline std::wstring Wide(std::string_view text) {
    const std::u16string units = Utf8ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

inline std::string Narrow(std::wstring_view text) {
    return Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// A null pointer for "any", as the Find functions take it.
class OptionalWide {
  public:
    explicit OptionalWide(const std::optional<std::string>& text) {
        if (text) {
            value_ = Wide(*text);
        }
    }
    const wchar_t* get() const { return value_ ? value_->c_str() : nullptr; }

  private:
    std::optional<std::wstring> value_;
};

}  // namespace platform::win32
