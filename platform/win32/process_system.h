#pragma once

#include "platform/process_system.h"

namespace platform::win32 {

class Win32ProcessSystem final : public ProcessSystem {
  public:
    std::vector<std::string> CommandLineArguments() const override;
    std::string ModulePath() const override;
    uint32_t CurrentProcessId() const override;
    NamedMutex CreateMutex(std::string_view name) override;
    std::unique_ptr<Process> StartProcess(std::string_view commandLine) override;
    std::intptr_t ShellExecute(std::string_view verb, std::string_view file,
                               std::string_view parameters, std::string_view directory,
                               int showCommand) override;
    void Sleep(uint32_t ms) override;
    std::unique_ptr<WorkerThread> StartThread(std::function<void()> body) override;
    LibraryCall CallLibraryEntry(std::string_view library, std::string_view entry) override;
    std::unique_ptr<Process> OpenProcessById(uint32_t processId) override;
    bool TerminateProcessById(uint32_t processId, uint32_t exitCode) override;
    std::optional<ShortcutTarget> ResolveShortcut(std::string_view shortcutPath) override;
    LocalTime Now() const override;
    uint64_t TickCount() const override;
    bool RandomBytes(std::span<uint8_t> out) override;
    bool DerivePbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt,
                            uint32_t iterations, std::span<uint8_t> out) override;
    long StoreSecret(std::string_view name, const std::optional<std::string>& text) override;
    long ReadSecret(std::string_view name, std::string& text) override;
    std::string ExpandEnvironment(std::string_view text) const override;
    bool ReportToEventLog(std::string_view source, uint16_t type, std::string_view text) override;
};

// String table entries of the module the handle names (the program when null).
class Win32Resources final : public Resources {
  public:
    explicit Win32Resources(void* module = nullptr) : module_(module) {}
    std::string LoadString(uint32_t id) const override;

  private:
    void* module_;
};

}  // namespace platform::win32
