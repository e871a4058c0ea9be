// Reading files, as the filter lists and the auto-restart folder need it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class InputFile {
  public:
    virtual ~InputFile() = default;  // closes the file
    // Reads up to `size` bytes; `read` is 0 at the end. The result is a Windows error code.
    virtual long Read(char* buffer, size_t size, size_t& read) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens an existing file to read, letting others read it too but not write it.
    virtual long OpenForReading(std::string_view path, std::unique_ptr<InputFile>& out) = 0;
    // FindFirstFileW / FindNextFileW: the names (without folder) the pattern finds, in the
    // search's order; empty when nothing is found or the folder is not there.
    virtual std::vector<std::string> FindFiles(std::string_view pattern) = 0;
    // The system's own description of an error code, such as "Access is denied.".
    virtual std::string DescribeError(long error) const = 0;
};

}  // namespace platform
