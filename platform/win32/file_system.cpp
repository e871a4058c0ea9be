#include "platform/win32/file_system.h"

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <shlobj.h>

namespace platform::win32 {

namespace {

class Win32MappedFile final : public MappedFile {
  public:
    Win32MappedFile(const void* view, size_t size) : view_(view), size_(size) {}
    ~Win32MappedFile() override { UnmapViewOfFile(view_); }
    std::string_view Bytes() const override { return {static_cast<const char*>(view_), size_}; }

  private:
    const void* view_;
    size_t size_;
};

class Win32InputFile final : public InputFile {
  public:
    explicit Win32InputFile(UniqueHandle file) : file_(std::move(file)) {}

    long Read(char* buffer, size_t size, size_t& read) override {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        if (!ReadFile(file_.get(), buffer, want, &got, nullptr)) {
            read = 0;
            return static_cast<long>(GetLastError());
        }
        read = got;
        return 0;
    }

  private:
    UniqueHandle file_;
};

}  // namespace

long Win32FileSystem::OpenForReading(std::string_view path, std::unique_ptr<InputFile>& out) {
    out.reset();
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return static_cast<long>(GetLastError());
    }
    out = std::make_unique<Win32InputFile>(std::move(file));
    return 0;
}

std::vector<std::string> Win32FileSystem::FindFiles(std::string_view pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Wide(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string Win32FileSystem::DescribeError(long error) const {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (length == 0 || text == nullptr) {
        return "Error " + std::to_string(error) + ".";
    }
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
        message.pop_back();
    }
    return Narrow(message);
}

long Win32FileSystem::AppendToFile(std::string_view path, std::string_view bytes) {
    UniqueHandle file(CreateFileW(Wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return static_cast<long>(GetLastError());
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        return static_cast<long>(GetLastError());
    }
    return 0;
}

std::optional<uint64_t> Win32FileSystem::FileSize(std::string_view path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

long Win32FileSystem::MoveReplacing(std::string_view from, std::string_view to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING)
               ? 0
               : static_cast<long>(GetLastError());
}

long Win32FileSystem::MapForReading(std::string_view path, std::shared_ptr<const MappedFile>& out) {
    out.reset();
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return static_cast<long>(GetLastError());
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return static_cast<long>(GetLastError());
    }
    if (size.QuadPart == 0) {
        return ERROR_FILE_INVALID;
    }
    if (static_cast<uint64_t>(size.QuadPart) > SIZE_MAX) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    // The mapping and its view keep the file open once these handles are closed.
    UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) {
        return static_cast<long>(GetLastError());
    }
    const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
        return static_cast<long>(GetLastError());
    }
    out = std::make_shared<Win32MappedFile>(view, static_cast<size_t>(size.QuadPart));
    return 0;
}

long Win32FileSystem::WriteWholeFile(std::string_view path, std::string_view bytes) {
    UniqueHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return static_cast<long>(GetLastError());
    }
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) {
            return static_cast<long>(GetLastError());
        }
        if (written == 0) {
            return ERROR_WRITE_FAULT;
        }
        bytes.remove_prefix(written);
    }
    return 0;
}

long Win32FileSystem::RemoveFile(std::string_view path) {
    return DeleteFileW(Wide(path).c_str()) ? 0 : static_cast<long>(GetLastError());
}

long Win32FileSystem::CreateFolder(std::string_view path) {
    return CreateDirectoryW(Wide(path).c_str(), nullptr) ? 0 : static_cast<long>(GetLastError());
}

std::string Win32FileSystem::UserDataFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return {};
    }
    return Narrow(path);
}

std::string Win32FileSystem::Wow64SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemWow64DirectoryW(path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string()
                                             : Narrow(std::wstring_view(path, length));
}

}  // namespace platform::win32
