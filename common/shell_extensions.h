// The extension library as the main program calls it.
#pragma once

#include "platform/window_system.h"

namespace corvane {

class ShellExtensions {
  public:
    virtual ~ShellExtensions() = default;
    // Non-zero on success.
    virtual int StartExtensions(platform::WindowHandle mainWindow) = 0;
    virtual int EndExtensions() = 0;
    // After the shell made its windows again: hides them again as user mode had them. Non-zero
    // when a pass ran.
    virtual int HideShellAgain() = 0;
    // The settings changed while user mode runs (an organisation's policy refresh): the key
    // and click rules and the shell's windows follow them as they now read. Non-zero on success.
    virtual int ApplySettingsAgain() = 0;
};

}  // namespace corvane
