#include "platform/sim/sim_files.h"

#include <algorithm>

#include "platform/constants.h"
#include "platform/text.h"

namespace sim {

namespace {

class SimInputFile final : public platform::InputFile {
  public:
    SimInputFile(SimFiles::File file, std::shared_ptr<int> open)
        : file_(std::move(file)), open_(std::move(open)) {
        ++*open_;
    }
    ~SimInputFile() override { --*open_; }

    long Read(char* buffer, size_t size, size_t& read) override {
        read = 0;
        size_t end = file_.contents.size();
        if (file_.readErrorAt) {
            if (offset_ >= *file_.readErrorAt) {
                return file_.readError;
            }
            end = std::min(end, *file_.readErrorAt);
        }
        read = std::min(size, end - offset_);
        std::copy_n(file_.contents.data() + offset_, read, buffer);
        offset_ += read;
        return 0;
    }

  private:
    SimFiles::File file_;
    std::shared_ptr<int> open_;
    size_t offset_ = 0;
};

}  // namespace

std::string SimFiles::Key(std::string_view path) {
    return platform::AsciiLower(path);
}

long SimFiles::OpenForReading(std::string_view path, std::unique_ptr<platform::InputFile>& out) {
    out.reset();
    const auto it = files_.find(Key(path));
    if (it == files_.end()) {
        return platform::error::kFileNotFound;
    }
    if (it->second.openError != 0) {
        return it->second.openError;
    }
    out = std::make_unique<SimInputFile>(it->second, open_);
    return 0;
}

std::string SimFiles::DescribeError(long error) const {
    // The texts Windows gives for the errors tests use.
    switch (error) {
        case 2:
            return "The system cannot find the file specified.";
        case 3:
            return "The system cannot find the path specified.";
        case 5:
            return "Access is denied.";
        case 23:
            return "Data error (cyclic redundancy check).";
        case 32:
            return "The process cannot access the file because it is being used by another "
                   "process.";
        default:
            return "Error " + std::to_string(error) + ".";
    }
}

}  // namespace sim
