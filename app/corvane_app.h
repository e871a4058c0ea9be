// The main program's application object: command line, single instance, the two modes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "common/shell_extensions.h"
#include "framework/application.h"

namespace corvane {

class CCorvaneDlg;

class CCorvaneApp final : public framework::Application {
  public:
    // `extensions` may be null when the program runs without the extension library.
    CCorvaneApp(platform::System& system, ShellExtensions* extensions);
    ~CCorvaneApp() override;

    bool InitInstance() override;
    int ExitInstance() override;

    void ParseCommandLine();
    int MessageBox(uint32_t stringId, uint32_t type, platform::WindowHandle owner);

    int secondInstance = 0;
    int userMode = 0;
    std::unique_ptr<platform::KernelObject> instanceMutex;  // held for the life of the process
    uint32_t handoverMessage = 0;
    uint32_t taskbarCreatedMessage = 0;  // the shell's, when it has made its taskbar
    uint32_t commandId = 0;
    std::string shortcutPath;
    uint32_t guardOf = 0;     // this process is the guard of that user mode
    uint32_t guardianId = 0;  // the guard that started this user mode

    ShellExtensions* Extensions() const { return extensions_; }

  private:
    ShellExtensions* extensions_;
    std::unique_ptr<CCorvaneDlg> dialog_;
};

// The whole run of Corvane.exe; the result is the process's exit code.
int CorvaneMain(platform::System& system, ShellExtensions* extensions);

}  // namespace corvane
