#include "browser/server/lumbrel_bho.h"

// clang-format off
#include <exdispid.h>
#include <mshtml.h>
// clang-format on

#include "platform/win32/event_dispatch.h"
#include "platform/win32/wide.h"

namespace lumbrel::server {

using platform::win32::Bstr;
using platform::win32::ComPtr;
using platform::win32::Entry;
using platform::win32::FromBstr;
using platform::win32::Guarded;
using platform::win32::InterfaceEntry;

namespace {

// The show-script-error command of the page's command target.
constexpr DWORD kShowScriptError = 40;

IDispatch* DispatchArgument(const VARIANT& argument) {
    if (argument.vt == VT_DISPATCH) {
        return argument.pdispVal;
    }
    if (argument.vt == (VT_DISPATCH | VT_BYREF) && argument.ppdispVal != nullptr) {
        return *argument.ppdispVal;
    }
    return nullptr;
}

ComPtr<IUnknown> Identity(IUnknown* object) {
    ComPtr<IUnknown> identity;
    if (object != nullptr) {
        object->QueryInterface(IID_IUnknown, identity.PutVoid());
    }
    return identity;
}

}  // namespace

// The browser's DWebBrowserEvents2 reach the helper through this separate dispatch object,
// which QueryInterface on the helper never hands out. It holds the helper weakly: the helper
// disconnects it before it goes.
class BrowserEventSink final
    : public platform::win32::ComObject<BrowserEventSink, platform::win32::EventDispatch> {
  public:
    BrowserEventSink(platform::win32::ModuleCount& module, CLumbrelBHO& owner)
        : ComObject(&module), owner_(&owner) {}

    static std::span<const InterfaceEntry<BrowserEventSink>> InterfaceTable() {
        static const InterfaceEntry<BrowserEventSink> table[] = {
            Entry<BrowserEventSink, platform::win32::EventDispatch>(DIID_DWebBrowserEvents2),
            Entry<BrowserEventSink, platform::win32::EventDispatch>(IID_IDispatch)};
        return table;
    }

    void Orphan() { owner_ = nullptr; }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (owner_ == nullptr || params == nullptr || params->rgvarg == nullptr) {
            return S_OK;
        }
        return Guarded([&]() -> HRESULT {
            // Arguments arrive last first.
            const VARIANT* args = params->rgvarg;
            if (id == DISPID_BEFORENAVIGATE2 && params->cArgs == 7) {
                VARIANT_BOOL* cancel =
                    args[0].vt == (VT_BOOL | VT_BYREF) ? args[0].pboolVal : nullptr;
                try {
                    owner_->OnBeforeNavigate2(DispatchArgument(args[6]),
                                              platform::win32::VariantText(args[5]), cancel);
                } catch (...) {
                    // Not decided is not allowed.
                    if (cancel != nullptr) {
                        *cancel = VARIANT_TRUE;
                    }
                    throw;
                }
            } else if (id == DISPID_DOCUMENTCOMPLETE && params->cArgs == 2) {
                owner_->OnDocumentComplete(DispatchArgument(args[1]));
            } else if (id == DISPID_NEWWINDOW3 && params->cArgs == 5) {
                VARIANT_BOOL* cancel =
                    args[3].vt == (VT_BOOL | VT_BYREF) ? args[3].pboolVal : nullptr;
                try {
                    owner_->OnNewWindow3(platform::win32::VariantText(args[0]), cancel);
                } catch (...) {
                    if (cancel != nullptr) {
                        *cancel = VARIANT_TRUE;
                    }
                    throw;
                }
            }
            return S_OK;  // OnQuit and every other event: nothing to do
        });
    }

  private:
    CLumbrelBHO* owner_;
};

CLumbrelBHO::CLumbrelBHO(ServerContext& server)
    : ComObject(&server.objects),
      server_(server),
      dialogs_(server.module),
      helper_(server.system, server.attachedBrowserCount, dialogs_) {}

CLumbrelBHO::~CLumbrelBHO() {
    Detach();
}

std::span<const InterfaceEntry<CLumbrelBHO>> CLumbrelBHO::InterfaceTable() {
    static const InterfaceEntry<CLumbrelBHO> table[] = {
        Entry<CLumbrelBHO, ILumbrelBHO>(kIidLumbrelBHO),
        Entry<CLumbrelBHO, ILumbrelBHO>(IID_IDispatch),
        Entry<CLumbrelBHO, IObjectWithSite>(IID_IObjectWithSite),
        Entry<CLumbrelBHO, IDocHostUIHandler>(IID_IDocHostUIHandler),
        Entry<CLumbrelBHO, IOleCommandTarget>(IID_IOleCommandTarget)};
    return table;
}

HRESULT CLumbrelBHO::Create(platform::win32::ModuleCount&, REFIID iid, void** out) {
    return platform::win32::CreateAndQuery<CLumbrelBHO>(iid, out, Server());
}

// IDispatch

ITypeInfo* CLumbrelBHO::TypeInfo() {
    if (typeInfo_) {
        return typeInfo_.Get();
    }
    ComPtr<ITypeLib> library;
    if (FAILED(LoadRegTypeLib(kLibidLumbrelLib, 1, 0, LOCALE_NEUTRAL, library.Put()))) {
        // Not registered: the library in this file serves as well.
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(server_.module, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH ||
            FAILED(LoadTypeLibEx(path, REGKIND_NONE, library.Put()))) {
            return nullptr;
        }
    }
    library->GetTypeInfoOfGuid(kIidLumbrelBHO, typeInfo_.Put());
    return typeInfo_.Get();
}

STDMETHODIMP CLumbrelBHO::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 1;
    return S_OK;
}

STDMETHODIMP CLumbrelBHO::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) {
        return E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return DISP_E_BADINDEX;
    }
    ITypeInfo* typeInfo = TypeInfo();
    if (typeInfo == nullptr) {
        return TYPE_E_CANTLOADLIBRARY;
    }
    typeInfo->AddRef();
    *info = typeInfo;
    return S_OK;
}

STDMETHODIMP CLumbrelBHO::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    ITypeInfo* typeInfo = TypeInfo();
    return typeInfo ? DispGetIDsOfNames(typeInfo, names, count, ids) : TYPE_E_CANTLOADLIBRARY;
}

STDMETHODIMP CLumbrelBHO::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    ITypeInfo* typeInfo = TypeInfo();
    if (typeInfo == nullptr) {
        return TYPE_E_CANTLOADLIBRARY;
    }
    return DispInvoke(static_cast<ILumbrelBHO*>(this), typeInfo, id, flags, params, result,
                      exception, argumentError);
}

// IObjectWithSite

STDMETHODIMP CLumbrelBHO::SetSite(IUnknown* site) {
    // The policy page's loop lets the browser call in and release this helper: it stays alive
    // until this call is over.
    const ComPtr<CLumbrelBHO> self = ComPtr<CLumbrelBHO>::Borrow(this);
    Guarded([&] {
        Detach();
        if (site != nullptr) {
            Attach(site);
        }
        return S_OK;
    });
    // The new site is kept whether or not it is a browser.
    site_ = ComPtr<IUnknown>::Borrow(site);
    return S_OK;
}

STDMETHODIMP CLumbrelBHO::GetSite(REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!site_) {
        return E_FAIL;
    }
    return site_->QueryInterface(iid, out);
}

void CLumbrelBHO::Attach(IUnknown* site) {
    ComPtr<IWebBrowser2> browser;
    if (FAILED(site->QueryInterface(IID_IWebBrowser2, browser.PutVoid())) || !browser) {
        return;  // not a browser: nothing to filter
    }
    bool watched = false;
    try {
        auto window = std::make_shared<WebBrowserWindow>(browser);
        ComPtr<BrowserEventSink> sink;
        *sink.Put() = new BrowserEventSink(server_.objects, *this);
        if (FAILED(events_.Connect(browser.Get(), DIID_DWebBrowserEvents2,
                                   static_cast<IDispatch*>(sink.Get())))) {
            sink->Orphan();
        } else {
            browser_ = browser;
            sink_ = sink;
            window_ = std::move(window);
            watched = true;
        }
    } catch (...) {
        // Nothing is watched yet: closed below.
    }
    if (!watched) {
        // A window whose navigations cannot be seen cannot be filtered: it is closed.
        browser->Quit();
        return;
    }
    // Held here too: a detach while the policy page is up resets window_.
    const std::shared_ptr<WebBrowserWindow> window = window_;
    helper_.Attach(*window);  // a failure there leaves the window refusing everything
}

void CLumbrelBHO::Detach() {
    helper_.Detach();
    events_.Disconnect();
    if (sink_) {
        sink_->Orphan();
        sink_.Reset();
    }
    window_.reset();
    browser_.Reset();
    defaultUIHandler_.Reset();
    defaultCommandTarget_.Reset();
}

// Events

bool CLumbrelBHO::IsOurBrowser(IDispatch* which) const {
    if (which == nullptr || !browser_) {
        return false;
    }
    ComPtr<IWebBrowser2> other;
    if (FAILED(which->QueryInterface(IID_IWebBrowser2, other.PutVoid())) || !other) {
        return false;
    }
    const ComPtr<IUnknown> theirs = Identity(other.Get());
    return theirs && theirs.Get() == Identity(browser_.Get()).Get();
}

void CLumbrelBHO::OnBeforeNavigate2(IDispatch* which, const std::string& address,
                                    VARIANT_BOOL* cancel) {
    // Only this browser's events reach the sink: one from another object is from a frame.
    const bool refused =
        IsOurBrowser(which) ? helper_.OnBeforeNavigate(address) : helper_.OnFrameNavigate(address);
    if (refused && cancel != nullptr) {
        *cancel = VARIANT_TRUE;
    }
}

void CLumbrelBHO::OnNewWindow3(const std::string& address, VARIANT_BOOL* cancel) {
    if (helper_.OnNewWindow(address) && cancel != nullptr) {
        *cancel = VARIANT_TRUE;
    }
}

void CLumbrelBHO::OnDocumentComplete(IDispatch* which) {
    if (!IsOurBrowser(which)) {
        return;
    }
    ComPtr<IDispatch> document;
    if (FAILED(browser_->get_Document(document.Put())) || !document) {
        return;
    }
    ComPtr<IHTMLDocument2> html = document.As<IHTMLDocument2>(IID_IHTMLDocument2);
    if (!html) {
        return;
    }
    TakePageHandlers(document.Get());
    helper_.OnDocumentComplete([&] { return BodyMarkup(document.Get()); });
}

void CLumbrelBHO::TakePageHandlers(IDispatch* document) {
    // This page's own, or none: never the handlers of the page before it.
    defaultUIHandler_.Reset();
    defaultCommandTarget_.Reset();
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> clientSite;
    if (SUCCEEDED(document->QueryInterface(IID_IOleObject, object.PutVoid())) && object &&
        SUCCEEDED(object->GetClientSite(clientSite.Put())) && clientSite) {
        ComPtr<IDocHostUIHandler> handler = clientSite.As<IDocHostUIHandler>(IID_IDocHostUIHandler);
        // Once this object is the document's handler, the site may answer with it: never
        // forward to ourselves.
        const ComPtr<IUnknown> self = Identity(static_cast<ILumbrelBHO*>(this));
        ComPtr<IOleCommandTarget> target = clientSite.As<IOleCommandTarget>(IID_IOleCommandTarget);
        defaultUIHandler_ =
            Identity(handler.Get()).Get() == self.Get() ? ComPtr<IDocHostUIHandler>() : handler;
        defaultCommandTarget_ =
            Identity(target.Get()).Get() == self.Get() ? ComPtr<IOleCommandTarget>() : target;
    }
    ComPtr<ICustomDoc> custom;
    if (SUCCEEDED(document->QueryInterface(kIidCustomDoc, custom.PutVoid())) && custom) {
        custom->SetUIHandler(static_cast<IDocHostUIHandler*>(this));
    }
}

std::optional<std::string> CLumbrelBHO::BodyMarkup(IDispatch* document) const {
    ComPtr<IHTMLDocument2> html;
    ComPtr<IHTMLElement> body;
    if (FAILED(document->QueryInterface(IID_IHTMLDocument2, html.PutVoid())) || !html ||
        FAILED(html->get_body(body.Put())) || !body) {
        return std::nullopt;
    }
    Bstr markup;
    if (FAILED(body->get_outerHTML(markup.Put())) || markup.Get() == nullptr) {
        return std::nullopt;
    }
    return FromBstr(markup.Get());
}

// IDocHostUIHandler

STDMETHODIMP CLumbrelBHO::ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                                          IDispatch* object) {
    return defaultUIHandler_ ? defaultUIHandler_->ShowContextMenu(id, point, target, object)
                             : S_FALSE;
}
STDMETHODIMP CLumbrelBHO::GetHostInfo(DOCHOSTUIINFO* info) {
    return defaultUIHandler_ ? defaultUIHandler_->GetHostInfo(info) : S_OK;
}
STDMETHODIMP CLumbrelBHO::ShowUI(DWORD id, IOleInPlaceActiveObject* active,
                                 IOleCommandTarget* target, IOleInPlaceFrame* frame,
                                 IOleInPlaceUIWindow* document) {
    return defaultUIHandler_ ? defaultUIHandler_->ShowUI(id, active, target, frame, document)
                             : S_FALSE;
}
STDMETHODIMP CLumbrelBHO::HideUI() {
    return defaultUIHandler_ ? defaultUIHandler_->HideUI() : S_OK;
}
STDMETHODIMP CLumbrelBHO::UpdateUI() {
    return defaultUIHandler_ ? defaultUIHandler_->UpdateUI() : S_OK;
}
STDMETHODIMP CLumbrelBHO::EnableModeless(BOOL enable) {
    return defaultUIHandler_ ? defaultUIHandler_->EnableModeless(enable) : S_OK;
}
STDMETHODIMP CLumbrelBHO::OnDocWindowActivate(BOOL activate) {
    return defaultUIHandler_ ? defaultUIHandler_->OnDocWindowActivate(activate) : S_OK;
}
STDMETHODIMP CLumbrelBHO::OnFrameWindowActivate(BOOL activate) {
    return defaultUIHandler_ ? defaultUIHandler_->OnFrameWindowActivate(activate) : S_OK;
}
STDMETHODIMP CLumbrelBHO::ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                                       BOOL frameWindow) {
    return defaultUIHandler_ ? defaultUIHandler_->ResizeBorder(border, window, frameWindow) : S_OK;
}
STDMETHODIMP CLumbrelBHO::TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) {
    return defaultUIHandler_ ? defaultUIHandler_->TranslateAccelerator(message, group, command)
                             : E_NOTIMPL;
}
STDMETHODIMP CLumbrelBHO::GetOptionKeyPath(LPOLESTR* key, DWORD reserved) {
    if (defaultUIHandler_) {
        return defaultUIHandler_->GetOptionKeyPath(key, reserved);
    }
    if (key != nullptr) {
        *key = nullptr;
    }
    return E_FAIL;
}
STDMETHODIMP CLumbrelBHO::GetDropTarget(IDropTarget* dropTarget, IDropTarget** out) {
    if (defaultUIHandler_) {
        return defaultUIHandler_->GetDropTarget(dropTarget, out);
    }
    // Success would make the browser use a drop target nobody gave it: keep its own.
    if (out != nullptr) {
        *out = nullptr;
    }
    return E_NOTIMPL;
}
STDMETHODIMP CLumbrelBHO::GetExternal(IDispatch** out) {
    if (defaultUIHandler_) {
        return defaultUIHandler_->GetExternal(out);
    }
    if (out != nullptr) {
        *out = nullptr;
    }
    return S_FALSE;
}
STDMETHODIMP CLumbrelBHO::TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) {
    if (defaultUIHandler_) {
        return defaultUIHandler_->TranslateUrl(translate, url, out);
    }
    if (out != nullptr) {
        *out = nullptr;
    }
    return S_FALSE;
}
STDMETHODIMP CLumbrelBHO::FilterDataObject(IDataObject* data, IDataObject** out) {
    if (defaultUIHandler_) {
        return defaultUIHandler_->FilterDataObject(data, out);
    }
    if (out != nullptr) {
        *out = nullptr;
    }
    return S_FALSE;
}

// IOleCommandTarget

STDMETHODIMP CLumbrelBHO::QueryStatus(const GUID* group, ULONG count, OLECMD* commands,
                                      OLECMDTEXT* text) {
    return defaultCommandTarget_ ? defaultCommandTarget_->QueryStatus(group, count, commands, text)
                                 : E_NOTIMPL;
}

STDMETHODIMP CLumbrelBHO::Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in,
                               VARIANT* out) {
    if (command == kShowScriptError) {
        // Go on running the page's scripts, and ask nobody.
        if (out != nullptr) {
            VariantClear(out);
            out->vt = VT_BOOL;
            out->boolVal = VARIANT_TRUE;
        }
        return S_OK;
    }
    return defaultCommandTarget_ ? defaultCommandTarget_->Exec(group, command, options, in, out)
                                 : E_NOTIMPL;
}

}  // namespace lumbrel::server
