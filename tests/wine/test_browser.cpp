#include "tests/wine/test_browser.h"

#include <exdispid.h>
#include <olectl.h>

#include <algorithm>

namespace corvane::wine {

using platform::win32::Entry;
using platform::win32::InterfaceEntry;

namespace {

VARIANT Dispatch(IDispatch* which) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = which;
    return v;
}

// A text argument; the caller clears it.
VARIANT Text(const std::wstring& text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = SysAllocString(text.c_str());
    return v;
}

// The event's cancel flag, which the handler may set.
VARIANT CancelFlag(VARIANT_BOOL* cancel) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BOOL | VT_BYREF;
    v.pboolVal = cancel;
    return v;
}

VARIANT ByReference(VARIANT* target) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_VARIANT | VT_BYREF;
    v.pvarVal = target;
    return v;
}

}  // namespace

std::span<const InterfaceEntry<TestBrowser>> TestBrowser::InterfaceTable() {
    static const InterfaceEntry<TestBrowser> table[] = {
        Entry<TestBrowser, WebBrowser2Stubs>(IID_IWebBrowser2),
        Entry<TestBrowser, WebBrowser2Stubs>(IID_IWebBrowserApp),
        Entry<TestBrowser, WebBrowser2Stubs>(IID_IWebBrowser),
        Entry<TestBrowser, WebBrowser2Stubs>(IID_IDispatch),
        Entry<TestBrowser, IConnectionPointContainer>(IID_IConnectionPointContainer),
        Entry<TestBrowser, IConnectionPoint>(IID_IConnectionPoint)};
    return table;
}

STDMETHODIMP TestBrowser::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    *point = nullptr;
    if (iid != DIID_DWebBrowserEvents2) {
        return CONNECT_E_NOCONNECTION;
    }
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP TestBrowser::Advise(IUnknown* sink, DWORD* cookie) {
    calls.push_back("Advise");
    if (sink_ || FAILED(sink->QueryInterface(IID_IDispatch, sink_.PutVoid()))) {
        return CONNECT_E_ADVISELIMIT;
    }
    *cookie = 7;
    return S_OK;
}

STDMETHODIMP TestBrowser::Unadvise(DWORD cookie) {
    calls.push_back("Unadvise");
    if (cookie != 7 || !sink_) {
        return CONNECT_E_NOCONNECTION;
    }
    sink_.Reset();
    return S_OK;
}

void TestBrowser::Fire(DISPID id, std::vector<VARIANT>& arguments) {
    if (!sink_) {
        return;
    }
    std::reverse(arguments.begin(), arguments.end());  // dispatch wants them last first
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    sink_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                  nullptr);
}

bool TestBrowser::FireBeforeNavigate2(const std::wstring& url, IDispatch* which) {
    VARIANT address = Text(url);
    VARIANT empty;
    VariantInit(&empty);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* from = which ? which : static_cast<WebBrowser2Stubs*>(this);
    std::vector<VARIANT> arguments = {
        Dispatch(from),      ByReference(&address), ByReference(&empty), ByReference(&empty),
        ByReference(&empty), ByReference(&empty),   CancelFlag(&cancel)};
    Fire(DISPID_BEFORENAVIGATE2, arguments);
    VariantClear(&address);
    return cancel == VARIANT_TRUE;
}

void TestBrowser::FireDocumentComplete(const std::wstring& url, IDispatch* which) {
    VARIANT address = Text(url);
    IDispatch* from = which ? which : static_cast<WebBrowser2Stubs*>(this);
    std::vector<VARIANT> arguments = {Dispatch(from), ByReference(&address)};
    Fire(DISPID_DOCUMENTCOMPLETE, arguments);
    VariantClear(&address);
}

bool TestBrowser::FireNewWindow3(const std::wstring& url) {
    VARIANT address = Text(url);
    VARIANT context = Text(L"http://www.example.com/");
    VARIANT flags;
    VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = 0x6;  // NWMF_USERINITED | NWMF_FIRST
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* opened = nullptr;
    VARIANT openedArgument;
    VariantInit(&openedArgument);
    openedArgument.vt = VT_DISPATCH | VT_BYREF;
    openedArgument.ppdispVal = &opened;
    std::vector<VARIANT> arguments = {openedArgument, CancelFlag(&cancel), flags, context, address};
    Fire(DISPID_NEWWINDOW3, arguments);
    VariantClear(&address);
    VariantClear(&context);
    return cancel == VARIANT_TRUE;
}

STDMETHODIMP TestBrowser::Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    calls.push_back("Navigate2 " + (url != nullptr ? platform::win32::VariantText(*url) : ""));
    return S_OK;
}

}  // namespace corvane::wine
