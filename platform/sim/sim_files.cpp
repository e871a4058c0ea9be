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

// A copy of the bytes in words, so that it starts on an 8-byte boundary as a mapping does.
class SimMappedFile final : public platform::MappedFile {
  public:
    explicit SimMappedFile(std::string_view bytes)
        : words_((bytes.size() + 7) / 8), size_(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(words_.data()));
    }
    std::string_view Bytes() const override {
        return {reinterpret_cast<const char*>(words_.data()), size_};
    }

  private:
    std::vector<uint64_t> words_;
    size_t size_;
};

}  // namespace

std::string SimFiles::Key(std::string_view path) {
    return platform::AsciiLower(path);
}

std::string SimFiles::Parent(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

void SimFiles::MakeFolder(const std::string& path) {
    std::vector<std::string> made;
    for (std::string folder = path; !folder.empty(); folder = Parent(folder)) {
        if (folders_.insert(Key(folder)).second) {
            made.push_back(folder);
        }
    }
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        Made(*it);
    }
}

void SimFiles::Made(std::string_view path) {
    if (custody_.count(Key(path)) != 0) {
        return;  // a file put again keeps its own
    }
    const auto parent = custody_.find(Key(Parent(path)));
    // A drive's root and folders no test gave a list hand down what Program Files does.
    platform::Custody custody =
        parent != custody_.end() ? parent->second : platform::AdministratorsOnly();
    custody.owner = creator_;
    custody_[Key(path)] = std::move(custody);
}

long SimFiles::ReadCustody(std::string_view path, platform::Custody& out) {
    const auto it = custody_.find(Key(path));
    if (it == custody_.end()) {
        return MissingError(path);
    }
    out = it->second;
    return 0;
}

long SimFiles::RestrictToAdministrators(std::string_view path) {
    const auto it = custody_.find(Key(path));
    if (it == custody_.end()) {
        return MissingError(path);
    }
    if (creator_ != platform::kAdministratorsSid && creator_ != platform::kSystemSid) {
        return platform::error::kInvalidOwner;  // only they may make Administrators the owner
    }
    it->second = platform::AdministratorsOnly();
    return 0;
}

long SimFiles::MissingError(std::string_view path) const {
    return FolderExists(Parent(path)) ? platform::error::kFileNotFound
                                      : platform::error::kPathNotFound;
}

// A drive's root and the current folder (a name without one) always exist.
bool SimFiles::FolderExists(std::string_view path) const {
    return path.empty() || (path.size() == 2 && path[1] == ':') || folders_.count(Key(path)) != 0;
}

namespace {

// A file-name pattern with "*" and "?", without regard to case.
bool Matches(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern[0] == '*') {
        for (size_t skip = 0; skip <= name.size(); ++skip) {
            if (Matches(pattern.substr(1), name.substr(skip))) {
                return true;
            }
        }
        return false;
    }
    return !name.empty() &&
           (pattern[0] == '?' || platform::AsciiLower(pattern.substr(0, 1)) ==
                                     platform::AsciiLower(name.substr(0, 1))) &&
           Matches(pattern.substr(1), name.substr(1));
}

}  // namespace

std::vector<std::string> SimFiles::FindFiles(std::string_view pattern) {
    const std::string folder = Parent(pattern);
    const std::string_view spec = pattern.substr(folder.empty() ? 0 : folder.size() + 1);
    std::vector<std::string> names;
    for (const auto& [key, file] : files_) {
        const std::string& name = names_.at(key);
        if (Key(Parent(name)) == Key(folder) &&
            Matches(spec, std::string_view(name).substr(folder.empty() ? 0 : folder.size() + 1))) {
            names.push_back(name.substr(folder.empty() ? 0 : folder.size() + 1));
        }
    }
    return names;
}

long SimFiles::OpenForReading(std::string_view path, std::unique_ptr<platform::InputFile>& out) {
    out.reset();
    const auto it = files_.find(Key(path));
    if (it == files_.end()) {
        // As CreateFileW: a folder cannot be opened as a file, and a missing folder on the way
        // is another error than a missing file.
        if (FolderExists(path)) {
            return platform::error::kAccessDenied;
        }
        return MissingError(path);
    }
    if (it->second.openError != 0) {
        return it->second.openError;
    }
    out = std::make_unique<SimInputFile>(it->second, open_);
    return 0;
}

bool SimFiles::IsMapped(std::string_view path) const {
    const auto it = files_.find(Key(path));
    return it != files_.end() && !it->second.mapping.expired();
}

long SimFiles::NewFileError(std::string_view path) const {
    if (FolderExists(path)) {
        return platform::error::kAccessDenied;
    }
    return FolderExists(Parent(path)) ? 0 : platform::error::kPathNotFound;
}

long SimFiles::AppendToFile(std::string_view path, std::string_view bytes) {
    const auto it = files_.find(Key(path));
    if (it == files_.end()) {
        if (const long error = NewFileError(path)) {
            return error;
        }
        Put(std::string(path), std::string(bytes));
        return 0;
    }
    if (it->second.openError != 0) {
        return it->second.openError;
    }
    it->second.contents.append(bytes);
    return 0;
}

std::optional<uint64_t> SimFiles::FileSize(std::string_view path) {
    const auto it = files_.find(Key(path));
    return it == files_.end() ? std::nullopt : std::optional<uint64_t>(it->second.contents.size());
}

long SimFiles::MoveReplacing(std::string_view from, std::string_view to) {
    const auto it = files_.find(Key(from));
    if (it == files_.end()) {
        return MissingError(from);
    }
    if (!FolderExists(Parent(to))) {
        return platform::error::kPathNotFound;
    }
    if (IsMapped(to)) {  // as Windows and Wine: a mapped file is not replaced
        return platform::error::kAccessDenied;
    }
    File moved = std::move(it->second);
    platform::Custody custody = custody_[Key(from)];  // a move keeps the descriptor
    Remove(std::string(from));
    files_[Key(to)] = std::move(moved);
    names_[Key(to)] = std::string(to);
    custody_[Key(to)] = std::move(custody);
    return 0;
}

long SimFiles::MapForReading(std::string_view path,
                             std::shared_ptr<const platform::MappedFile>& out) {
    out.reset();
    std::unique_ptr<platform::InputFile> probe;  // the same errors as opening it
    if (const long error = OpenForReading(path, probe)) {
        return error;
    }
    File& file = files_[Key(path)];
    if (file.contents.empty()) {
        return platform::error::kFileInvalid;
    }
    std::shared_ptr<const platform::MappedFile> mapping = file.mapping.lock();
    if (!mapping || mapping->Bytes() != file.contents) {
        mapping = std::make_shared<SimMappedFile>(file.contents);
        file.mapping = mapping;
    }
    out = std::move(mapping);
    return 0;
}

long SimFiles::WriteWholeFile(std::string_view path, std::string_view bytes) {
    const auto it = files_.find(Key(path));
    if (it != files_.end() && it->second.openError != 0) {
        return it->second.openError;
    }
    if (IsMapped(path)) {  // it cannot be cut while mapped
        return platform::error::kUserMappedFile;
    }
    if (it == files_.end()) {
        if (const long error = NewFileError(path)) {
            return error;
        }
    }
    Put(std::string(path), std::string(bytes));
    return 0;
}

long SimFiles::RemoveFile(std::string_view path) {
    const auto it = files_.find(Key(path));
    if (it == files_.end()) {
        return MissingError(path);
    }
    // DeleteFileW "fails if an application attempts to delete a file that has other handles
    // open for normal I/O or as a memory-mapped file"; Wine deletes it all the same.
    if (IsMapped(path)) {
        return platform::error::kAccessDenied;
    }
    Remove(std::string(path));
    return 0;
}

long SimFiles::CreateFolder(std::string_view path) {
    if (FolderExists(path) || files_.count(Key(path)) != 0) {
        return platform::error::kAlreadyExists;
    }
    if (!FolderExists(Parent(path))) {
        return platform::error::kPathNotFound;
    }
    folders_.insert(Key(path));
    Made(path);
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
        case 8:
            return "Not enough memory resources are available to process this command.";
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
