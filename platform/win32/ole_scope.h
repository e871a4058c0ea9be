// OLE on the calling thread for as long as the scope lives: the browser control of the pages
// needs it.
#pragma once

#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <ole2.h>

namespace platform::win32 {

class OleScope {
  public:
    OleScope() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleScope() {
        if (ok_) {
            OleUninitialize();
        }
    }
    OleScope(const OleScope&) = delete;
    OleScope& operator=(const OleScope&) = delete;

  private:
    bool ok_;
};

}  // namespace platform::win32
