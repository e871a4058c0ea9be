// Processes, synchronisation and the shell services the system uses.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A kernel object handle; destroying it closes the handle.
class KernelObject {
  public:
    virtual ~KernelObject() = default;
};

struct NamedMutex {
    std::unique_ptr<KernelObject> handle;  // null when creation failed
    bool alreadyExisted = false;           // the system answered error 183
};

class Process {
  public:
    virtual ~Process() = default;
    virtual uint32_t Id() const = 0;
    // The exit code once the process has ended within `timeoutMs`; no value otherwise.
    virtual std::optional<uint32_t> WaitForExit(uint32_t timeoutMs) = 0;
    virtual bool Terminate(uint32_t exitCode) = 0;
    // WaitForInputIdle: true once the program waits for input, false after `timeoutMs`.
    virtual bool WaitForInputIdle(uint32_t timeoutMs) = 0;
};

// Another thread of this process. Dropping the object does not end or wait for the thread.
class WorkerThread {
  public:
    virtual ~WorkerThread() = default;
    virtual uint32_t Id() const = 0;
    // True once the thread has ended, within `timeoutMs`.
    virtual bool Join(uint32_t timeoutMs) = 0;
};

// A shortcut's target as the shell's link object reads it.
struct ShortcutTarget {
    std::string path;
    std::string arguments;
};

// The local time, to the second.
struct LocalTime {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Event types of the system's event log (winnt.h).
namespace event_type {
inline constexpr uint16_t kError = 0x0001;
inline constexpr uint16_t kWarning = 0x0002;
inline constexpr uint16_t kInformation = 0x0004;
}  // namespace event_type

// What calling an exported function of a library by name came to.
struct LibraryCall {
    bool loaded = false;  // LoadLibraryW found and loaded the library
    bool found = false;   // GetProcAddress found the export
    long result = 0;      // its HRESULT, when it was called
};

class ProcessSystem {
  public:
    virtual ~ProcessSystem() = default;

    // The arguments of this process as the runtime splits its command line; [0] is the program.
    virtual std::vector<std::string> CommandLineArguments() const = 0;
    // Full path of the running program file (GetModuleFileNameW of the program, 260 at most).
    virtual std::string ModulePath() const = 0;
    virtual uint32_t CurrentProcessId() const = 0;

    // CreateMutexW with default security, not initially owned.
    virtual NamedMutex CreateMutex(std::string_view name) = 0;

    // CreateProcessW of a full command line, shown normally (STARTF_USESHOWWINDOW with
    // SW_SHOWNORMAL), with this program's environment and folder; null when it could not start.
    virtual std::unique_ptr<Process> StartProcess(std::string_view commandLine) = 0;

    // ShellExecuteW: the instance value it returns, greater than 32 on success.
    virtual std::intptr_t ShellExecute(std::string_view verb, std::string_view file,
                                       std::string_view parameters, std::string_view directory,
                                       int showCommand) = 0;

    virtual void Sleep(uint32_t ms) = 0;

    // CreateThread running `body`; null when it could not be made. The thread ends with the
    // process at the latest.
    virtual std::unique_ptr<WorkerThread> StartThread(std::function<void()> body) = 0;

    // OpenProcess of a running process to wait for it and end it (SYNCHRONIZE,
    // PROCESS_TERMINATE, PROCESS_QUERY_LIMITED_INFORMATION); null when it cannot be opened.
    // While the object lives the id cannot go to another process.
    virtual std::unique_ptr<Process> OpenProcessById(uint32_t processId) = 0;
    // OpenProcess with PROCESS_ALL_ACCESS, then TerminateProcess; false when it cannot be opened.
    virtual bool TerminateProcessById(uint32_t processId, uint32_t exitCode) = 0;
    // The shell's link object: Load, Resolve without a window, GetPath (raw) and GetArguments,
    // each through 260 units; no value when a step fails.
    virtual std::optional<ShortcutTarget> ResolveShortcut(std::string_view shortcutPath) = 0;

    // Loads a library by file name with the system's search (kept loaded for the rest of the
    // process) and calls its export `entry`, a function without arguments answering an
    // HRESULT, as a COM server's registration entries are.
    virtual LibraryCall CallLibraryEntry(std::string_view library, std::string_view entry) = 0;

    virtual LocalTime Now() const = 0;
    // GetTickCount64: milliseconds since the system started, never going back.
    virtual uint64_t TickCount() const = 0;
    // BCryptGenRandom from the system's preferred generator; false when it failed.
    virtual bool RandomBytes(std::span<uint8_t> out) = 0;
    // BCryptDeriveKeyPBKDF2 with HMAC-SHA256: `out.size()` bytes from the password's UTF-8
    // bytes and the salt; false when the system refused.
    virtual bool DerivePbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                                    uint32_t iterations, std::span<uint8_t> out) = 0;
    // The system's LSA secret of this name (LsaStorePrivateData), which only administrators
    // may read or write: stores the text as UTF-16, or deletes the secret when there is none.
    // A Windows error code; deleting a secret that is not there gives 2.
    virtual long StoreSecret(std::string_view name, const std::optional<std::string>& text) = 0;
    // LsaRetrievePrivateData: 0 and the text, or a Windows error code (2: no such secret).
    virtual long ReadSecret(std::string_view name, std::string& text) = 0;
    // ExpandEnvironmentStringsW: %NAME% replaced by the variable's value; unknown names stay.
    virtual std::string ExpandEnvironment(std::string_view text) const = 0;
    // One entry of the system's Application event log under the source; false when the system
    // refused it (the source could not be opened, or the log is full).
    virtual bool ReportToEventLog(std::string_view source, uint16_t type,
                                  std::string_view text) = 0;
};

// The program's own resources: string table entries and such.
class Resources {
  public:
    virtual ~Resources() = default;
    // Empty when the string does not exist.
    virtual std::string LoadString(uint32_t id) const = 0;
};

}  // namespace platform
