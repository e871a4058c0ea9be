// The system's web browser control, in place in one rectangle of a window, with the page's
// context menu off; closed and let go on every path.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
// clang-format on

#include "browser/server/browser_control_site.h"
#include "platform/win32/com_ptr.h"

namespace lumbrel::server {

class BrowserControl {
  public:
    BrowserControl() = default;
    ~BrowserControl() { Close(); }
    BrowserControl(const BrowserControl&) = delete;
    BrowserControl& operator=(const BrowserControl&) = delete;

    // False when the control cannot be made or placed; `module` counts the site, if given.
    bool Create(HWND window, RECT position, platform::win32::ModuleCount* module);
    void Close();
    // Null until Create succeeded.
    IWebBrowser2* Browser() const { return browser_.Get(); }

  private:
    platform::win32::ComPtr<IOleObject> control_;
    platform::win32::ComPtr<BrowserControlSite> site_;
    platform::win32::ComPtr<IWebBrowser2> browser_;
};

}  // namespace lumbrel::server
