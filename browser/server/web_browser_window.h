// The helper's view of the browser it is attached to, over IWebBrowser2.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
// clang-format on

#include "browser/helper/lumbrel_helper.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"

namespace lumbrel::server {

class WebBrowserWindow final : public BrowserWindow {
  public:
    explicit WebBrowserWindow(platform::win32::ComPtr<IWebBrowser2> browser)
        : browser_(std::move(browser)) {}

    void PutAddressBar(bool shown) override { browser_->put_AddressBar(Bool(shown)); }
    void PutFullScreen(bool on) override { browser_->put_FullScreen(Bool(on)); }
    void PutMenuBar(bool shown) override { browser_->put_MenuBar(Bool(shown)); }
    void PutStatusBar(bool shown) override { browser_->put_StatusBar(Bool(shown)); }
    void PutToolBar(bool shown) override { browser_->put_ToolBar(shown ? 1 : 0); }
    void Quit() override { browser_->Quit(); }
    void GoBack() override { browser_->GoBack(); }
    void Navigate(const std::string& address) override {
        const platform::win32::Bstr text(platform::win32::Wide(address).c_str());
        if (text.Get() == nullptr) {
            return;
        }
        VARIANT url;
        VariantInit(&url);
        url.vt = VT_BSTR;
        url.bstrVal = text.Get();  // still the string's: no VariantClear
        browser_->Navigate2(&url, nullptr, nullptr, nullptr, nullptr);
    }

  private:
    static VARIANT_BOOL Bool(bool on) { return on ? VARIANT_TRUE : VARIANT_FALSE; }

    platform::win32::ComPtr<IWebBrowser2> browser_;  // alive as long as this view
};

}  // namespace lumbrel::server
