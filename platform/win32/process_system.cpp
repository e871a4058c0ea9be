#include "platform/win32/process_system.h"

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which they need
#include <bcrypt.h>
#include <objidl.h>
#include <shlobj.h>

#include "platform/win32/com_ptr.h"
#include "platform/win32/shortcut.h"

namespace platform::win32 {

namespace {

class HandleObject final : public KernelObject {
  public:
    explicit HandleObject(UniqueHandle handle) : handle_(std::move(handle)) {}

  private:
    UniqueHandle handle_;
};

class Win32WorkerThread final : public WorkerThread {
  public:
    Win32WorkerThread(UniqueHandle thread, uint32_t id) : thread_(std::move(thread)), id_(id) {}
    uint32_t Id() const override { return id_; }
    bool Join(uint32_t timeoutMs) override {
        return WaitForSingleObject(thread_.get(), timeoutMs) == WAIT_OBJECT_0;
    }

  private:
    UniqueHandle thread_;
    uint32_t id_;
};

DWORD WINAPI RunBody(LPVOID parameter) {
    const std::unique_ptr<std::function<void()>> body(
        static_cast<std::function<void()>*>(parameter));
    try {
        (*body)();
    } catch (...) {
        return 1;  // an exception leaving a thread would end the whole program
    }
    return 0;
}

class Win32Process final : public Process {
  public:
    Win32Process(UniqueHandle process, uint32_t id) : process_(std::move(process)), id_(id) {}

    uint32_t Id() const override { return id_; }

    std::optional<uint32_t> WaitForExit(uint32_t timeoutMs) override {
        if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        if (!GetExitCodeProcess(process_.get(), &code)) {
            return std::nullopt;
        }
        return code;
    }

    bool Terminate(uint32_t exitCode) override {
        return TerminateProcess(process_.get(), exitCode);
    }
    bool WaitForInputIdle(uint32_t timeoutMs) override {
        return ::WaitForInputIdle(process_.get(), timeoutMs) == 0;
    }

  private:
    UniqueHandle process_;
    uint32_t id_;
};

}  // namespace

std::vector<std::string> Win32ProcessSystem::CommandLineArguments() const {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) {
        return args;
    }
    for (int i = 0; i < count; ++i) {
        args.push_back(Narrow(argv[i]));
    }
    LocalFree(argv);
    return args;
}

std::string Win32ProcessSystem::ModulePath() const {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return Narrow(std::wstring_view(path, length));
}

uint32_t Win32ProcessSystem::CurrentProcessId() const {
    return GetCurrentProcessId();
}

NamedMutex Win32ProcessSystem::CreateMutex(std::string_view name) {
    NamedMutex result;
    UniqueHandle mutex(CreateMutexW(nullptr, FALSE, Wide(name).c_str()));
    result.alreadyExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    if (mutex) {
        result.handle = std::make_unique<HandleObject>(std::move(mutex));
    }
    return result;
}

std::unique_ptr<WorkerThread> Win32ProcessSystem::StartThread(std::function<void()> body) {
    auto owned = std::make_unique<std::function<void()>>(std::move(body));
    DWORD id = 0;
    UniqueHandle thread(CreateThread(nullptr, 0, RunBody, owned.get(), 0, &id));
    if (!thread) {
        return nullptr;
    }
    owned.release();  // the thread owns it now
    return std::make_unique<Win32WorkerThread>(std::move(thread), id);
}

std::unique_ptr<Process> Win32ProcessSystem::StartProcess(std::string_view commandLine) {
    std::wstring line = Wide(commandLine);  // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        return nullptr;
    }
    UniqueHandle thread(info.hThread);
    return std::make_unique<Win32Process>(UniqueHandle(info.hProcess), info.dwProcessId);
}

std::intptr_t Win32ProcessSystem::ShellExecute(std::string_view verb, std::string_view file,
                                               std::string_view parameters,
                                               std::string_view directory, int showCommand) {
    const std::wstring wideVerb = Wide(verb);
    const std::wstring wideFile = Wide(file);
    const std::wstring wideParameters = Wide(parameters);
    const std::wstring wideDirectory = Wide(directory);
    const HINSTANCE result =
        ShellExecuteW(nullptr, wideVerb.empty() ? nullptr : wideVerb.c_str(), wideFile.c_str(),
                      wideParameters.empty() ? nullptr : wideParameters.c_str(),
                      wideDirectory.empty() ? nullptr : wideDirectory.c_str(), showCommand);
    return reinterpret_cast<std::intptr_t>(result);
}

LibraryCall Win32ProcessSystem::CallLibraryEntry(std::string_view library, std::string_view entry) {
    LibraryCall call;
    // Never freed: what the entry registered may point into the library.
    HMODULE module = LoadLibraryW(Wide(library).c_str());
    if (module == nullptr) {
        return call;
    }
    call.loaded = true;
    using Entry = HRESULT(STDAPICALLTYPE*)();
    const auto function = reinterpret_cast<Entry>(
        reinterpret_cast<void*>(GetProcAddress(module, std::string(entry).c_str())));
    if (function == nullptr) {
        return call;
    }
    call.found = true;
    call.result = function();
    return call;
}

std::unique_ptr<Process> Win32ProcessSystem::OpenProcessById(uint32_t processId) {
    UniqueHandle process(OpenProcess(
        SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        return nullptr;
    }
    return std::make_unique<Win32Process>(std::move(process), processId);
}

bool Win32ProcessSystem::TerminateProcessById(uint32_t processId, uint32_t exitCode) {
    UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId));
    return process && TerminateProcess(process.get(), exitCode);
}

std::optional<ShortcutTarget> Win32ProcessSystem::ResolveShortcut(std::string_view shortcutPath) {
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid())) ||
        !link) {
        return std::nullopt;
    }
    return ResolveShellLink(*link.Get(), shortcutPath);
}

std::optional<ShortcutTarget> ResolveShellLink(IShellLinkW& link, std::string_view shortcutPath) {
    ComPtr<IPersistFile> file;
    if (FAILED(link.QueryInterface(IID_IPersistFile, file.PutVoid())) || !file) {
        return std::nullopt;
    }
    wchar_t path[MAX_PATH] = {};
    const std::wstring wide = Wide(shortcutPath);
    wcsncpy(path, wide.c_str(), MAX_PATH - 1);  // a longer path is cut to fit
    // SLR_NO_UI's high word is the time-out for the search; zero asks for the shell's default.
    if (FAILED(file->Load(path, STGM_READ)) ||
        FAILED(link.Resolve(nullptr, SLR_UPDATE | SLR_NO_UI))) {
        return std::nullopt;
    }
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[MAX_PATH] = {};
    if (FAILED(link.GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) ||
        FAILED(link.GetArguments(arguments, MAX_PATH))) {
        return std::nullopt;
    }
    return ShortcutTarget{Narrow(target), Narrow(arguments)};
}

void Win32ProcessSystem::Sleep(uint32_t ms) {
    ::Sleep(ms);
}

std::string Win32Resources::LoadString(uint32_t id) const {
    // With a zero length LoadStringW hands out a pointer into the resource itself.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(static_cast<HINSTANCE>(module_), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return Narrow(std::wstring_view(text, static_cast<size_t>(length)));
}

LocalTime Win32ProcessSystem::Now() const {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

uint64_t Win32ProcessSystem::TickCount() const {
    return GetTickCount64();
}

bool Win32ProcessSystem::RandomBytes(std::span<uint8_t> out) {
    return BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()),
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool Win32ProcessSystem::DerivePbkdf2Sha256(std::string_view password,
                                            std::span<const uint8_t> salt, uint32_t iterations,
                                            std::span<uint8_t> out) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                    BCRYPT_ALG_HANDLE_HMAC_FLAG))) {
        return false;
    }
    // The call takes non-const buffers it only reads.
    std::vector<UCHAR> secret(password.begin(), password.end());
    std::vector<UCHAR> saltCopy(salt.begin(), salt.end());
    const NTSTATUS status = BCryptDeriveKeyPBKDF2(
        algorithm, secret.empty() ? nullptr : secret.data(), static_cast<ULONG>(secret.size()),
        saltCopy.empty() ? nullptr : saltCopy.data(), static_cast<ULONG>(saltCopy.size()),
        iterations, out.data(), static_cast<ULONG>(out.size()), 0);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return BCRYPT_SUCCESS(status);
}

bool Win32ProcessSystem::ReportToEventLog(std::string_view source, uint16_t type,
                                          std::string_view text) {
    const HANDLE log = RegisterEventSourceW(nullptr, Wide(source).c_str());
    if (log == nullptr) {
        return false;
    }
    const std::wstring wide = Wide(text);
    const wchar_t* strings[] = {wide.c_str()};
    const bool reported = ::ReportEventW(log, type, 0, 0, nullptr, 1, 0, strings, nullptr) != FALSE;
    DeregisterEventSource(log);
    return reported;
}

std::string Win32ProcessSystem::ExpandEnvironment(std::string_view text) const {
    const std::wstring wide = Wide(text);
    const DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    if (needed == 0) {
        return std::string(text);
    }
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) {
        return std::string(text);
    }
    expanded.resize(written - 1);  // without the terminator
    return Narrow(expanded);
}

}  // namespace platform::win32
