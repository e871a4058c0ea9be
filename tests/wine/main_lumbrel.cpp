// The helper's integration tests. Usage: lumbrel_wine_tests LUMBREL_DLL
// With --attach-child [SERVER]: attach one helper (from the registered server, or from the
// server file) to a test browser and exit with the count of bar calls it made.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/win32/com_ptr.h"
#include "platform/win32/wide.h"
#include "tests/wine/lumbrel_paths.h"
#include "tests/wine/test_browser.h"

namespace corvane::wine {

std::string& LumbrelDll() {
    static std::string path;
    return path;
}
std::string& TestProgram() {
    static std::string path;
    return path;
}

namespace {

// CTest hands over Unix paths: Wine sees the root as drive Z.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
    }
    return path;
}

// The helper from the registered server, or from the server file named (the other build's,
// which is registered in the other registry view).
HRESULT MakeHelper(const char* serverFile, platform::win32::ComPtr<IObjectWithSite>& helper) {
    constexpr CLSID kClsid = {
        0xB6457ECA, 0xA63B, 0x4056, {0x9B, 0x05, 0x9F, 0xC7, 0x70, 0x0A, 0xC6, 0x58}};
    if (serverFile == nullptr) {
        return CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                helper.PutVoid());
    }
    HMODULE server = LoadLibraryW(platform::win32::Wide(serverFile).c_str());  // kept loaded
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto get = server == nullptr ? nullptr
                                       : reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(
                                             GetProcAddress(server, "DllGetClassObject")));
    platform::win32::ComPtr<IClassFactory> factory;
    if (get == nullptr || FAILED(get(kClsid, IID_IClassFactory, factory.PutVoid()))) {
        return E_FAIL;
    }
    return factory->CreateInstance(nullptr, IID_IObjectWithSite, helper.PutVoid());
}

int AttachChild(const char* serverFile) {
    CoInitialize(nullptr);
    int bars = -1;
    {
        platform::win32::ComPtr<IObjectWithSite> helper;
        platform::win32::ComPtr<TestBrowser> browser;
        *browser.Put() = new TestBrowser();
        if (SUCCEEDED(MakeHelper(serverFile, helper)) &&
            SUCCEEDED(helper->SetSite(static_cast<WebBrowser2Stubs*>(browser.Get())))) {
            bars = static_cast<int>(browser->calls.size()) - 1;  // less the Advise
            helper->SetSite(nullptr);
        }
    }
    CoUninitialize();
    return bars;
}

}  // namespace
}  // namespace corvane::wine

int main(int argc, char** argv) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    corvane::wine::TestProgram() = platform::win32::Narrow(self);
    if (argc >= 2 && std::string(argv[1]) == "--attach-child") {
        return corvane::wine::AttachChild(argc >= 3 ? argv[2] : nullptr);
    }
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lumbrel_wine_tests LUMBREL_DLL\n");
        return 2;
    }
    corvane::wine::LumbrelDll() = corvane::wine::WindowsPath(argv[1]);
    return RUN_ALL_TESTS();
}
