#pragma once

#include "platform/registry.h"

namespace platform::win32 {

class Win32Registry final : public Registry {
  public:
    long OpenKey(Hive hive, std::string_view path, uint32_t access, RegistryKeyPtr& out) override;
    long CreateKey(Hive hive, std::string_view path, uint32_t access, RegistryKeyPtr& out) override;
};

}  // namespace platform::win32
