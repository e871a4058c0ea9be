// The real platform objects of one process, as the entry points build them.
#pragma once

#include "platform/system.h"
#include "platform/win32/file_system.h"
#include "platform/win32/process_system.h"
#include "platform/win32/registry.h"
#include "platform/win32/window_system.h"

namespace platform::win32 {

class Win32System {
  public:
    System& Get() { return system_; }

  private:
    Win32Registry registry_;
    Win32WindowSystem windows_;
    Win32ProcessSystem processes_;
    Win32Resources resources_;
    Win32FileSystem files_;
    System system_{registry_, windows_, processes_, resources_, files_};
};

}  // namespace platform::win32
