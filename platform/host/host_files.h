// Files through the C++ standard library, for tools that run natively on the host.
#pragma once

#include "platform/file_system.h"

namespace platform::host {

class HostFiles final : public FileSystem {
  public:
    long OpenForReading(std::string_view path, std::unique_ptr<InputFile>& out) override;
    // The rule tester reads named files only; it searches for nothing.
    std::vector<std::string> FindFiles(std::string_view) override { return {}; }
    std::string DescribeError(long error) const override;
};

}  // namespace platform::host
