#include "framework/application.h"

#include "framework/dialog.h"
#include "platform/constants.h"

namespace framework {

int Application::Main() {
    if (!InitInstance()) {
        return ExitInstance();
    }
    return Run();
}

bool Application::PreTranslateMessage(platform::Message& message) {
    return mainWindow != nullptr && mainWindow->PreTranslateMessage(message);
}

int Application::Run() {
    while (PumpMessage()) {
    }
    return ExitInstance();
}

bool Application::PumpMessage() {
    platform::Message message;
    const int result = system.windows.GetMessage(message);
    if (result == 0) {
        quitCode = static_cast<int>(message.wParam);
        return false;
    }
    if (result < 0) {
        return false;
    }
    if (!PreTranslateMessage(message)) {
        system.windows.TranslateMessage(message);
        system.windows.DispatchMessage(message);
    }
    return true;
}

}  // namespace framework
