#include "platform/host/host_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform::host {

namespace {

class HostInputFile final : public InputFile {
  public:
    explicit HostInputFile(std::FILE* file) : file_(file) {}
    ~HostInputFile() override { std::fclose(file_); }

    long Read(char* buffer, size_t size, size_t& read) override {
        read = std::fread(buffer, 1, size, file_);
        return (read == 0 && std::ferror(file_)) ? (errno != 0 ? errno : EIO) : 0;
    }

  private:
    std::FILE* file_;
};

}  // namespace

long HostFiles::OpenForReading(std::string_view path, std::unique_ptr<InputFile>& out) {
    out.reset();
    errno = 0;
    std::FILE* file = std::fopen(std::string(path).c_str(), "rb");
    if (file == nullptr) {
        return errno != 0 ? errno : ENOENT;
    }
    out = std::make_unique<HostInputFile>(file);
    return 0;
}

std::string HostFiles::DescribeError(long error) const {
    return std::strerror(static_cast<int>(error));
}

}  // namespace platform::host
