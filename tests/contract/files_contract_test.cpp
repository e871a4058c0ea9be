// Reading a rule file: what opening reports for each way it can fail, the bytes as stored,
// and the system's description of an error.
#include <algorithm>
#include <vector>

#include "tests/contract/fixture.h"

namespace contract {
namespace {

class FilesContract : public Contract {
  protected:
    long Open(const std::string& path) {
        std::unique_ptr<platform::InputFile> file;
        const long status = sys.files.OpenForReading(path, file);
        EXPECT_EQ(status == 0, file != nullptr);
        return status;
    }
};

TEST_F(FilesContract, OpeningSaysWhyAFileCannotBeRead) {
    const std::string folder = env->ScratchFolder();
    env->PutFile(folder + "\\rules.txt", "+all\n");
    env->MakeFolder(folder + "\\sub");
    EXPECT_EQ(Open(folder + "\\rules.txt"), 0);
    EXPECT_EQ(Open(folder + "\\RULES.TXT"), 0);  // names ignore case
    EXPECT_EQ(Open(folder + "\\missing.txt"), platform::error::kFileNotFound);
    EXPECT_EQ(Open(folder + "\\no folder\\rules.txt"), platform::error::kPathNotFound);
    EXPECT_EQ(Open(folder + "\\sub"), platform::error::kAccessDenied);
    {
        const auto held = env->HoldForWriting(folder + "\\rules.txt");
        EXPECT_EQ(Open(folder + "\\rules.txt"), platform::error::kSharingViolation);
    }
    EXPECT_EQ(Open(folder + "\\rules.txt"), 0);
}

TEST_F(FilesContract, ReadingGivesTheBytesAsStoredAndThenZero) {
    const std::string folder = env->ScratchFolder();
    const std::string bytes = std::string("-casino\r\n+all\n\xA0\xFF", 16) + std::string(1, '\0') +
                              "tail without line end";
    env->PutFile(folder + "\\content.txt", bytes);
    std::unique_ptr<platform::InputFile> file;
    ASSERT_EQ(sys.files.OpenForReading(folder + "\\content.txt", file), 0);
    std::string got;
    char buffer[5];
    size_t read = 0;
    do {
        ASSERT_EQ(file->Read(buffer, sizeof buffer, read), 0);
        got.append(buffer, read);
    } while (read > 0);
    EXPECT_EQ(got, bytes);
    EXPECT_EQ(file->Read(buffer, sizeof buffer, read), 0);  // still the end
    EXPECT_EQ(read, 0u);

    env->PutFile(folder + "\\empty.txt", "");
    ASSERT_EQ(sys.files.OpenForReading(folder + "\\empty.txt", file), 0);
    EXPECT_EQ(file->Read(buffer, sizeof buffer, read), 0);
    EXPECT_EQ(read, 0u);
}

// The description goes into a message box: one line, no line end. Windows words it as below;
// Wine words some of them its own way ("File not found."), so there only the form is held.
TEST_F(FilesContract, ErrorsAreDescribedInOneLine) {
    const std::vector<std::pair<long, std::string>> windows = {
        {2, "The system cannot find the file specified."},
        {3, "The system cannot find the path specified."},
        {5, "Access is denied."},
        {32, "The process cannot access the file because it is being used by another process."},
    };
    for (const auto& [error, text] : windows) {
        const std::string described = sys.files.DescribeError(error);
        EXPECT_FALSE(described.empty()) << error;
        EXPECT_EQ(described.find_first_of("\r\n"), std::string::npos) << described;
        if (!env->IsWine()) {
            EXPECT_EQ(described, text);
        }
    }
}

// The event log's few writes: appending makes the file and adds to it, its size follows, a
// rotation replaces the older copy, a folder made twice says so.
TEST_F(FilesContract, AppendingMovingAndMakingFolders) {
    const std::string folder = env->ScratchFolder();
    const std::string log = folder + "\\events.log";
    const std::string old = folder + "\\events.1.log";
    EXPECT_EQ(sys.files.FileSize(log), std::nullopt);
    EXPECT_EQ(sys.files.AppendToFile(log, "one\r\n"), 0);
    EXPECT_EQ(sys.files.AppendToFile(log, "two\r\n"), 0);
    EXPECT_EQ(sys.files.FileSize(log), 10u);
    EXPECT_EQ(sys.files.FileSize(folder), std::nullopt);  // a folder has no size here
    EXPECT_EQ(sys.files.AppendToFile(folder + "\\no folder\\events.log", "x"),
              platform::error::kPathNotFound);

    env->PutFile(old, "older");
    EXPECT_EQ(sys.files.MoveReplacing(log, old), 0);
    EXPECT_EQ(sys.files.FileSize(log), std::nullopt);
    EXPECT_EQ(sys.files.FileSize(old), 10u);
    EXPECT_EQ(sys.files.MoveReplacing(log, old), platform::error::kFileNotFound);

    EXPECT_EQ(sys.files.CreateFolder(folder + "\\Corvane"), 0);
    EXPECT_EQ(sys.files.CreateFolder(folder + "\\Corvane"), platform::error::kAlreadyExists);
    EXPECT_EQ(sys.files.CreateFolder(folder + "\\no\\Corvane"), platform::error::kPathNotFound);
    EXPECT_EQ(sys.files.CreateFolder(sys.files.UserDataFolder()), platform::error::kAlreadyExists);
}

// Compiled rule lists: written whole, mapped read-only on an 8-byte boundary while the file
// may change beside them, deleted when no longer named.
TEST_F(FilesContract, WritingMappingAndRemoving) {
    const std::string folder = env->ScratchFolder();
    const std::string image = folder + "\\list.lri";
    std::string bytes(10000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    EXPECT_EQ(sys.files.WriteWholeFile(image, "a longer first text"), 0);
    EXPECT_EQ(sys.files.WriteWholeFile(image, bytes), 0);  // replaces it whole
    EXPECT_EQ(sys.files.FileSize(image), bytes.size());
    EXPECT_EQ(sys.files.WriteWholeFile(folder + "\\no folder\\x.lri", "x"),
              platform::error::kPathNotFound);

    std::shared_ptr<const platform::MappedFile> first;
    std::shared_ptr<const platform::MappedFile> second;
    ASSERT_EQ(sys.files.MapForReading(image, first), 0);
    ASSERT_EQ(sys.files.MapForReading(image, second), 0);
    EXPECT_EQ(first->Bytes(), bytes);
    EXPECT_EQ(second->Bytes(), bytes);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(first->Bytes().data()) % 8, 0u);
    first.reset();
    EXPECT_EQ(second->Bytes(), bytes);  // each mapping lives on its own
    // While mapped, the file is neither rewritten nor replaced, and its bytes stay.
    EXPECT_EQ(sys.files.WriteWholeFile(image, "other"), platform::error::kUserMappedFile);
    EXPECT_EQ(sys.files.WriteWholeFile(folder + "\\other.lri", "other"), 0);
    EXPECT_EQ(sys.files.MoveReplacing(folder + "\\other.lri", image),
              platform::error::kAccessDenied);
    EXPECT_EQ(second->Bytes(), bytes);
    if (!env->IsWine()) {
        // Windows keeps a mapped file ("DeleteFile fails if an application attempts to delete a
        // file that has other handles open ... as a memory-mapped file"), and the sim follows
        // it; Wine 8 deletes the name while the mapping lives on.
        EXPECT_EQ(sys.files.RemoveFile(image), platform::error::kAccessDenied);
    }
    second.reset();
    EXPECT_EQ(sys.files.MoveReplacing(folder + "\\other.lri", image), 0);
    EXPECT_EQ(sys.files.FileSize(image), 5u);
    EXPECT_EQ(sys.files.WriteWholeFile(image, bytes), 0);

    std::shared_ptr<const platform::MappedFile> none;
    EXPECT_EQ(sys.files.MapForReading(folder + "\\missing.lri", none),
              platform::error::kFileNotFound);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(sys.files.WriteWholeFile(folder + "\\empty.lri", ""), 0);
    EXPECT_EQ(sys.files.MapForReading(folder + "\\empty.lri", none), platform::error::kFileInvalid);

    EXPECT_EQ(sys.files.RemoveFile(image), 0);
    EXPECT_EQ(sys.files.FileSize(image), std::nullopt);
    EXPECT_EQ(sys.files.RemoveFile(image), platform::error::kFileNotFound);
    EXPECT_EQ(sys.files.RemoveFile(folder + "\\no folder\\x.lri"), platform::error::kPathNotFound);
}

// What decides whether a rule image can be trusted. An administrator's program gives a folder
// and a file an owner of Administrators and a list of their own. Wine keeps no descriptors of
// files: it reports one made from the file's Unix mode, owned by the user who, there, is an
// administrator; a file everyone may write reads back so on both.
TEST_F(FilesContract, AnAdministratorRestrictsAFolderAndAFileToAdministrators) {
    const std::vector<std::string> administrators = sys.files.AdministratorAccounts();
    const auto isAdministrator = [&](std::string_view sid) {
        return std::find(administrators.begin(), administrators.end(), sid) != administrators.end();
    };
    const std::string folder = env->ScratchFolder() + "\\Rules";
    ASSERT_EQ(sys.files.CreateFolder(folder), 0);
    const std::string image = folder + "\\list.lri";
    ASSERT_EQ(sys.files.WriteWholeFile(image, "image"), 0);
    for (const std::string& path : {folder, image}) {
        ASSERT_EQ(sys.files.RestrictToAdministrators(path), 0) << path;
        platform::Custody custody;
        ASSERT_EQ(sys.files.ReadCustody(path, custody), 0) << path;
        ASSERT_TRUE(custody.hasList) << path;
        EXPECT_TRUE(platform::OnlyAdministratorsMayChange(custody, isAdministrator)) << path;
        if (env->IsWine()) {
            EXPECT_TRUE(isAdministrator(custody.owner)) << custody.owner;
            continue;
        }
        EXPECT_EQ(custody.owner, platform::kAdministratorsSid) << path;
        std::vector<std::string> sids;
        for (const platform::AccessEntry& entry : custody.entries) {
            EXPECT_EQ(entry.kind, platform::AccessEntry::kAllow) << path;
            sids.push_back(entry.sid);
        }
        EXPECT_EQ(sids, (std::vector<std::string>{std::string(platform::kAdministratorsSid),
                                                  std::string(platform::kSystemSid),
                                                  std::string(platform::kUsersSid)}))
            << path;
    }
    env->LetEveryoneWrite(image);
    platform::Custody opened;
    ASSERT_EQ(sys.files.ReadCustody(image, opened), 0);
    EXPECT_FALSE(platform::OnlyAdministratorsMayChange(opened, isAdministrator));

    platform::Custody none;
    EXPECT_EQ(sys.files.ReadCustody(folder + "\\missing.lri", none),
              platform::error::kFileNotFound);
    EXPECT_EQ(sys.files.RestrictToAdministrators(folder + "\\missing.lri"),
              platform::error::kFileNotFound);
}

}  // namespace
}  // namespace contract
