// The one class factory of a server: aggregation refused, locks counted with the objects.
#pragma once

#include "platform/win32/com_object.h"

namespace framework::com {

using platform::win32::ComObject;
using platform::win32::CreateAndQuery;
using platform::win32::Entry;
using platform::win32::InterfaceEntry;
using platform::win32::ModuleCount;

using CreateFunction = HRESULT (*)(ModuleCount& module, REFIID iid, void** out);

class ClassFactory final : public ComObject<ClassFactory, IClassFactory> {
  public:
    ClassFactory(ModuleCount& module, CreateFunction create)
        : ComObject(&module), module_(module), create_(create) {}

    static std::span<const InterfaceEntry<ClassFactory>> InterfaceTable() {
        static const InterfaceEntry<ClassFactory> table[] = {
            Entry<ClassFactory, IClassFactory>(IID_IClassFactory)};
        return table;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        return create_(module_, iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            module_.Lock();
        } else {
            module_.Unlock();
        }
        return S_OK;
    }

  private:
    ModuleCount& module_;
    CreateFunction create_;
};

// One row of a server's class table.
struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

// DllGetClassObject over a class table.
inline HRESULT GetClassObject(ModuleCount& module, std::span<const ClassEntry> classes,
                              REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    for (const ClassEntry& entry : classes) {
        if (clsid == *entry.clsid) {
            return CreateAndQuery<ClassFactory>(iid, out, module, entry.create);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace framework::com
