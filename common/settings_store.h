// The store operations every reader and writer of the settings tree goes through.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace corvane {

inline constexpr const char* kSettingsRoot = "Software\\Vemtrix\\Corvane";
inline constexpr uint32_t kTextBufferChars = 1024;

// Open an existing key with KEY_READ, as every reader of the settings sees it: a key of the
// tree under HKEY_LOCAL_MACHINE with the organisation's managed key laid over it, when there is
// one (see managed_settings.h); it opens when either is there.
// `view` adds a registry view to the access (a 32-bit reader asks for the 64-bit one).
long OpenForReading(platform::Registry& registry, platform::Hive hive, std::string_view path,
                    platform::RegistryKeyPtr& key, uint32_t view = 0);
// The key as stored, nothing laid over it: for what puts the local tree back as it was.
long OpenStoredForReading(platform::Registry& registry, platform::Hive hive, std::string_view path,
                          platform::RegistryKeyPtr& key);
// Create or open a key with KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE.
long OpenForWriting(platform::Registry& registry, platform::Hive hive, std::string_view path,
                    platform::RegistryKeyPtr& key);
// The same for a save of the tree under HKEY_LOCAL_MACHINE by the page: the values the
// organisation manages are passed over, never copied into the local tree.
long OpenForSaving(platform::Registry& registry, std::string_view path,
                   platform::RegistryKeyPtr& key);

// A REG_DWORD through a buffer of 4 bytes. Another type, or another size, gives 13; a longer
// value 234. The field changes only on success.
long QueryDWordValue(const platform::RegistryKey& key, std::string_view name, uint32_t& value);

// A REG_SZ or REG_EXPAND_SZ through a buffer of `bufferChars` UTF-16 units. Its stored size must
// be even and, when not zero, end in a null character, otherwise 13. On success `chars` is the
// count of units read, terminator included (0 for an empty stored size).
long QueryStringValue(const platform::RegistryKey& key, std::string_view name, std::string& value,
                      uint32_t bufferChars, uint32_t& chars);

// A value of any type and size, as stored: asks its size first, then reads it whole.
long QueryRawValue(const platform::RegistryKey& key, std::string_view name,
                   platform::RawValue& value);

long SetDWordValue(platform::RegistryKey& key, std::string_view name, uint32_t value);
// Stored as (units + 1) x 2 bytes, the terminator included.
long SetStringValue(platform::RegistryKey& key, std::string_view name, std::string_view value);

// The readers' rules on top: a missing or malformed value leaves the field as it was; a text
// too long for the buffer reads as empty.
void ReadFlagOrNumber(const platform::RegistryKey& key, std::string_view name, uint32_t& field);
void ReadFlagOrNumber(const platform::RegistryKey& key, std::string_view name, int& field);
void ReadText(const platform::RegistryKey& key, std::string_view name, std::string& field,
              uint32_t bufferChars = kTextBufferChars);

// One value of a key opened for reading and closed again: no value when the key cannot be
// opened or the value is missing or malformed. For tools and tests that look from outside.
std::optional<uint32_t> ReadDWordAt(platform::Registry& registry, platform::Hive hive,
                                    std::string_view path, std::string_view name);
std::optional<std::string> ReadStringAt(platform::Registry& registry, platform::Hive hive,
                                        std::string_view path, std::string_view name);

}  // namespace corvane
