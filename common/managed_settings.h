// Settings managed by an organisation: Group Policy and MDM write them under
// HKLM\Software\Policies\Vemtrix\Corvane with the tree's own sub-key and value names and types.
// A value there wins over the local tree for every reader, because every reader opens the tree
// through OpenForReading, which lays the managed key over the local one.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace corvane {

inline constexpr const char* kManagedRoot = "Software\\Policies\\Vemtrix\\Corvane";

// The managed key of a path of the settings tree (the root or below it); none for any other.
std::optional<std::string> ManagedPathOf(std::string_view path);

// The local key with the managed one over it. A raw read answers the managed value when there
// is one; the typed reads of the store (a REG_DWORD, a text) take a managed value only when it
// has their type and size, and otherwise report it and answer the local one. Read-only.
class ManagedOverlayKey final : public platform::RegistryKey {
  public:
    // `local` may be null (no local key); `managed` is not.
    ManagedOverlayKey(std::string path, platform::RegistryKeyPtr local,
                      platform::RegistryKeyPtr managed)
        : path_(std::move(path)), local_(std::move(local)), managed_(std::move(managed)) {}

    long QueryValue(std::string_view name, uint32_t capacity,
                    platform::RawValue& out) const override;
    long SetValue(std::string_view, uint32_t, std::span<const uint8_t>) override;
    long DeleteValue(std::string_view) override;
    long DeleteSubKey(std::string_view) override;
    long EnumSubKey(uint32_t index, std::string& name) const override;
    long EnumValue(uint32_t index, std::string& name) const override;

    // A typed read: `read` on the managed key, and when the value is not there or is malformed
    // (reported), on the local one.
    long Read(std::string_view name,
              const std::function<long(const platform::RegistryKey&)>& read) const;

  private:
    std::string path_;
    platform::RegistryKeyPtr local_;
    platform::RegistryKeyPtr managed_;
};

// A key of the tree opened for a save of the page: the values the organisation manages are
// passed over (answered as written, for the managed value is the one in force), so no save
// copies them into the local tree. Everything else goes to the local key.
class ManagedSkippingKey final : public platform::RegistryKey {
  public:
    ManagedSkippingKey(platform::RegistryKeyPtr local, std::set<std::string> managed)
        : local_(std::move(local)), managed_(std::move(managed)) {}

    long QueryValue(std::string_view name, uint32_t capacity,
                    platform::RawValue& out) const override {
        return local_->QueryValue(name, capacity, out);
    }
    long SetValue(std::string_view name, uint32_t type, std::span<const uint8_t> data) override;
    long DeleteValue(std::string_view name) override;
    long DeleteSubKey(std::string_view name) override { return local_->DeleteSubKey(name); }
    long EnumSubKey(uint32_t index, std::string& name) const override {
        return local_->EnumSubKey(index, name);
    }
    long EnumValue(uint32_t index, std::string& name) const override {
        return local_->EnumValue(index, name);
    }

  private:
    bool Managed(std::string_view name) const { return managed_.contains(std::string(name)); }
    platform::RegistryKeyPtr local_;
    std::set<std::string> managed_;
};

// Where a malformed managed value read on this thread is reported, once per value (the event
// log of the program that reads it); none by default.
void SetManagedProblemReporter(std::function<void(const std::string&)> reporter);
void ReportMalformedManagedValue(std::string_view path, std::string_view name);

// Reports this thread's malformed managed values through `reporter` while it lives.
class ManagedProblemScope {
  public:
    explicit ManagedProblemScope(std::function<void(const std::string&)> reporter) {
        SetManagedProblemReporter(std::move(reporter));
    }
    ~ManagedProblemScope() { SetManagedProblemReporter(nullptr); }
    ManagedProblemScope(const ManagedProblemScope&) = delete;
    ManagedProblemScope& operator=(const ManagedProblemScope&) = delete;
};

// Every managed key's values as one text, to tell whether a policy refresh changed any.
std::string ManagedSnapshot(platform::Registry& registry);

// The names of the values the organisation sets under the tree's key at `path`.
std::set<std::string> ManagedValueNames(platform::Registry& registry, std::string_view path);

}  // namespace corvane
