#pragma once

#include "platform/file_system.h"

namespace platform::win32 {

class Win32FileSystem final : public FileSystem {
  public:
    long OpenForReading(std::string_view path, std::unique_ptr<InputFile>& out) override;
    std::vector<std::string> FindFiles(std::string_view pattern) override;
    std::string DescribeError(long error) const override;
    long AppendToFile(std::string_view path, std::string_view bytes) override;
    std::optional<uint64_t> FileSize(std::string_view path) override;
    long MoveReplacing(std::string_view from, std::string_view to) override;
    long MapForReading(std::string_view path, std::shared_ptr<const MappedFile>& out) override;
    long WriteWholeFile(std::string_view path, std::string_view bytes) override;
    long RemoveFile(std::string_view path) override;
    long CreateFolder(std::string_view path) override;
    long ReadCustody(std::string_view path, Custody& out) override;
    long RestrictToAdministrators(std::string_view path) override;
    std::vector<std::string> AdministratorAccounts() override;
    std::string UserDataFolder() override;
    std::string Wow64SystemFolder() override;
};

}  // namespace platform::win32
