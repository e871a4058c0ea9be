#include "browser/server/browser_control.h"

namespace lumbrel::server {

bool BrowserControl::Create(HWND window, RECT position, platform::win32::ModuleCount* module) {
    Close();
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                control_.PutVoid())) ||
        !control_) {
        return false;
    }
    *site_.Put() = new BrowserControlSite(module, window, position);
    IOleClientSite* site = static_cast<IOleClientSite*>(site_.Get());
    if (FAILED(control_->SetClientSite(site)) ||
        FAILED(control_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, window, &position))) {
        Close();
        return false;
    }
    browser_ = control_.As<IWebBrowser2>(IID_IWebBrowser2);
    return static_cast<bool>(browser_);
}

void BrowserControl::Close() {
    browser_.Reset();
    if (control_) {
        control_->Close(OLECLOSE_NOSAVE);
        control_->SetClientSite(nullptr);
        control_.Reset();
    }
    site_.Reset();
}

}  // namespace lumbrel::server
