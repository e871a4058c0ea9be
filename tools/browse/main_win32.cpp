// lumbrel-browse.exe URL...: a browser window for the run command. It hosts the system's web
// browser control, attaches the registered browser helper to it as the browser does (the
// class created through COM, then SetSite), navigates to each address in turn and says
// whether the helper let the navigation go ahead.
#include <cstdio>
#include <string>

#include "common/lumbrel_values.h"
#include "framework/com/event_connection.h"
#include "platform/win32/com_ptr.h"
#include "platform/win32/ole_scope.h"
#include "platform/win32/wide.h"
#include "tools/browse/browser_window.h"
#include "tools/browse/navigation_watcher.h"

using platform::win32::ComPtr;

int wmain(int argc, wchar_t** argv) {
    platform::win32::OleScope ole;
    corvane::tools::HostedBrowser window;
    if (window.Browser() == nullptr) {
        std::puts("   the web browser control could not be made");
        return 2;
    }
    CLSID helperClass{};
    CLSIDFromString(platform::win32::Wide(corvane::kLumbrelClassId).c_str(), &helperClass);
    ComPtr<IObjectWithSite> helper;
    if (FAILED(CoCreateInstance(helperClass, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                helper.PutVoid()))) {
        std::puts("   the browser helper is not registered");
        return 3;
    }
    helper->SetSite(window.Browser());
    ComPtr<corvane::tools::NavigationWatcher> watcher;
    *watcher.Put() = new corvane::tools::NavigationWatcher();
    framework::com::EventConnection watching;
    watching.Connect(window.Browser(), DIID_DWebBrowserEvents2,
                     static_cast<IDispatch*>(watcher.Get()));

    for (int i = 1; i < argc; ++i) {
        const size_t before = watcher->seen.size();
        window.Navigate(argv[i]);
        window.PumpUntil([&] { return watcher->seen.size() > before; });
        if (watcher->seen.size() == before) {
            std::printf("   %-44s no navigation event came\n",
                        platform::win32::Narrow(argv[i]).c_str());
            continue;
        }
        const auto& [address, cancelled] = watcher->seen.back();
        std::printf("   %-44s %s\n", address.c_str(),
                    cancelled ? "REFUSED: the helper cancelled the navigation"
                              : "allowed: the navigation went ahead");
    }
    watching.Disconnect();
    helper->SetSite(nullptr);
    return 0;
}
