// Sending a web browser to an address: no flags, no target frame, no post data, no headers.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <exdisp.h>
#include <oleauto.h>
// clang-format on

#include <string>

namespace platform::win32 {

inline HRESULT NavigateTo(IWebBrowser2* browser, const std::wstring& url) {
    VARIANT address;
    VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = SysAllocString(url.c_str());
    const HRESULT result = browser->Navigate2(&address, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&address);
    return result;
}

}  // namespace platform::win32
