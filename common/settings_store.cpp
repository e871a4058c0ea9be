#include "common/settings_store.h"

#include "common/managed_settings.h"
#include "platform/constants.h"
#include "platform/text.h"

namespace corvane {

namespace error = platform::error;
namespace reg = platform::reg;

namespace {

long QueryDWordOf(const platform::RegistryKey& key, std::string_view name, uint32_t& value) {
    platform::RawValue raw;
    const long status = key.QueryValue(name, sizeof(uint32_t), raw);
    if (status != error::kSuccess) {
        return status;
    }
    // A short REG_DWORD would leave bytes of the old field behind: refuse it as malformed.
    if (raw.type != reg::kDword || raw.size != sizeof(uint32_t)) {
        return error::kInvalidData;
    }
    value = static_cast<uint32_t>(raw.data[0]) | (static_cast<uint32_t>(raw.data[1]) << 8) |
            (static_cast<uint32_t>(raw.data[2]) << 16) | (static_cast<uint32_t>(raw.data[3]) << 24);
    return error::kSuccess;
}

long QueryStringOf(const platform::RegistryKey& key, std::string_view name, std::string& value,
                   uint32_t bufferChars, uint32_t& chars) {
    chars = 0;
    platform::RawValue raw;
    const long status = key.QueryValue(name, bufferChars * 2, raw);
    if (status != error::kSuccess) {
        return status;
    }
    if (raw.type != reg::kSz && raw.type != reg::kExpandSz) {
        return error::kInvalidData;
    }
    if (raw.size % 2 != 0) {
        return error::kInvalidData;
    }
    if (raw.size != 0 && (raw.data[raw.size - 1] != 0 || raw.data[raw.size - 2] != 0)) {
        return error::kInvalidData;
    }
    std::u16string units = platform::Utf16FromBytes(raw.data);
    // Up to the first null: what a reader of the buffer as a C string sees.
    units.resize(std::min(units.find(u'\0'), units.size()));
    value = platform::Utf16ToUtf8(units);
    chars = raw.size / 2;
    return error::kSuccess;
}

}  // namespace

long OpenForReading(platform::Registry& registry, platform::Hive hive, std::string_view path,
                    platform::RegistryKeyPtr& key, uint32_t view) {
    const long local = registry.OpenKey(hive, path, reg::kRead | view, key);
    const std::optional<std::string> managedPath =
        hive == platform::Hive::LocalMachine ? ManagedPathOf(path) : std::nullopt;
    platform::RegistryKeyPtr managed;
    if (!managedPath ||
        registry.OpenKey(hive, *managedPath, reg::kRead | view, managed) != error::kSuccess) {
        return local;
    }
    key = std::make_unique<ManagedOverlayKey>(
        std::string(path), local == error::kSuccess ? std::move(key) : nullptr, std::move(managed));
    return error::kSuccess;
}

long OpenForSaving(platform::Registry& registry, std::string_view path,
                   platform::RegistryKeyPtr& key) {
    const long opened = OpenForWriting(registry, platform::Hive::LocalMachine, path, key);
    if (opened != error::kSuccess) {
        return opened;
    }
    std::set<std::string> managed = ManagedValueNames(registry, path);
    if (!managed.empty()) {
        key = std::make_unique<ManagedSkippingKey>(std::move(key), std::move(managed));
    }
    return error::kSuccess;
}

long OpenStoredForReading(platform::Registry& registry, platform::Hive hive, std::string_view path,
                          platform::RegistryKeyPtr& key) {
    return registry.OpenKey(hive, path, reg::kRead, key);
}

long OpenForWriting(platform::Registry& registry, platform::Hive hive, std::string_view path,
                    platform::RegistryKeyPtr& key) {
    return registry.CreateKey(hive, path, reg::kReadWrite, key);
}

long QueryDWordValue(const platform::RegistryKey& key, std::string_view name, uint32_t& value) {
    if (const auto* overlay = dynamic_cast<const ManagedOverlayKey*>(&key)) {
        return overlay->Read(name, [&](const platform::RegistryKey& layer) {
            return QueryDWordOf(layer, name, value);
        });
    }
    return QueryDWordOf(key, name, value);
}

long QueryStringValue(const platform::RegistryKey& key, std::string_view name, std::string& value,
                      uint32_t bufferChars, uint32_t& chars) {
    if (const auto* overlay = dynamic_cast<const ManagedOverlayKey*>(&key)) {
        return overlay->Read(name, [&](const platform::RegistryKey& layer) {
            return QueryStringOf(layer, name, value, bufferChars, chars);
        });
    }
    return QueryStringOf(key, name, value, bufferChars, chars);
}

long SetDWordValue(platform::RegistryKey& key, std::string_view name, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return key.SetValue(name, reg::kDword, bytes);
}

long SetStringValue(platform::RegistryKey& key, std::string_view name, std::string_view value) {
    const std::vector<uint8_t> bytes = platform::Utf16ToRegSzBytes(platform::Utf8ToUtf16(value));
    return key.SetValue(name, reg::kSz, bytes);
}

void ReadFlagOrNumber(const platform::RegistryKey& key, std::string_view name, uint32_t& field) {
    QueryDWordValue(key, name, field);
}

long QueryRawValue(const platform::RegistryKey& key, std::string_view name,
                   platform::RawValue& value) {
    long status = key.QueryValue(name, 0, value);
    if (status == error::kMoreData) {
        status = key.QueryValue(name, value.size, value);
    }
    return status;
}

void ReadFlagOrNumber(const platform::RegistryKey& key, std::string_view name, int& field) {
    uint32_t value = 0;
    if (QueryDWordValue(key, name, value) == error::kSuccess) {
        field = static_cast<int>(value);
    }
}

void ReadText(const platform::RegistryKey& key, std::string_view name, std::string& field,
              uint32_t bufferChars) {
    uint32_t chars = 0;
    std::string value;
    const long status = QueryStringValue(key, name, value, bufferChars, chars);
    if (status == error::kSuccess) {
        field = std::move(value);
    } else if (status == error::kMoreData) {
        field.clear();
    }
}

std::optional<uint32_t> ReadDWordAt(platform::Registry& registry, platform::Hive hive,
                                    std::string_view path, std::string_view name) {
    platform::RegistryKeyPtr key;
    uint32_t value = 0;
    if (OpenForReading(registry, hive, path, key) != error::kSuccess ||
        QueryDWordValue(*key, name, value) != error::kSuccess) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> ReadStringAt(platform::Registry& registry, platform::Hive hive,
                                        std::string_view path, std::string_view name) {
    platform::RegistryKeyPtr key;
    std::string value;
    uint32_t chars = 0;
    if (OpenForReading(registry, hive, path, key) != error::kSuccess ||
        QueryStringValue(*key, name, value, kTextBufferChars, chars) != error::kSuccess) {
        return std::nullopt;
    }
    return value;
}

}  // namespace corvane
