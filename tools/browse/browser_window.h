// The system's web browser control in a window of this program, as a browser window would
// hold it: in place, with its events open to sinks, navigated by address.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
// clang-format on

#include <string>

#include "browser/server/browser_control.h"
#include "platform/win32/com_ptr.h"

namespace corvane::tools {

class HostedBrowser {
  public:
    HostedBrowser();
    ~HostedBrowser();
    HostedBrowser(const HostedBrowser&) = delete;
    HostedBrowser& operator=(const HostedBrowser&) = delete;

    // Null when the control could not be made or placed.
    IWebBrowser2* Browser() const { return control_.Browser(); }
    HRESULT Navigate(const std::wstring& url);
    // Handles this thread's messages until `done` holds or about ten seconds have passed.
    template <class Done>
    void PumpUntil(Done done) {
        for (int i = 0; i < 500 && !done(); ++i) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&message);
            }
            if (!done()) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            }
        }
    }

  private:
    HWND window_ = nullptr;
    lumbrel::server::BrowserControl control_;
};

}  // namespace corvane::tools
