#pragma once

#include "platform/file_system.h"

namespace platform::win32 {

class Win32FileSystem final : public FileSystem {
  public:
    long OpenForReading(std::string_view path, std::unique_ptr<InputFile>& out) override;
    std::vector<std::string> FindFiles(std::string_view pattern) override;
    std::string DescribeError(long error) const override;
};

}  // namespace platform::win32
