// Reading files, as the filter lists and the auto-restart folder need it, and the few writes of
// the program's own event log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/custody.h"

namespace platform {

class InputFile {
  public:
    virtual ~InputFile() = default;  // closes the file
    // Reads up to `size` bytes; `read` is 0 at the end. The result is a Windows error code.
    virtual long Read(char* buffer, size_t size, size_t& read) = 0;
};

// A file's bytes mapped into memory read-only, for as long as the object lives. Processes that
// map the same file share its pages.
class MappedFile {
  public:
    virtual ~MappedFile() = default;  // unmaps
    // Starts on an 8-byte boundary (a page, on Windows).
    virtual std::string_view Bytes() const = 0;
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

    // Appends the bytes to the file, making it when it is not there (its folder must be);
    // others may read it meanwhile. The result is a Windows error code.
    virtual long AppendToFile(std::string_view path, std::string_view bytes) = 0;
    // The file's size, or no value when it cannot be asked (missing, a folder).
    virtual std::optional<uint64_t> FileSize(std::string_view path) = 0;
    // MoveFileExW with MOVEFILE_REPLACE_EXISTING.
    virtual long MoveReplacing(std::string_view from, std::string_view to) = 0;
    // Maps an existing file to read, letting others read it too but not write it. An empty
    // file cannot be mapped (ERROR_FILE_INVALID). While mapped, the file can be neither
    // replaced (ERROR_ACCESS_DENIED) nor rewritten (ERROR_USER_MAPPED_FILE). The result is a
    // Windows error code.
    virtual long MapForReading(std::string_view path, std::shared_ptr<const MappedFile>& out) = 0;
    // The bytes as the whole contents of the file, making it or replacing what it held.
    virtual long WriteWholeFile(std::string_view path, std::string_view bytes) = 0;
    // DeleteFileW.
    virtual long RemoveFile(std::string_view path) = 0;
    // CreateDirectoryW of one folder: 0, 183 when it was there already, or another error.
    virtual long CreateFolder(std::string_view path) = 0;
    // The owner and access list of a file or folder (GetNamedSecurityInfoW).
    virtual long ReadCustody(std::string_view path, Custody& out) = 0;
    // Gives an existing file or folder what AdministratorsOnly() describes in place of what it
    // had or inherited (SetNamedSecurityInfoW, the list protected). Only an administrator's
    // program can make Administrators the owner: 1307 for anyone else.
    virtual long RestrictToAdministrators(std::string_view path) = 0;
    // The accounts in the local Administrators group, as SIDs; empty when it cannot be asked.
    virtual std::vector<std::string> AdministratorAccounts() = 0;
    // The current user's own local application data folder (CSIDL_LOCAL_APPDATA), without a
    // last backslash; empty when the system gives none.
    virtual std::string UserDataFolder() = 0;
    // The folder of the system's 32-bit programs on 64-bit Windows (GetSystemWow64DirectoryW);
    // empty on 32-bit Windows.
    virtual std::string Wow64SystemFolder() = 0;
};

// The folder of a path, without its last backslash; empty when the path names no folder.
inline std::string_view FolderOf(std::string_view path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// Hands the file's bytes to `take` in pieces as they are read: 0, or the error of opening it
// (also left in `openError`) or of the read that failed (what was read before it was taken).
template <typename Take>
long ReadFileInPieces(FileSystem& files, std::string_view path, long& openError, Take take) {
    std::unique_ptr<InputFile> file;
    openError = files.OpenForReading(path, file);
    if (openError != 0) {
        return openError;
    }
    std::vector<char> buffer(64 * 1024);
    while (true) {
        size_t read = 0;
        if (const long error = file->Read(buffer.data(), buffer.size(), read)) {
            return error;
        }
        if (read == 0) {
            return 0;
        }
        take(std::string_view(buffer.data(), read));
    }
}

// The whole file into `text`: 0, or the error of opening it or of the read that failed (what
// was read before it stays in `text`).
inline long ReadWholeFile(FileSystem& files, std::string_view path, std::string& text) {
    long openError = 0;
    return ReadFileInPieces(files, path, openError,
                            [&](std::string_view bytes) { text.append(bytes); });
}

}  // namespace platform
