// A loaded page as the helper reads it: a document whose body has the given markup, and
// which records the user-interface handler it is given.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <mshtmhst.h>
// clang-format on

#include <string>

#include "platform/win32/com_object.h"
#include "platform/win32/com_ptr.h"
#include "tests/wine/html_stubs.h"
#include "tests/wine/test_page_site.h"

namespace corvane::wine {

inline constexpr IID kIidCustomDoc = {
    0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

class TestBody final : public platform::win32::ComObject<TestBody, HtmlElementStubs> {
  public:
    explicit TestBody(std::wstring markup) : ComObject(nullptr), markup_(std::move(markup)) {}
    static std::span<const platform::win32::InterfaceEntry<TestBody>> InterfaceTable() {
        using platform::win32::Entry;
        static const platform::win32::InterfaceEntry<TestBody> table[] = {
            Entry<TestBody, HtmlElementStubs>(IID_IHTMLElement),
            Entry<TestBody, HtmlElementStubs>(IID_IDispatch)};
        return table;
    }
    STDMETHODIMP get_outerHTML(BSTR* markup) override {
        *markup = SysAllocString(markup_.c_str());
        return S_OK;
    }

  private:
    std::wstring markup_;
};

// With a site, the document's client site is it (the browser's own handlers).
class TestPage final
    : public platform::win32::ComObject<TestPage, HtmlDocument2Stubs, ICustomDoc, OleObjectStubs> {
  public:
    explicit TestPage(std::wstring markup) : ComObject(nullptr), markup_(std::move(markup)) {}
    static std::span<const platform::win32::InterfaceEntry<TestPage>> InterfaceTable() {
        using platform::win32::Entry;
        static const platform::win32::InterfaceEntry<TestPage> table[] = {
            Entry<TestPage, HtmlDocument2Stubs>(IID_IHTMLDocument2),
            Entry<TestPage, HtmlDocument2Stubs>(IID_IHTMLDocument),
            Entry<TestPage, HtmlDocument2Stubs>(IID_IDispatch),
            Entry<TestPage, ICustomDoc>(kIidCustomDoc),
            Entry<TestPage, OleObjectStubs>(IID_IOleObject)};
        return table;
    }

    int bodyReads = 0;
    platform::win32::ComPtr<IDocHostUIHandler> handler;
    platform::win32::ComPtr<TestPageSite> site;

    STDMETHODIMP GetClientSite(IOleClientSite** out) override {
        *out = site ? static_cast<IOleClientSite*>(site.Get()) : nullptr;
        if (*out == nullptr) {
            return E_FAIL;
        }
        (*out)->AddRef();
        return S_OK;
    }

    STDMETHODIMP get_body(IHTMLElement** body) override {
        ++bodyReads;
        *body = new TestBody(markup_);
        return S_OK;
    }
    STDMETHODIMP SetUIHandler(IDocHostUIHandler* uiHandler) override {
        handler = platform::win32::ComPtr<IDocHostUIHandler>::Borrow(uiHandler);
        return S_OK;
    }

  private:
    std::wstring markup_;
};

}  // namespace corvane::wine
