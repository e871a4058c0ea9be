#pragma once

#include "platform/registry.h"

namespace platform::win32 {

class Win32Registry final : public Registry {
  public:
    long OpenKey(Hive hive, std::string_view path, uint32_t access, RegistryKeyPtr& out) override;
    long CreateKey(Hive hive, std::string_view path, uint32_t access, RegistryKeyPtr& out) override;
    long LoadUserHive(std::string_view name, std::string_view file) override;
    long UnloadUserHive(std::string_view name) override;
};

}  // namespace platform::win32
