// An IDispatch that only receives events: no type information, no names; Invoke is the
// receiver's own.
#pragma once

// clang-format off
#include "platform/win32/windows_api.h"
#include <oaidl.h>
// clang-format on

namespace platform::win32 {

class EventDispatch : public IDispatch {
  public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) {
            return E_POINTER;
        }
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
};

}  // namespace platform::win32
