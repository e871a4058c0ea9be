// Another user's hive under HKEY_USERS seen as HKEY_CURRENT_USER, so the code that writes and
// removes a user's values reaches that user's too.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/registry.h"

namespace corvane {

class UserHiveRegistry final : public platform::Registry {
  public:
    // `root`: the hive's name under HKEY_USERS (a user's SID, or the name it was loaded as).
    UserHiveRegistry(platform::Registry& inner, std::string root)
        : inner_(inner), root_(std::move(root)) {}

    long OpenKey(platform::Hive hive, std::string_view path, uint32_t access,
                 platform::RegistryKeyPtr& out) override {
        return hive == platform::Hive::CurrentUser
                   ? inner_.OpenKey(platform::Hive::Users, Rebase(path), access, out)
                   : inner_.OpenKey(hive, path, access, out);
    }
    long CreateKey(platform::Hive hive, std::string_view path, uint32_t access,
                   platform::RegistryKeyPtr& out) override {
        return hive == platform::Hive::CurrentUser
                   ? inner_.CreateKey(platform::Hive::Users, Rebase(path), access, out)
                   : inner_.CreateKey(hive, path, access, out);
    }
    long LoadUserHive(std::string_view name, std::string_view file) override {
        return inner_.LoadUserHive(name, file);
    }
    long UnloadUserHive(std::string_view name) override { return inner_.UnloadUserHive(name); }

  private:
    std::string Rebase(std::string_view path) const {
        return path.empty() ? root_ : root_ + "\\" + std::string(path);
    }

    platform::Registry& inner_;
    std::string root_;
};

}  // namespace corvane
