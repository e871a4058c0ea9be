// corvane-kioskapp.exe --title TITLE: a program the kiosk keeps running, for the auto-restart
// tests. It shows one window with the title and handles its messages; WM_APP + 1 makes it stop
// handling them for a minute, as a hung program does. With --busy SECONDS it shows nothing and
// never waits for input, as a program that is slow to start, and ends after that time.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP + 1) {
        Sleep(60000);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::wstring title = L"Kiosk app";
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    DWORD busySeconds = 0;
    for (int i = 1; args != nullptr && i + 1 < count; ++i) {
        if (std::wstring(args[i]) == L"--title") {
            title = args[i + 1];
        }
        if (std::wstring(args[i]) == L"--busy") {
            busySeconds = static_cast<DWORD>(_wtoi(args[i + 1]));
        }
    }
    LocalFree(args);
    if (busySeconds != 0) {
        Sleep(busySeconds * 1000);
        return 0;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"CorvaneKioskApp";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"CorvaneKioskApp", title.c_str(), WS_OVERLAPPEDWINDOW, 0, 0,
                                  200, 100, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
