#include "tools/browse/browser_window.h"

#include "platform/win32/navigate.h"

namespace corvane::tools {

HostedBrowser::HostedBrowser() {
    window_ = CreateWindowExW(0, L"STATIC", L"Lumbrel browse", WS_POPUP, 0, 0, 640, 480, nullptr,
                              nullptr, nullptr, nullptr);
    if (window_ == nullptr ||
        FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                control_.PutVoid())) ||
        !control_) {
        return;
    }
    RECT position{0, 0, 640, 480};
    *site_.Put() = new lumbrel::server::BrowserControlSite(nullptr, window_, position);
    IOleClientSite* site = static_cast<IOleClientSite*>(site_.Get());
    if (FAILED(control_->SetClientSite(site)) ||
        FAILED(control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window_, &position))) {
        return;
    }
    browser_ = control_.As<IWebBrowser2>(IID_IWebBrowser2);
}

HostedBrowser::~HostedBrowser() {
    browser_.Reset();
    if (control_) {
        control_->Close(OLECLOSE_NOSAVE);
        control_->SetClientSite(nullptr);
        control_.Reset();
    }
    site_.Reset();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

HRESULT HostedBrowser::Navigate(const std::wstring& url) {
    return platform::win32::NavigateTo(browser_.Get(), url);
}

}  // namespace corvane::tools
