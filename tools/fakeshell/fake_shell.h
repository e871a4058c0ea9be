// A stand-in for the Windows shell's own windows, where no shell runs (Wine, the sim): the
// desktop ("Progman" with "SHELLDLL_DefView") and the taskbar ("Shell_TrayWnd" with its
// "Button", "TrayNotifyWnd" and "ReBarWindow32"), all shown, until a quit message.
#pragma once

#include "platform/system.h"

namespace corvane::tools {

int RunFakeShell(platform::System& system, bool withTaskbar);

}  // namespace corvane::tools
