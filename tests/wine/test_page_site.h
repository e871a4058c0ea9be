// The browser's own handlers of a loaded page, as the helper finds them through the document's
// client site: each records the calls that reach it, so a test sees what the helper passes on.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <docobj.h>
#include <mshtmhst.h>
#include <oleidl.h>
// clang-format on

#include <string>
#include <vector>

#include "platform/win32/com_object.h"
#include "tests/wine/ole_object_stubs.h"

namespace corvane::wine {

// S_FALSE from the handlers that say something: distinct from the helper's own answers.
class TestPageSite final : public platform::win32::ComObject<TestPageSite, IOleClientSite,
                                                             IDocHostUIHandler, IOleCommandTarget> {
  public:
    TestPageSite() : ComObject(nullptr) {}
    static std::span<const platform::win32::InterfaceEntry<TestPageSite>> InterfaceTable() {
        using platform::win32::Entry;
        static const platform::win32::InterfaceEntry<TestPageSite> table[] = {
            Entry<TestPageSite, IOleClientSite>(IID_IOleClientSite),
            Entry<TestPageSite, IDocHostUIHandler>(IID_IDocHostUIHandler),
            Entry<TestPageSite, IOleCommandTarget>(IID_IOleCommandTarget)};
        return table;
    }

    std::vector<std::string> calls;

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override {
        return Said("ShowContextMenu");
    }
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO*) override { return Said("GetHostInfo"); }
    STDMETHODIMP ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                        IOleInPlaceUIWindow*) override {
        return Said("ShowUI");
    }
    STDMETHODIMP HideUI() override { return Said("HideUI"); }
    STDMETHODIMP UpdateUI() override { return Said("UpdateUI"); }
    STDMETHODIMP EnableModeless(BOOL) override { return Said("EnableModeless"); }
    STDMETHODIMP OnDocWindowActivate(BOOL) override { return Said("OnDocWindowActivate"); }
    STDMETHODIMP OnFrameWindowActivate(BOOL) override { return Said("OnFrameWindowActivate"); }
    STDMETHODIMP ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override {
        return Said("ResizeBorder");
    }
    STDMETHODIMP TranslateAccelerator(LPMSG, const GUID*, DWORD) override {
        return Said("TranslateAccelerator");
    }
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD) override {
        *key = nullptr;
        return Said("GetOptionKeyPath");
    }
    STDMETHODIMP GetDropTarget(IDropTarget*, IDropTarget** out) override {
        *out = nullptr;
        return Said("GetDropTarget");
    }
    STDMETHODIMP GetExternal(IDispatch** out) override {
        *out = nullptr;
        return Said("GetExternal");
    }
    STDMETHODIMP TranslateUrl(DWORD, LPWSTR, LPWSTR* out) override {
        *out = nullptr;
        return Said("TranslateUrl");
    }
    STDMETHODIMP FilterDataObject(IDataObject*, IDataObject** out) override {
        *out = nullptr;
        return Said("FilterDataObject");
    }

    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override {
        return Said("QueryStatus");
    }
    STDMETHODIMP Exec(const GUID*, DWORD command, DWORD, VARIANT*, VARIANT*) override {
        return Said("Exec " + std::to_string(command));
    }

  private:
    HRESULT Said(std::string call) {
        calls.push_back(std::move(call));
        return S_FALSE;
    }
};

}  // namespace corvane::wine
