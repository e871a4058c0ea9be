// A browser window as the helper sees it, for the helper's tests under Wine: it records the
// bars and commands it is given and fires the browser's events at whoever connected.
#pragma once

#include <ocidl.h>

#include <string>
#include <vector>

#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "tests/wine/web_browser_stubs.h"

namespace corvane::wine {

class TestBrowser final
    : public platform::win32::ComObject<TestBrowser, WebBrowser2Stubs, IConnectionPointContainer,
                                        IConnectionPoint> {
  public:
    TestBrowser() : ComObject(nullptr) {}

    static std::span<const platform::win32::InterfaceEntry<TestBrowser>> InterfaceTable();

    // "AddressBar 1", "FullScreen 0", ..., "Quit", "GoBack", "Advise", "Unadvise".
    std::vector<std::string> calls;
    // What get_Document hands out: the page last loaded, if any.
    platform::win32::ComPtr<IDispatch> document;
    bool Connected() const { return static_cast<bool>(sink_); }

    // Fires BeforeNavigate2 as from `which` (this browser when null); returns the cancel flag.
    bool FireBeforeNavigate2(const std::wstring& url, IDispatch* which = nullptr);
    void FireDocumentComplete(const std::wstring& url, IDispatch* which = nullptr);
    // Fires NewWindow3 as a page's window.open or target=_blank does; returns the cancel flag.
    bool FireNewWindow3(const std::wstring& url);

    STDMETHODIMP put_AddressBar(VARIANT_BOOL on) override { return Record("AddressBar", on); }
    STDMETHODIMP put_FullScreen(VARIANT_BOOL on) override { return Record("FullScreen", on); }
    STDMETHODIMP put_MenuBar(VARIANT_BOOL on) override { return Record("MenuBar", on); }
    STDMETHODIMP put_StatusBar(VARIANT_BOOL on) override { return Record("StatusBar", on); }
    STDMETHODIMP put_ToolBar(int on) override { return Record("ToolBar", on); }
    STDMETHODIMP Quit() override { return Note("Quit"); }
    STDMETHODIMP GoBack() override { return Note("GoBack"); }
    // "Navigate2 <url>".
    STDMETHODIMP Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override;
    STDMETHODIMP get_Document(IDispatch** out) override {
        *out = document.Get();
        if (*out == nullptr) {
            return E_FAIL;
        }
        (*out)->AddRef();
        return S_OK;
    }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  private:
    HRESULT Record(const char* bar, long on) {
        calls.push_back(std::string(bar) + (on != 0 ? " 1" : " 0"));
        return S_OK;
    }
    HRESULT Note(const char* call) {
        calls.push_back(call);
        return S_OK;
    }
    void Fire(DISPID id, std::vector<VARIANT>& arguments);

    platform::win32::ComPtr<IDispatch> sink_;
};

}  // namespace corvane::wine
