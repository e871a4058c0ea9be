// The registry as Windows offers it: keys opened with an access mask, raw values read through
// a caller's buffer, results as Windows error codes (0, 2, 5, 13, 234, 259, 1018, ...).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class Hive : uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
};

struct RawValue {
    uint32_t type = 0;
    uint32_t size = 0;          // bytes stored (or needed, with error 234)
    std::vector<uint8_t> data;  // the bytes read; empty unless the read succeeded
};

// An open key; destroying it closes it.
class RegistryKey {
  public:
    virtual ~RegistryKey() = default;

    // RegQueryValueExW through a buffer of `capacity` bytes.
    virtual long QueryValue(std::string_view name, uint32_t capacity, RawValue& out) const = 0;
    // RegSetValueExW with the bytes exactly as given.
    virtual long SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) = 0;
    virtual long DeleteValue(std::string_view name) = 0;
    // RegDeleteKeyW of a direct sub-key.
    virtual long DeleteSubKey(std::string_view name) = 0;
    // RegEnumKeyExW: 259 past the last sub-key.
    virtual long EnumSubKey(uint32_t index, std::string& name) const = 0;
    // RegEnumValueW, the name only: 259 past the last value.
    virtual long EnumValue(uint32_t index, std::string& name) const = 0;
};

using RegistryKeyPtr = std::unique_ptr<RegistryKey>;

class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExW: fails with 2 when the key does not exist.
    virtual long OpenKey(Hive hive, std::string_view path, uint32_t access,
                         RegistryKeyPtr& out) = 0;
    // RegCreateKeyExW, non-volatile, default security.
    virtual long CreateKey(Hive hive, std::string_view path, uint32_t access,
                           RegistryKeyPtr& out) = 0;

    // RegLoadKeyW of a user's hive file (a profile's NTUSER.DAT) as HKEY_USERS\name, with the
    // backup and restore privileges the call needs; RegUnLoadKeyW. 0 or the error.
    virtual long LoadUserHive(std::string_view name, std::string_view file) = 0;
    virtual long UnloadUserHive(std::string_view name) = 0;
};

}  // namespace platform
