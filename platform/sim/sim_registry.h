// The sim's registry: a tree of keys whose access rights a test can restrict.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace sim {

class SimRegistry final : public platform::Registry {
  public:
    SimRegistry();
    ~SimRegistry() override;

    long OpenKey(platform::Hive hive, std::string_view path, uint32_t access,
                 platform::RegistryKeyPtr& out) override;
    long CreateKey(platform::Hive hive, std::string_view path, uint32_t access,
                   platform::RegistryKeyPtr& out) override;

    // A hive file holds a user's tree while the user is logged off: RegLoadKeyW puts it under
    // HKEY_USERS, RegUnLoadKeyW back into its file. 2 for a file that is not there, 5 for a name
    // already loaded, 87 for one that is not.
    long LoadUserHive(std::string_view name, std::string_view file) override;
    long UnloadUserHive(std::string_view name) override;
    // The user logs off: HKEY_USERS\name goes into the file.
    void LogOffUser(std::string_view name, std::string_view file);

    // Opening or creating the key with any of these rights fails with 5 from now on; creating
    // a sub-key under it fails when KEY_CREATE_SUB_KEY is among them. The key is created first.
    void DenyAccess(platform::Hive hive, std::string_view path, uint32_t rights);
    // Keys opened and not yet closed: a test's check that every path closes what it opens.
    int OpenKeyCount() const;

    struct Node;

  private:
    long Open(platform::Hive hive, std::string_view path, uint32_t access, bool create,
              platform::RegistryKeyPtr& out);

    std::shared_ptr<Node> roots_[4];
    std::map<std::string, std::shared_ptr<Node>> hiveFiles_;  // by folded file path
    std::map<std::string, std::string> loadedFrom_;           // folded name: its file
    std::shared_ptr<int> openKeys_;
};

}  // namespace sim
