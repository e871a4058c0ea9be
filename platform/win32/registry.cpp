#include "platform/win32/registry.h"

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"

namespace platform::win32 {

namespace {

class Win32Key final : public RegistryKey {
  public:
    explicit Win32Key(HKEY key) : key_(key) {}
    ~Win32Key() override { RegCloseKey(key_); }
    Win32Key(const Win32Key&) = delete;
    Win32Key& operator=(const Win32Key&) = delete;

    long QueryValue(std::string_view name, uint32_t capacity, RawValue& out) const override {
        out = {};
        // One unit more than asked for: Windows may add a terminator there, never counted.
        std::vector<uint8_t> buffer(capacity + 2);
        DWORD type = 0;
        DWORD size = capacity;
        const std::wstring wideName = Wide(name);
        const LONG status =
            RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, buffer.data(), &size);
        out.type = type;
        out.size = size;
        if (status == ERROR_SUCCESS) {
            buffer.resize(size);
            out.data = std::move(buffer);
        }
        return status;
    }

    long SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) override {
        const std::wstring wideName = Wide(name);
        // The system lengthens a text whose last unit is not null when the unit after the data
        // in memory is null. A non-null unit there keeps the bytes exactly as given.
        std::vector<uint8_t> buffer(data.begin(), data.end());
        buffer.insert(buffer.end(), {0xFF, 0xFF, 0xFF});
        return RegSetValueExW(key_, wideName.c_str(), 0, type, buffer.data(),
                              static_cast<DWORD>(data.size()));
    }

    long DeleteValue(std::string_view name) override {
        return RegDeleteValueW(key_, Wide(name).c_str());
    }

    long DeleteSubKey(std::string_view name) override {
        return RegDeleteKeyW(key_, Wide(name).c_str());
    }

    long EnumSubKey(uint32_t index, std::string& name) const override {
        name.clear();
        wchar_t buffer[256];  // key names are at most 255 characters
        DWORD length = 256;
        const LONG status =
            RegEnumKeyExW(key_, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            name = Narrow(std::wstring_view(buffer, length));
        }
        return status;
    }

    long EnumValue(uint32_t index, std::string& name) const override {
        name.clear();
        std::wstring buffer(16384, L'\0');  // value names are at most 16,383 characters
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG status =
            RegEnumValueW(key_, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_SUCCESS) {
            name = Narrow(std::wstring_view(buffer.data(), length));
        }
        return status;
    }

  private:
    HKEY key_;
};

HKEY HiveKey(Hive hive) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(hive)));
}

// Loading and unloading hives needs both privileges switched on in the process's token.
bool EnableHivePrivileges() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    const UniqueHandle owned(token);
    bool enabled = true;
    for (const wchar_t* name : {SE_BACKUP_NAME, SE_RESTORE_NAME}) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        enabled = enabled && LookupPrivilegeValueW(nullptr, name, &privileges.Privileges[0].Luid) &&
                  AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                  GetLastError() == ERROR_SUCCESS;
    }
    return enabled;
}

}  // namespace

long Win32Registry::LoadUserHive(std::string_view name, std::string_view file) {
    if (!EnableHivePrivileges()) {
        return ERROR_PRIVILEGE_NOT_HELD;
    }
    return RegLoadKeyW(HKEY_USERS, Wide(name).c_str(), Wide(file).c_str());
}

long Win32Registry::UnloadUserHive(std::string_view name) {
    return RegUnLoadKeyW(HKEY_USERS, Wide(name).c_str());
}

long Win32Registry::OpenKey(Hive hive, std::string_view path, uint32_t access,
                            RegistryKeyPtr& out) {
    out.reset();
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExW(HiveKey(hive), Wide(path).c_str(), 0, access, &key);
    if (status == ERROR_SUCCESS) {
        out = std::make_unique<Win32Key>(key);
    }
    return status;
}

long Win32Registry::CreateKey(Hive hive, std::string_view path, uint32_t access,
                              RegistryKeyPtr& out) {
    out.reset();
    HKEY key = nullptr;
    const LONG status = RegCreateKeyExW(HiveKey(hive), Wide(path).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        out = std::make_unique<Win32Key>(key);
    }
    return status;
}

}  // namespace platform::win32
