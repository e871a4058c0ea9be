// The sim's files: contents a test sets, errors a test injects.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace sim {

class SimFiles final : public platform::FileSystem {
  public:
    struct File {
        std::string contents;
        long openError = 0;                 // opening fails with this
        std::optional<size_t> readErrorAt;  // reading past this offset fails
        long readError = 0;
        // The last mapping of the file: mapped again while its bytes are unchanged, it is
        // shared, as processes share a mapped file's pages.
        std::weak_ptr<const platform::MappedFile> mapping;
    };

    // A file, and the folders of its path.
    void Put(const std::string& path, std::string contents) {
        File file;
        file.contents = std::move(contents);
        MakeFolder(Parent(path));
        files_[Key(path)] = std::move(file);
        names_[Key(path)] = path;
    }
    // A folder and its parents.
    void MakeFolder(const std::string& path);
    File& At(const std::string& path) { return files_[Key(path)]; }
    void Remove(const std::string& path) {
        files_.erase(Key(path));
        names_.erase(Key(path));
    }
    int OpenCount() const { return *open_; }
    bool Exists(std::string_view path) const { return files_.count(Key(path)) != 0; }

    long OpenForReading(std::string_view path, std::unique_ptr<platform::InputFile>& out) override;
    std::vector<std::string> FindFiles(std::string_view pattern) override;
    std::string DescribeError(long error) const override;
    long AppendToFile(std::string_view path, std::string_view bytes) override;
    std::optional<uint64_t> FileSize(std::string_view path) override;
    long MoveReplacing(std::string_view from, std::string_view to) override;
    long CreateFolder(std::string_view path) override;
    long MapForReading(std::string_view path,
                       std::shared_ptr<const platform::MappedFile>& out) override;
    long WriteWholeFile(std::string_view path, std::string_view bytes) override;
    long RemoveFile(std::string_view path) override;
    std::string UserDataFolder() override { return "C:\\Users\\kiosk\\AppData\\Local"; }
    std::string Wow64SystemFolder() override { return "C:\\Windows\\SysWOW64"; }
    // Text of a file, empty when it is not there.
    std::string Contents(std::string_view path) const {
        const auto it = files_.find(Key(path));
        return it == files_.end() ? std::string() : it->second.contents;
    }

  private:
    static std::string Key(std::string_view path);
    static std::string Parent(std::string_view path);
    bool FolderExists(std::string_view path) const;
    bool IsMapped(std::string_view path) const;
    // Why a file cannot be made at the path (a folder is there, or its folder is not); 0 if it can.
    long NewFileError(std::string_view path) const;
    std::map<std::string, File> files_;
    std::map<std::string, std::string> names_;  // each file's name as it was put
    std::set<std::string> folders_;
    std::shared_ptr<int> open_ = std::make_shared<int>(0);
};

}  // namespace sim
