// A feature's sub-key as a table: each entry names a registry value, the page element bound to
// it, and the field of the feature's settings that holds it. Loading, saving and binding walk
// the table in its order, which is the order the values are written and read.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane {

template <class S>
struct SettingEntry {
    const char* value;    // the registry value; null for an element that is not stored
    const char* element;  // the page element; null for a value the page does not show
    int S::*flag = nullptr;
    uint32_t S::*number = nullptr;
    std::string S::*text = nullptr;
};

// A checkbox stored as 0 or 1.
template <class S>
constexpr SettingEntry<S> FlagSetting(const char* name, int S::*field) {
    return {name, name, field, nullptr, nullptr};
}
// A number box stored as a REG_DWORD.
template <class S>
constexpr SettingEntry<S> NumberSetting(const char* name, uint32_t S::*field) {
    return {name, name, nullptr, field, nullptr};
}
template <class S>
constexpr SettingEntry<S> NumberSetting(const char* value, const char* element,
                                        uint32_t S::*field) {
    return {value, element, nullptr, field, nullptr};
}
// A text box stored as a REG_SZ, under the element's name or another.
template <class S>
constexpr SettingEntry<S> TextSetting(const char* name, std::string S::*field) {
    return {name, name, nullptr, nullptr, field};
}
template <class S>
constexpr SettingEntry<S> TextSetting(const char* value, const char* element,
                                      std::string S::*field) {
    return {value, element, nullptr, nullptr, field};
}

// Reads every stored value of the table by the store's rules: a missing or malformed value
// leaves its field as it was, a text too long for the buffer reads as empty.
template <class S>
void LoadSettings(const platform::RegistryKey& key, S& settings,
                  std::span<const SettingEntry<S>> table) {
    for (const SettingEntry<S>& entry : table) {
        if (entry.value == nullptr) {
            continue;
        }
        if (entry.flag != nullptr) {
            ReadFlagOrNumber(key, entry.value, settings.*entry.flag);
        } else if (entry.number != nullptr) {
            ReadFlagOrNumber(key, entry.value, settings.*entry.number);
        } else {
            ReadText(key, entry.value, settings.*entry.text);
        }
    }
}

// Whether the key holds a text under `name` too long for the readers' buffer: the page showed
// it empty, so an empty field is no reason to overwrite it.
inline bool HoldsTextTooLongToShow(const platform::RegistryKey& key, std::string_view name) {
    std::string ignored;
    uint32_t chars = 0;
    return QueryStringValue(key, name, ignored, kTextBufferChars, chars) ==
           platform::error::kMoreData;
}

// Writes every stored value of the table; flags as 0 or 1 whatever the field holds. An empty
// text does not replace one that was too long to be read.
template <class S>
void SaveSettings(platform::RegistryKey& key, const S& settings,
                  std::span<const SettingEntry<S>> table) {
    for (const SettingEntry<S>& entry : table) {
        if (entry.value == nullptr) {
            continue;
        }
        if (entry.flag != nullptr) {
            SetDWordValue(key, entry.value, settings.*entry.flag != 0 ? 1u : 0u);
        } else if (entry.number != nullptr) {
            SetDWordValue(key, entry.value, settings.*entry.number);
        } else if (!(settings.*entry.text).empty() || !HoldsTextTooLongToShow(key, entry.value)) {
            SetStringValue(key, entry.value, settings.*entry.text);
        }
    }
}

}  // namespace corvane
