#include "tools/browse/browser_window.h"

#include "platform/win32/navigate.h"

namespace corvane::tools {

HostedBrowser::HostedBrowser() {
    window_ = CreateWindowExW(0, L"STATIC", L"Lumbrel browse", WS_POPUP, 0, 0, 640, 480, nullptr,
                              nullptr, nullptr, nullptr);
    if (window_ != nullptr) {
        control_.Create(window_, RECT{0, 0, 640, 480}, nullptr);
    }
}

HostedBrowser::~HostedBrowser() {
    control_.Close();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

HRESULT HostedBrowser::Navigate(const std::wstring& url) {
    return platform::win32::NavigateTo(control_.Browser(), url);
}

}  // namespace corvane::tools
