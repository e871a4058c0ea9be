// A stand-in for the web browser control, for the page host's tests under Wine (which has no
// HTML engine): an in-process COM object that records what its host asks of it and, as the
// real control does, offers each keystroke to the host's UI handler.
#pragma once

#include <string>
#include <vector>

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
#include <mshtmhst.h>
// clang-format on

#include "platform/win32/com_ptr.h"
#include "tests/wine/ole_object_stubs.h"
#include "tests/wine/web_browser_stubs.h"

namespace corvane::wine {

class BrowserControlDouble final : public OleObjectStubs,
                                   public IOleInPlaceActiveObject,
                                   public WebBrowser2Stubs {
  public:
    // What the host did, one line a call: "SetClientSite", "DoVerb -5", "Navigate2 <url>",
    // "TranslateAccelerator <message> <key>", "Close".
    std::vector<std::string> calls;
    // The keystrokes the host's UI handler kept from the browser.
    std::vector<WPARAM> handledKeys;
    ULONG references = 1;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }  // lives in the test

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP Close(DWORD) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) override;
    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG message) override;
    // IWebBrowser2
    STDMETHODIMP Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override;
    STDMETHODIMP get_Document(IDispatch** document) override;

    // The rest is not used by the host.
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFrameWindowActivate(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnDocWindowActivate(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnableModeless(WINBOOL) override { return E_NOTIMPL; }

  private:
    platform::win32::ComPtr<IOleClientSite> site_;
};

// Makes CoCreateInstance of the web browser control in this process give `control`, until
// destroyed.
class BrowserControlRegistration {
  public:
    explicit BrowserControlRegistration(BrowserControlDouble& control);
    ~BrowserControlRegistration();
    BrowserControlRegistration(const BrowserControlRegistration&) = delete;
    BrowserControlRegistration& operator=(const BrowserControlRegistration&) = delete;
    bool Ok() const { return cookie_ != 0; }

  private:
    DWORD cookie_ = 0;
    IClassFactory* factory_ = nullptr;
};

}  // namespace corvane::wine
