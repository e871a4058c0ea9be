#include "tests/wine/browser_control_double.h"

#include "platform/win32/com_object.h"
#include "platform/win32/wide.h"

namespace corvane::wine {

namespace {

// Hands out the one control of the test.
class Factory final : public platform::win32::ComObject<Factory, IClassFactory> {
  public:
    explicit Factory(BrowserControlDouble& control) : ComObject(nullptr), control_(control) {}
    static std::span<const platform::win32::InterfaceEntry<Factory>> InterfaceTable() {
        static const platform::win32::InterfaceEntry<Factory> table[] = {
            platform::win32::Entry<Factory, IClassFactory>(IID_IClassFactory)};
        return table;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        return outer != nullptr ? CLASS_E_NOAGGREGATION : control_.QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

  private:
    BrowserControlDouble& control_;
};

}  // namespace

STDMETHODIMP BrowserControlDouble::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
        *out = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceActiveObject) {
        *out = static_cast<IOleInPlaceActiveObject*>(this);
    } else if (iid == IID_IDispatch || iid == IID_IWebBrowser || iid == IID_IWebBrowserApp ||
               iid == IID_IWebBrowser2) {
        *out = static_cast<IWebBrowser2*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP BrowserControlDouble::SetClientSite(IOleClientSite* site) {
    calls.push_back(site != nullptr ? "SetClientSite" : "SetClientSite null");
    site_ = platform::win32::ComPtr<IOleClientSite>();
    if (site != nullptr) {
        site->AddRef();
        *site_.Put() = site;
    }
    return S_OK;
}

STDMETHODIMP BrowserControlDouble::GetClientSite(IOleClientSite** site) {
    *site = site_.Get();
    if (*site != nullptr) {
        (*site)->AddRef();
    }
    return S_OK;
}

STDMETHODIMP BrowserControlDouble::Close(DWORD) {
    calls.push_back("Close");
    return S_OK;
}

STDMETHODIMP BrowserControlDouble::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) {
    calls.push_back("DoVerb " + std::to_string(verb));
    return S_OK;
}

STDMETHODIMP BrowserControlDouble::TranslateAccelerator(LPMSG message) {
    calls.push_back("TranslateAccelerator " + std::to_string(message->message) + " " +
                    std::to_string(message->wParam));
    // As the real control: the host's UI handler decides first.
    auto handler = site_.As<IDocHostUIHandler>(IID_IDocHostUIHandler);
    if (handler && handler->TranslateAccelerator(message, nullptr, 0) == S_OK) {
        handledKeys.push_back(message->wParam);
        return S_OK;
    }
    return S_FALSE;
}

STDMETHODIMP BrowserControlDouble::Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    const bool text = url != nullptr && url->vt == VT_BSTR && url->bstrVal != nullptr;
    calls.push_back("Navigate2 " + (text ? platform::win32::Narrow(url->bstrVal) : std::string()));
    return S_OK;
}

STDMETHODIMP BrowserControlDouble::get_Document(IDispatch** document) {
    *document = nullptr;  // no HTML engine behind it
    return S_FALSE;
}

BrowserControlRegistration::BrowserControlRegistration(BrowserControlDouble& control)
    : factory_(new Factory(control)) {
    if (FAILED(CoRegisterClassObject(CLSID_WebBrowser, factory_, CLSCTX_INPROC_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_))) {
        cookie_ = 0;
    }
}

BrowserControlRegistration::~BrowserControlRegistration() {
    if (cookie_ != 0) {
        CoRevokeClassObject(cookie_);
    }
    factory_->Release();
}

}  // namespace corvane::wine
