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
    // The tools that run on the host write nothing: ERROR_NOT_SUPPORTED.
    long AppendToFile(std::string_view, std::string_view) override { return 50; }
    std::optional<uint64_t> FileSize(std::string_view) override { return std::nullopt; }
    long MoveReplacing(std::string_view, std::string_view) override { return 50; }
    long CreateFolder(std::string_view) override { return 50; }
    long MapForReading(std::string_view, std::shared_ptr<const MappedFile>&) override { return 50; }
    long WriteWholeFile(std::string_view, std::string_view) override { return 50; }
    long RemoveFile(std::string_view) override { return 50; }
    long ReadCustody(std::string_view, Custody&) override { return 50; }
    long RestrictToAdministrators(std::string_view) override { return 50; }
    std::vector<std::string> AdministratorAccounts() override { return {}; }
    std::string UserDataFolder() override { return {}; }
    std::string Wow64SystemFolder() override { return {}; }
};

}  // namespace platform::host
