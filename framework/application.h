// The application object: instance initialisation and exit around a message loop whose
// pre-translation also sees thread messages that carry no window.
#pragma once

#include <string>

#include "platform/system.h"

namespace framework {

class Dialog;

class Application {
  public:
    explicit Application(platform::System& system) : system(system) {}
    virtual ~Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The whole life of the process: InitInstance, the loop when it asks for one, ExitInstance.
    // The result is the process's exit code.
    int Main();

    // True when the message loop is to run.
    virtual bool InitInstance() { return false; }
    // Its result is the exit code: by default the code of the quit message that ended the loop.
    virtual int ExitInstance() { return quitCode; }
    // True when the message was handled and must not be dispatched. By default the main
    // window's pre-translation sees every message, whatever window it is addressed to.
    virtual bool PreTranslateMessage(platform::Message& message);

    // Runs the loop until a quit message arrives.
    int Run();
    // Takes one message through pre-translation and dispatch; false on the quit message.
    bool PumpMessage();

    platform::System& system;
    std::string name = "Application";  // the caption of the framework's own message boxes
    Dialog* mainWindow = nullptr;
    int quitCode = 0;
};

}  // namespace framework
