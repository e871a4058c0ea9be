// CLumbrelBHO: the object the browser creates in every window. It turns the browser's calls
// and events into the helper's decisions, answers script-error prompts itself, and passes
// the page's user-interface calls on to the page's own handler.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
// clang-format on

#include <memory>
#include <optional>
#include <string>

#include "browser/helper/lumbrel_helper.h"
#include "browser/server/lumbrel_ids.h"
#include "browser/server/lumbrel_message.h"
#include "browser/server/server_context.h"
#include "browser/server/web_browser_window.h"
#include "framework/com/event_connection.h"
#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"

namespace lumbrel::server {

class BrowserEventSink;

class CLumbrelBHO final
    : public platform::win32::ComObject<CLumbrelBHO, ILumbrelBHO, IObjectWithSite,
                                        IDocHostUIHandler, IOleCommandTarget> {
  public:
    explicit CLumbrelBHO(ServerContext& server);
    ~CLumbrelBHO() override;

    static std::span<const platform::win32::InterfaceEntry<CLumbrelBHO>> InterfaceTable();
    static HRESULT Create(platform::win32::ModuleCount& module, REFIID iid, void** out);

    // IDispatch, from the type library.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** out) override;

    // IDocHostUIHandler: the page's own handler's answers.
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                                 IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                              BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** out) override;
    STDMETHODIMP GetExternal(IDispatch** out) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* out) override;
    STDMETHODIMP FilterDataObject(IDataObject* data, IDataObject** out) override;

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands,
                             OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD command, DWORD options, VARIANT* in,
                      VARIANT* out) override;

    // From the event sink.
    void OnBeforeNavigate2(IDispatch* which, const std::string& address, VARIANT_BOOL* cancel);
    void OnNewWindow3(const std::string& address, VARIANT_BOOL* cancel);
    void OnDocumentComplete(IDispatch* which);

  private:
    void Attach(IUnknown* site);
    void Detach();
    bool IsOurBrowser(IDispatch* which) const;
    void TakePageHandlers(IDispatch* document);
    std::optional<std::string> BodyMarkup(IDispatch* document) const;
    ITypeInfo* TypeInfo();

    ServerContext& server_;
    platform::win32::ComPtr<IUnknown> site_;
    platform::win32::ComPtr<IWebBrowser2> browser_;
    platform::win32::ComPtr<BrowserEventSink> sink_;
    framework::com::EventConnection events_;
    platform::win32::ComPtr<IDocHostUIHandler> defaultUIHandler_;
    platform::win32::ComPtr<IOleCommandTarget> defaultCommandTarget_;
    platform::win32::ComPtr<ITypeInfo> typeInfo_;
    std::shared_ptr<WebBrowserWindow> window_;
    LumbrelMessageDialogs dialogs_;
    LumbrelHelper helper_;
};

}  // namespace lumbrel::server
