#include "platform/win32/html_host.h"

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
#include <exdispid.h>
#include <mshtml.h>
#include <mshtmhst.h>
// clang-format on

#include "platform/win32/browser_site.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/event_dispatch.h"
#include "platform/win32/navigate.h"
#include "platform/win32/wide.h"

namespace platform::win32 {

namespace {

// IHTMLElement3, which MinGW's uuid library lacks.
constexpr IID kIidHtmlElement3 = {
    0x3050f673, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};

HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

// The sites the control calls back into. Reference counted by the control; it outlives the
// host only until the control lets go, and forwards nothing once the host has detached.
class BrowserSite final : public ComObject<BrowserSite, BrowserSiteBase, EventDispatch> {
  public:
    BrowserSite(HWND window, HtmlEvents& events) : ComObject(nullptr), events_(&events) {
        PlaceIn(window, std::nullopt,
                DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_SCROLL_NO);
    }

    static std::span<const InterfaceEntry<BrowserSite>> InterfaceTable() {
        static const InterfaceEntry<BrowserSite> table[] = {
            Entry<BrowserSite, IOleClientSite>(IID_IOleClientSite),
            Entry<BrowserSite, IOleInPlaceSite>(IID_IOleWindow),
            Entry<BrowserSite, IOleInPlaceSite>(IID_IOleInPlaceSite),
            Entry<BrowserSite, IDocHostUIHandler>(IID_IDocHostUIHandler),
            Entry<BrowserSite, EventDispatch>(IID_IDispatch),
            Entry<BrowserSite, EventDispatch>(DIID_DWebBrowserEvents2)};
        return table;
    }

    void Detach() { events_ = nullptr; }
    void SetBrowser(IDispatch* browser) { browser_ = browser; }
    // The document whose onclick this site is; clicks arrive as its default member.
    void SetDocument(IHTMLDocument2* document) { document_ = document; }

    // The dialog's keyboard filter.
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID*, DWORD) override {
        if (events_ == nullptr || msg == nullptr) {
            return S_FALSE;
        }
        const Message message{
            static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(msg->hwnd)),
            msg->message,
            msg->wParam,
            msg->lParam,
            msg->time,
            msg->pt.x,
            msg->pt.y};
        try {
            return events_->OnTranslateAccelerator(message) ? S_OK : S_FALSE;
        } catch (...) {
            return S_FALSE;  // the control's own handling
        }
    }
    // IDispatch: the browser's events.
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override {
        if (events_ == nullptr) {
            return S_OK;
        }
        return Guarded([&]() -> HRESULT {
            if (id == DISPID_VALUE) {
                OnClick();
                return S_OK;
            }
            if (params == nullptr) {
                return S_OK;
            }
            // Arguments come last first: the window's IDispatch, then the address.
            if (id == DISPID_DOCUMENTCOMPLETE && params->cArgs >= 2) {
                const std::string address = VariantText(params->rgvarg[0]);
                const VARIANT& which = params->rgvarg[1];
                const bool topLevel = which.vt == VT_DISPATCH && which.pdispVal == browser_;
                events_->OnDocumentComplete(address, topLevel);
            }
            return S_OK;
        });
    }

  private:
    // A click anywhere on the page: the element's own id, or its nearest ancestor's.
    void OnClick() {
        if (document_ == nullptr) {
            return;
        }
        ComPtr<IHTMLWindow2> window;
        if (FAILED(document_->get_parentWindow(window.Put())) || !window) {
            return;
        }
        ComPtr<IHTMLEventObj> event;
        if (FAILED(window->get_event(event.Put())) || !event) {
            return;
        }
        ComPtr<IHTMLElement> element;
        event->get_srcElement(element.Put());
        while (element) {
            Bstr id;
            element->get_id(id.Put());
            if (id.Get() != nullptr && SysStringLen(id.Get()) > 0) {
                events_->OnElementClick(FromBstr(id.Get()));
                return;
            }
            ComPtr<IHTMLElement> parent;
            element->get_parentElement(parent.Put());
            element = parent;
        }
    }

    HtmlEvents* events_;
    IDispatch* browser_ = nullptr;        // not owned: compared only
    IHTMLDocument2* document_ = nullptr;  // not owned: the host holds it
};

class WebBrowserHost final : public HtmlHost, public HtmlDocument {
  public:
    WebBrowserHost(HWND window, HtmlEvents& events) : window_(window), events_(events) {}

    ~WebBrowserHost() override {
        DetachClicks();
        if (connection_ && cookie_ != 0) {
            connection_->Unadvise(cookie_);
        }
        if (object_) {
            object_->Close(OLECLOSE_NOSAVE);
            object_->SetClientSite(nullptr);
        }
        if (site_) {
            site_->Detach();
            site_->Release();
        }
    }

    bool Start() {
        site_ = new BrowserSite(window_, events_);
        if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                    object_.PutVoid())) ||
            !object_) {
            return false;
        }
        if (FAILED(object_->SetClientSite(site_))) {
            return false;
        }
        RECT rect{};
        GetClientRect(window_, &rect);
        if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site_, 0, window_, &rect))) {
            return false;
        }
        browser_ = object_.As<IWebBrowser2>(IID_IWebBrowser2);
        if (!browser_) {
            return false;
        }
        active_ = object_.As<IOleInPlaceActiveObject>(IID_IOleInPlaceActiveObject);
        site_->SetBrowser(object_.As<IDispatch>(IID_IDispatch).Get());
        auto container = object_.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
        if (container &&
            SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, connection_.Put()))) {
            connection_->Advise(static_cast<IDispatch*>(site_), &cookie_);
        }
        return true;
    }

    bool LoadResource(uint32_t htmlId) override {
        wchar_t module[MAX_PATH];
        GetModuleFileNameW(nullptr, module, MAX_PATH);
        return Navigate(Narrow(std::wstring(L"res://") + module + L"/" + std::to_wstring(htmlId)));
    }

    bool Navigate(const std::string& url) override {
        DetachClicks();
        return SUCCEEDED(NavigateTo(browser_.Get(), Wide(url)));
    }

    HtmlDocument* Document() override {
        ComPtr<IDispatch> dispatch;
        if (FAILED(browser_->get_Document(dispatch.Put())) || !dispatch) {
            return nullptr;
        }
        document_ = dispatch.As<IHTMLDocument2>(IID_IHTMLDocument2);
        if (!document_) {
            return nullptr;
        }
        AttachClicks();
        return this;
    }

    bool OfferKeystroke(const Message& message) override {
        const HWND target = Hwnd(message.window);
        if (!active_ || (target != window_ && !IsChild(window_, target))) {
            return false;
        }
        MSG msg{target,         message.message, message.wParam,
                message.lParam, message.time,    POINT{message.x, message.y}};
        return active_->TranslateAccelerator(&msg) == S_OK;
    }

    bool Has(const std::string& id) const override { return static_cast<bool>(Element(id)); }

    std::optional<std::string> Value(const std::string& id) const override {
        auto input = Element(id).As<IHTMLInputElement>(IID_IHTMLInputElement);
        if (!input) {
            return std::nullopt;
        }
        Bstr value;
        input->get_value(value.Put());
        return FromBstr(value.Get());
    }
    bool SetValue(const std::string& id, const std::string& value) override {
        auto input = Element(id).As<IHTMLInputElement>(IID_IHTMLInputElement);
        Bstr text(Wide(value).c_str());
        return input && SUCCEEDED(input->put_value(text.Get()));
    }
    std::optional<int> CheckState(const std::string& id) const override {
        auto input = Element(id).As<IHTMLInputElement>(IID_IHTMLInputElement);
        if (!input) {
            return std::nullopt;
        }
        VARIANT_BOOL checked = VARIANT_FALSE;
        VARIANT_BOOL indeterminate = VARIANT_FALSE;
        input->get_checked(&checked);
        input->get_indeterminate(&indeterminate);
        return (checked ? 1 : 0) | (indeterminate ? 2 : 0);
    }
    bool SetCheckState(const std::string& id, int state) override {
        auto input = Element(id).As<IHTMLInputElement>(IID_IHTMLInputElement);
        return input && SUCCEEDED(input->put_checked((state & 1) ? VARIANT_TRUE : VARIANT_FALSE)) &&
               SUCCEEDED(input->put_indeterminate((state & 2) ? VARIANT_TRUE : VARIANT_FALSE));
    }
    std::optional<std::string> InnerText(const std::string& id) const override {
        auto element = Element(id);
        if (!element) {
            return std::nullopt;
        }
        Bstr text;
        element->get_innerText(text.Put());
        return FromBstr(text.Get());
    }
    bool SetInnerText(const std::string& id, const std::string& text) override {
        auto element = Element(id);
        Bstr value(Wide(text).c_str());
        return element && SUCCEEDED(element->put_innerText(value.Get()));
    }
    bool SetOuterHtml(const std::string& id, const std::string& html) override {
        auto element = Element(id);
        Bstr value(Wide(html).c_str());
        return element && SUCCEEDED(element->put_outerHTML(value.Get()));
    }
    bool SetDisabled(const std::string& id, bool disabled) override {
        auto element = Element(id).As<IHTMLElement3>(kIidHtmlElement3);
        return element && SUCCEEDED(element->put_disabled(disabled ? VARIANT_TRUE : VARIANT_FALSE));
    }
    std::string Title() const override {
        if (!document_) {
            return {};
        }
        Bstr title;
        document_->get_title(title.Put());
        return FromBstr(title.Get());
    }

  private:
    ComPtr<IHTMLElement> Element(const std::string& id) const {
        ComPtr<IHTMLElement> element;
        auto document3 = document_.As<IHTMLDocument3>(IID_IHTMLDocument3);
        if (document3) {
            Bstr name(Wide(id).c_str());
            document3->getElementById(name.Get(), element.Put());
        }
        return element;
    }

    // The site is the document's onclick, once per document.
    void AttachClicks() {
        if (clickedDocument_ == document_.Get()) {
            return;
        }
        site_->SetDocument(document_.Get());
        VARIANT handler;
        VariantInit(&handler);
        handler.vt = VT_DISPATCH;
        handler.pdispVal = static_cast<IDispatch*>(site_);
        document_->put_onclick(handler);
        clickedDocument_ = document_.Get();
    }
    void DetachClicks() {
        if (site_ != nullptr) {
            site_->SetDocument(nullptr);
        }
        clickedDocument_ = nullptr;
    }

    HWND window_;
    HtmlEvents& events_;
    BrowserSite* site_ = nullptr;
    ComPtr<IOleObject> object_;
    ComPtr<IWebBrowser2> browser_;
    ComPtr<IOleInPlaceActiveObject> active_;  // takes the dialog loop's keystrokes
    ComPtr<IConnectionPoint> connection_;
    DWORD cookie_ = 0;
    ComPtr<IHTMLDocument2> document_;
    IHTMLDocument2* clickedDocument_ = nullptr;
};

}  // namespace

std::unique_ptr<HtmlHost> CreateWebBrowserHost(WindowHandle dialog, HtmlEvents& events) {
    auto host = std::make_unique<WebBrowserHost>(Hwnd(dialog), events);
    if (!host->Start()) {
        return nullptr;  // no browser control here: the dialog goes on without a page
    }
    return host;
}

}  // namespace platform::win32
