// A reference to a COM interface, released on every path.
#pragma once

#include <string>
#include <string_view>
#include <utility>

// clang-format off
#include "platform/win32/windows_api.h"
#include <oleauto.h>
// clang-format on

#include "platform/win32/wide.h"

namespace platform::win32 {

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes a reference of its own to a pointer the caller only lends.
    static ComPtr Borrow(T* p) {
        ComPtr out;
        if (p) {
            p->AddRef();
        }
        out.p_ = p;
        return out;
    }

    void Reset() {
        if (p_) {
            std::exchange(p_, nullptr)->Release();
        }
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For functions that hand out a new reference.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    template <typename U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_) {
            p_->QueryInterface(iid, out.PutVoid());
        }
        return out;
    }

  private:
    T* p_ = nullptr;
};

// A BSTR, freed on every path.
class Bstr {
  public:
    explicit Bstr(const wchar_t* text = nullptr) : s_(text ? SysAllocString(text) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR Get() const { return s_; }
    BSTR* Put() {
        SysFreeString(s_);
        s_ = nullptr;
        return &s_;
    }

  private:
    BSTR s_;
};

// A BSTR's text; empty for a null one.
inline std::string FromBstr(BSTR text) {
    return text ? Narrow(std::wstring_view(text, SysStringLen(text))) : std::string();
}

// An event argument that is a text, by value or by reference; empty otherwise.
inline std::string VariantText(const VARIANT& argument) {
    if (argument.vt == VT_BSTR) {
        return FromBstr(argument.bstrVal);
    }
    if (argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal != nullptr &&
        argument.pvarVal->vt == VT_BSTR) {
        return FromBstr(argument.pvarVal->bstrVal);
    }
    return {};
}

}  // namespace platform::win32
