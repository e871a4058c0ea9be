// Entry point and the four COM exports of Lumbrel.dll.
#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <string>

// clang-format off
#include "platform/win32/windows_api.h"
#include <oleauto.h>
// clang-format on

#include "browser/helper/server_registration.h"
#include "browser/server/lumbrel_bho.h"
#include "browser/server/lumbrel_ids.h"
#include "browser/server/server_context.h"
#include "common/lumbrel_values.h"
#include "common/shared_section.h"
#include "framework/com/class_factory.h"
#include "platform/constants.h"
#include "platform/win32/system.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide.h"

namespace {

// The browsers with a helper attached, counted across every process that loads the server.
CORVANE_SHARED_SECTION_BEGIN(".LUMBREL")
std::atomic<int32_t> attachedBrowserCount CORVANE_SHARED(".LUMBREL"){0};
CORVANE_SHARED_SECTION_END(".LUMBREL")
static_assert(sizeof(attachedBrowserCount) == 4 && std::atomic<int32_t>::is_always_lock_free);

// The server's 64-bit and 32-bit builds are two files, each with its own section: the word they
// both use is a small named mapping of the session, so a 32-bit and a 64-bit window cannot both
// be first. The section is the fallback when the mapping cannot be had.
class SharedWindowWord {
  public:
    SharedWindowWord()
        : mapping_(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(int32_t), L"Local\\CorvaneLumbrelBrowserWindows")),
          view_(mapping_ ? MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(int32_t))
                         : nullptr) {}

    // A new mapping starts zeroed, as the section does.
    std::atomic<int32_t>& Word() {
        return view_ ? *static_cast<std::atomic<int32_t>*>(view_.get()) : attachedBrowserCount;
    }

  private:
    struct Unmap {
        void operator()(void* view) const { UnmapViewOfFile(view); }
    };
    platform::win32::UniqueHandle mapping_;
    std::unique_ptr<void, Unmap> view_;  // unmapped before the mapping closes
};

HINSTANCE moduleHandle = nullptr;
platform::win32::ModuleCount objects;

const framework::com::ClassEntry kClasses[] = {
    {&lumbrel::server::kClsidLumbrelBHO, &lumbrel::server::CLumbrelBHO::Create}};

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(moduleHandle, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT FromRegistry(long status) {
    return status == 0 ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

// Registration runs in the system's default locale, as the type library's entries expect.
class SystemLocaleScope {
  public:
    SystemLocaleScope() : previous_(GetThreadLocale()) { SetThreadLocale(LOCALE_SYSTEM_DEFAULT); }
    ~SystemLocaleScope() { SetThreadLocale(previous_); }
    SystemLocaleScope(const SystemLocaleScope&) = delete;
    SystemLocaleScope& operator=(const SystemLocaleScope&) = delete;

  private:
    LCID previous_;
};

HRESULT RegisterTypeLibrary() {
    platform::win32::ComPtr<ITypeLib> library;
    return LoadTypeLibEx(ModulePath().c_str(), REGKIND_REGISTER, library.Put());
}

HRESULT UnregisterTypeLibrary(platform::Registry& registry) {
    // Already gone is what was asked for; the system's answer to that differs between versions.
    platform::RegistryKeyPtr key;
    if (registry.OpenKey(platform::Hive::ClassesRoot,
                         std::string("TypeLib\\") + corvane::kLumbrelTypeLibId + "\\1.0",
                         platform::reg::kRead, key) == platform::error::kFileNotFound) {
        return S_OK;
    }
    platform::win32::ComPtr<ITypeLib> library;
    HRESULT result = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Put());
    if (FAILED(result)) {
        return result;
    }
    TLIBATTR* attributes = nullptr;
    result = library->GetLibAttr(&attributes);
    if (FAILED(result)) {
        return result;
    }
    result = UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                               attributes->lcid, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    return result;
}

}  // namespace

namespace lumbrel::server {

// Built on first use, not in DllMain: nothing heavy under the loader lock.
ServerContext& Server() {
    static platform::win32::Win32System system;
    static SharedWindowWord windows;
    static ServerContext context{system.Get(), windows.Word(), moduleHandle, objects};
    return context;
}

}  // namespace lumbrel::server

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleHandle = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return objects.Idle() ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    return framework::com::GetClassObject(objects, kClasses, clsid, iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    return platform::win32::Guarded([]() -> HRESULT {
        SystemLocaleScope locale;
        platform::Registry& registry = lumbrel::server::Server().system.registry;
        HRESULT result = FromRegistry(lumbrel::RegisterAppId(registry));
        if (SUCCEEDED(result)) {
            result = FromRegistry(
                lumbrel::RegisterHelperClass(registry, platform::win32::Narrow(ModulePath())));
        }
        if (SUCCEEDED(result)) {
            result = RegisterTypeLibrary();
        }
        return result;
    });
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return platform::win32::Guarded([]() -> HRESULT {
        SystemLocaleScope locale;
        platform::Registry& registry = lumbrel::server::Server().system.registry;
        HRESULT result = FromRegistry(lumbrel::UnregisterHelperClass(registry));
        if (SUCCEEDED(result)) {
            result = UnregisterTypeLibrary(registry);
        }
        if (SUCCEEDED(result)) {
            result = FromRegistry(lumbrel::UnregisterAppId(registry));
        }
        return result;
    });
}
