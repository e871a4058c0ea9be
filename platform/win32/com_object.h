// Reference counting and QueryInterface for COM classes, written once: a class derives from
// ComObject<Self, Interfaces...>, lists what it answers to in a table, and, in a server, is
// counted in the server's ModuleCount while it lives.
#pragma once

#include <atomic>
#include <new>
#include <span>

#include "platform/win32/windows_api.h"

namespace platform::win32 {

// Every live object and every lock of one server, for DllCanUnloadNow.
class ModuleCount {
  public:
    void Lock() { ++count_; }
    void Unlock() { --count_; }
    bool Idle() const { return count_.load() == 0; }

  private:
    std::atomic<long> count_{0};
};

// One row of a QueryInterface table: an interface id and how to reach it from the object.
template <class Object>
struct InterfaceEntry {
    const IID* iid;
    void* (*cast)(Object*);
};

template <class Object, class Interface>
constexpr InterfaceEntry<Object> Entry(const IID& iid) {
    return {&iid, [](Object* object) -> void* { return static_cast<Interface*>(object); }};
}

// Runs `body` and turns an escaping exception into an HRESULT: nothing crosses a COM boundary.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// `Object` provides `static std::span<const InterfaceEntry<Object>> InterfaceTable()`; its first
// row is also the object's IUnknown. Objects start with one reference, the creator's.
template <class Object, class... Bases>
class ComObject : public Bases... {
  public:
    // `module` is null for objects a program makes for itself (the page host's sites).
    explicit ComObject(ModuleCount* module) : module_(module) {
        if (module_ != nullptr) {
            module_->Lock();
        }
    }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() {
        if (module_ != nullptr) {
            module_->Unlock();
        }
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        const auto table = Object::InterfaceTable();
        for (const InterfaceEntry<Object>& entry : table) {
            if (iid == *entry.iid || (iid == IID_IUnknown && &entry == table.data())) {
                *out = entry.cast(static_cast<Object*>(this));
                AddRef();
                return S_OK;
            }
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  protected:
    ModuleCount* Module() const { return module_; }

  private:
    ModuleCount* module_;
    std::atomic<ULONG> references_{1};
};

// Creates an object, hands out the interface asked for, and drops the creator's reference.
template <class Object, class... Args>
HRESULT CreateAndQuery(REFIID iid, void** out, Args&&... args) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    return Guarded([&]() -> HRESULT {
        Object* object = new (std::nothrow) Object(std::forward<Args>(args)...);
        if (object == nullptr) {
            return E_OUTOFMEMORY;
        }
        const HRESULT result = object->QueryInterface(iid, out);
        object->Release();
        return result;
    });
}

}  // namespace platform::win32
