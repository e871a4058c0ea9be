// The sim's files: contents a test sets, errors a test injects.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/custody.h"
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
        Made(path);
    }
    // A folder and its parents.
    void MakeFolder(const std::string& path);
    File& At(const std::string& path) { return files_[Key(path)]; }
    void Remove(const std::string& path) {
        files_.erase(Key(path));
        names_.erase(Key(path));
        custody_.erase(Key(path));
    }
    // Who owns what is made from now on; an administrator's program by default.
    void SetCreator(std::string sid) { creator_ = std::move(sid); }
    // A file's or folder's owner and access list, as a test wants them.
    void SetCustody(const std::string& path, platform::Custody custody) {
        custody_[Key(path)] = std::move(custody);
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
    long ReadCustody(std::string_view path, platform::Custody& out) override;
    long RestrictToAdministrators(std::string_view path) override;
    std::vector<std::string> AdministratorAccounts() override { return administrators_; }
    void SetAdministratorAccounts(std::vector<std::string> sids) {
        administrators_ = std::move(sids);
    }
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
    // The error of a file that is not there: 2, or 3 when its folder is not there either.
    long MissingError(std::string_view path) const;
    bool IsMapped(std::string_view path) const;
    // Why a file cannot be made at the path (a folder is there, or its folder is not); 0 if it can.
    long NewFileError(std::string_view path) const;
    // What is made inherits its folder's access list and is owned by its creator.
    void Made(std::string_view path);
    std::map<std::string, File> files_;
    std::map<std::string, std::string> names_;  // each file's name as it was put
    std::set<std::string> folders_;
    std::map<std::string, platform::Custody> custody_;  // of files and folders
    std::string creator_ = std::string(platform::kAdministratorsSid);
    std::vector<std::string> administrators_;
    std::shared_ptr<int> open_ = std::make_shared<int>(0);
};

}  // namespace sim
