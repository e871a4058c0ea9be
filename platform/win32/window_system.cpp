#include "platform/win32/window_system.h"

#include <cstddef>
#include <iterator>
#include <memory>

#include "platform/win32/html_host.h"
#include "platform/win32/wide.h"
#include "platform/win32/windows_api.h"
// after windows.h, which it needs
#include <commdlg.h>
#include <shlobj.h>
#undef GetOpenFileName

namespace platform::win32 {

static_assert(sizeof(WindowPos) == sizeof(WINDOWPOS));
static_assert(offsetof(WindowPos, flags) == offsetof(WINDOWPOS, flags));
static_assert(offsetof(WindowPos, cy) == offsetof(WINDOWPOS, cy));
static_assert(sizeof(KeyboardEvent) == sizeof(KBDLLHOOKSTRUCT));
static_assert(offsetof(KeyboardEvent, flags) == offsetof(KBDLLHOOKSTRUCT, flags));
static_assert(offsetof(KeyboardEvent, extraInfo) == offsetof(KBDLLHOOKSTRUCT, dwExtraInfo));
static_assert(sizeof(MouseEvent) == sizeof(MSLLHOOKSTRUCT));
static_assert(offsetof(MouseEvent, time) == offsetof(MSLLHOOKSTRUCT, time));

namespace {

HWND Hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}
WindowHandle Handle(HWND hwnd) {
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(hwnd));
}

WindowHandler* HandlerOf(HWND hwnd, int slot) {
    return reinterpret_cast<WindowHandler*>(GetWindowLongPtrW(hwnd, slot));
}

LRESULT CALLBACK ForwardingWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (WindowHandler* handler = HandlerOf(hwnd, GWLP_USERDATA)) {
        // No exception may cross into the system: the message then gets its default handling.
        try {
            if (const auto result =
                    handler->OnWindowMessage(Handle(hwnd), message, wParam, lParam)) {
                return *result;
            }
        } catch (...) {
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK ForwardingDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    }
    WindowHandler* handler = HandlerOf(hwnd, DWLP_USER);
    if (handler == nullptr) {
        return FALSE;
    }
    std::optional<std::intptr_t> result;
    try {
        result = handler->OnWindowMessage(Handle(hwnd), message, wParam, lParam);
    } catch (...) {
        return FALSE;  // the dialog's default handling
    }
    if (!result) {
        return FALSE;
    }
    if (message == WM_INITDIALOG) {
        return static_cast<INT_PTR>(*result);
    }
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

MSG ToMsg(const Message& m) {
    MSG msg{};
    msg.hwnd = Hwnd(m.window);
    msg.message = m.message;
    msg.wParam = m.wParam;
    msg.lParam = m.lParam;
    msg.time = m.time;
    msg.pt = {m.x, m.y};
    return msg;
}

Message FromMsg(const MSG& msg) {
    return {Handle(msg.hwnd), msg.message, msg.wParam, msg.lParam, msg.time, msg.pt.x, msg.pt.y};
}

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM list) {
    reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(Handle(hwnd));
    return TRUE;
}

}  // namespace

uint32_t Win32WindowSystem::RegisterWindowMessage(std::string_view name) {
    return RegisterWindowMessageW(Wide(name).c_str());
}

bool Win32WindowSystem::EnsureClass(const std::string& className) {
    if (registeredClasses_.count(className)) {
        return true;
    }
    const std::wstring wide = Wide(className);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = ForwardingWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = wide.c_str();
    if (!RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return false;
    }
    registeredClasses_.insert(className);
    return true;
}

WindowHandle Win32WindowSystem::CreateWindow(const WindowOptions& options, WindowHandler* handler) {
    if (!EnsureClass(options.className)) {
        return WindowHandle::Null;
    }
    const HWND hwnd =
        CreateWindowExW(0, Wide(options.className).c_str(), Wide(options.title).c_str(),
                        options.style, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, Hwnd(options.parent),
                        nullptr, GetModuleHandleW(nullptr), handler);
    return Handle(hwnd);
}

WindowHandle Win32WindowSystem::CreateDialog(uint32_t templateId, WindowHandle owner,
                                             WindowHandler* handler) {
    return Handle(CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                     Hwnd(owner), ForwardingDialogProc,
                                     reinterpret_cast<LPARAM>(handler)));
}

bool Win32WindowSystem::DestroyWindow(WindowHandle window) {
    return ::DestroyWindow(Hwnd(window));
}

bool Win32WindowSystem::IsWindow(WindowHandle window) const {
    return ::IsWindow(Hwnd(window));
}

bool Win32WindowSystem::IsWindowVisible(WindowHandle window) const {
    return ::IsWindowVisible(Hwnd(window));
}

bool Win32WindowSystem::ShowWindow(WindowHandle window, int showCommand) {
    return ::ShowWindow(Hwnd(window), showCommand);
}

bool Win32WindowSystem::EnableWindow(WindowHandle window, bool enable) {
    return ::EnableWindow(Hwnd(window), enable);
}

bool Win32WindowSystem::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y,
                                     int cx, int cy, uint32_t flags) {
    return ::SetWindowPos(Hwnd(window), Hwnd(insertAfter), x, y, cx, cy, flags);
}

std::string Win32WindowSystem::GetWindowText(WindowHandle window) const {
    const int length = GetWindowTextLengthW(Hwnd(window));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(Hwnd(window), text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return Narrow(text);
}

bool Win32WindowSystem::SetWindowText(WindowHandle window, std::string_view text) {
    return SetWindowTextW(Hwnd(window), Wide(text).c_str());
}

std::string Win32WindowSystem::GetClassName(WindowHandle window) const {
    wchar_t name[257];
    const int length = GetClassNameW(Hwnd(window), name, 257);
    return Narrow(std::wstring_view(name, static_cast<size_t>(length)));
}

std::optional<Rect> Win32WindowSystem::GetWindowRect(WindowHandle window) const {
    RECT rect{};
    if (!::GetWindowRect(Hwnd(window), &rect)) {
        return std::nullopt;
    }
    return Rect{rect.left, rect.top, rect.right, rect.bottom};
}

Rect Win32WindowSystem::GetWorkArea() const {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return Rect{area.left, area.top, area.right, area.bottom};
}

WindowHandle Win32WindowSystem::GetOwner(WindowHandle window) const {
    return Handle(GetWindow(Hwnd(window), GW_OWNER));
}

uint32_t Win32WindowSystem::GetWindowProcessId(WindowHandle window) const {
    DWORD processId = 0;
    GetWindowThreadProcessId(Hwnd(window), &processId);
    return processId;
}

WindowHandle Win32WindowSystem::FindWindow(const std::optional<std::string>& className,
                                           const std::optional<std::string>& title) const {
    return Handle(FindWindowW(OptionalWide(className).get(), OptionalWide(title).get()));
}

WindowHandle Win32WindowSystem::FindWindowEx(WindowHandle parent, WindowHandle after,
                                             const std::optional<std::string>& className,
                                             const std::optional<std::string>& title) const {
    return Handle(FindWindowExW(Hwnd(parent), Hwnd(after), OptionalWide(className).get(),
                                OptionalWide(title).get()));
}

std::vector<WindowHandle> Win32WindowSystem::EnumTopLevelWindows() const {
    std::vector<WindowHandle> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool Win32WindowSystem::PostMessage(WindowHandle window, uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) {
    return PostMessageW(Hwnd(window), message, wParam, lParam);
}

bool Win32WindowSystem::PostThreadMessage(uint32_t threadId, uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) {
    return PostThreadMessageW(threadId, message, wParam, lParam);
}

void Win32WindowSystem::PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

std::optional<std::intptr_t> Win32WindowSystem::SendMessageTimeout(WindowHandle window,
                                                                   uint32_t message,
                                                                   std::uintptr_t wParam,
                                                                   std::intptr_t lParam,
                                                                   uint32_t timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(Hwnd(window), message, wParam, lParam, SMTO_BLOCK | SMTO_ABORTIFHUNG,
                             timeoutMs, &result)) {
        return std::nullopt;
    }
    return static_cast<std::intptr_t>(result);
}

int Win32WindowSystem::GetMessage(Message& message) {
    MSG msg{};
    const BOOL result = GetMessageW(&msg, nullptr, 0, 0);
    message = FromMsg(msg);
    return result;
}

bool Win32WindowSystem::PeekMessage(Message& message, bool remove) {
    MSG msg{};
    const bool found = PeekMessageW(&msg, nullptr, 0, 0, remove ? PM_REMOVE : PM_NOREMOVE);
    if (found) {
        message = FromMsg(msg);
    }
    return found;
}

void Win32WindowSystem::TranslateMessage(const Message& message) {
    const MSG msg = ToMsg(message);
    ::TranslateMessage(&msg);
}

std::intptr_t Win32WindowSystem::DispatchMessage(const Message& message) {
    const MSG msg = ToMsg(message);
    return DispatchMessageW(&msg);
}

bool Win32WindowSystem::IsDialogMessage(WindowHandle dialog, Message& message) {
    MSG msg = ToMsg(message);
    return IsDialogMessageW(Hwnd(dialog), &msg);
}

std::intptr_t Win32WindowSystem::DefaultHandling(WindowHandle window, uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t lParam) {
    return DefWindowProcW(Hwnd(window), message, wParam, lParam);
}

uint32_t Win32WindowSystem::GetCurrentThreadId() const {
    return ::GetCurrentThreadId();
}

long Win32WindowSystem::GetLastError() const {
    return static_cast<long>(::GetLastError());
}

std::uintptr_t Win32WindowSystem::SetTimer(WindowHandle window, std::uintptr_t id, uint32_t ms) {
    return ::SetTimer(Hwnd(window), id, ms, nullptr);
}

bool Win32WindowSystem::KillTimer(WindowHandle window, std::uintptr_t id) {
    return ::KillTimer(Hwnd(window), id);
}

int Win32WindowSystem::MessageBox(WindowHandle owner, std::string_view text,
                                  std::string_view caption, uint32_t type) {
    return MessageBoxW(Hwnd(owner), Wide(text).c_str(), Wide(caption).c_str(), type);
}

bool Win32WindowSystem::NotifyIcon(uint32_t action, const NotifyIconData& data) {
    NOTIFYICONDATAW record{};
    // The layout that ends with the item GUID: the shells of every target system accept it.
    record.cbSize = NOTIFYICONDATAW_V3_SIZE;
    record.hWnd = Hwnd(data.window);
    record.uID = data.id;
    record.uFlags = data.flags;
    record.uCallbackMessage = data.callbackMessage;
    if ((data.flags & NIF_ICON) != 0) {
        // A shared icon from the resources belongs to the system: nothing to free.
        record.hIcon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(data.iconId), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    const std::wstring tip = Wide(data.tip);
    lstrcpynW(record.szTip, tip.c_str(), static_cast<int>(std::size(record.szTip)));
    return Shell_NotifyIconW(static_cast<DWORD>(action), &record) != FALSE;
}

std::optional<std::string> Win32WindowSystem::GetOpenFileName(WindowHandle owner,
                                                              const OpenFileRequest& request) {
    // The framework's "|" separators become the nulls the dialog reads; the list ends in two.
    std::wstring filter = Wide(request.filter);
    for (wchar_t& c : filter) {
        c = c == L'|' ? L'\0' : c;
    }
    filter.push_back(L'\0');
    const std::wstring extension = Wide(request.defaultExtension);
    // Room for long paths; an initial name that does not fit is left out, not cut.
    std::wstring file(32768, L'\0');
    const std::wstring initial = Wide(request.initialFile);
    if (initial.size() < file.size()) {
        std::copy(initial.begin(), initial.end(), file.begin());
    }
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Hwnd(owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER;
    if (!GetOpenFileNameW(&dialog)) {
        return std::nullopt;
    }
    return Narrow(file.c_str());
}

std::optional<std::string> Win32WindowSystem::BrowseForFolder(WindowHandle owner,
                                                              std::string_view title,
                                                              uint32_t flags) {
    // The new dialog style needs a single-threaded apartment; a caller's own one is kept.
    const HRESULT apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::unique_ptr<void, void (*)(void*)> leaveApartment(
        SUCCEEDED(apartment) ? reinterpret_cast<void*>(1) : nullptr,
        [](void*) { CoUninitialize(); });
    const std::wstring wideTitle = Wide(title);
    BROWSEINFOW browse{};
    browse.hwndOwner = Hwnd(owner);
    browse.lpszTitle = wideTitle.c_str();
    browse.ulFlags = flags;
    const std::unique_ptr<ITEMIDLIST, decltype(&CoTaskMemFree)> item(SHBrowseForFolderW(&browse),
                                                                     &CoTaskMemFree);
    wchar_t path[MAX_PATH] = {};
    // An item with no file-system path is no answer: an empty folder would be stored otherwise.
    if (!item || !SHGetPathFromIDListW(item.get(), path) || path[0] == L'\0') {
        return std::nullopt;
    }
    return Narrow(path);
}

namespace {

// Each feature's record and its two actions; every record starts with cbSize and dwFlags.
template <typename Record>
std::optional<uint32_t> GetFlags(UINT action) {
    Record record{};
    record.cbSize = sizeof(record);
    if (!SystemParametersInfoW(action, sizeof(record), &record, 0)) {
        return std::nullopt;
    }
    return record.dwFlags;
}

template <typename Record>
bool SetFlags(UINT getAction, UINT setAction, uint32_t flags) {
    Record record{};
    record.cbSize = sizeof(record);
    if (!SystemParametersInfoW(getAction, sizeof(record), &record, 0)) {
        return false;
    }
    record.dwFlags = flags;
    return SystemParametersInfoW(setAction, sizeof(record), &record, 0) != FALSE;
}

}  // namespace

std::optional<uint32_t> Win32WindowSystem::GetAccessibilityFlags(AccessibilityFeature feature) {
    switch (feature) {
        case AccessibilityFeature::StickyKeys:
            return GetFlags<STICKYKEYS>(SPI_GETSTICKYKEYS);
        case AccessibilityFeature::FilterKeys:
            return GetFlags<FILTERKEYS>(SPI_GETFILTERKEYS);
        case AccessibilityFeature::ToggleKeys:
            return GetFlags<TOGGLEKEYS>(SPI_GETTOGGLEKEYS);
        case AccessibilityFeature::MouseKeys:
            return GetFlags<MOUSEKEYS>(SPI_GETMOUSEKEYS);
        case AccessibilityFeature::HighContrast:
            return GetFlags<HIGHCONTRASTW>(SPI_GETHIGHCONTRAST);
    }
    return std::nullopt;
}

bool Win32WindowSystem::SetAccessibilityFlags(AccessibilityFeature feature, uint32_t flags) {
    switch (feature) {
        case AccessibilityFeature::StickyKeys:
            return SetFlags<STICKYKEYS>(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, flags);
        case AccessibilityFeature::FilterKeys:
            return SetFlags<FILTERKEYS>(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, flags);
        case AccessibilityFeature::ToggleKeys:
            return SetFlags<TOGGLEKEYS>(SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, flags);
        case AccessibilityFeature::MouseKeys:
            return SetFlags<MOUSEKEYS>(SPI_GETMOUSEKEYS, SPI_SETMOUSEKEYS, flags);
        case AccessibilityFeature::HighContrast:
            return SetFlags<HIGHCONTRASTW>(SPI_GETHIGHCONTRAST, SPI_SETHIGHCONTRAST, flags);
    }
    return false;
}

bool Win32WindowSystem::SetWindowIcon(WindowHandle window, uint32_t iconId) {
    // Shared icons from LoadImageW are owned by the system: nothing to free.
    const HINSTANCE module = GetModuleHandleW(nullptr);
    const auto load = [&](int size) {
        return static_cast<HICON>(
            LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_SHARED));
    };
    const HICON largeIcon = load(GetSystemMetrics(SM_CXICON));
    const HICON smallIcon = load(GetSystemMetrics(SM_CXSMICON));
    if (largeIcon == nullptr || smallIcon == nullptr) {
        return false;
    }
    SendMessageW(Hwnd(window), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon));
    SendMessageW(Hwnd(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    return true;
}

bool Win32WindowSystem::AppendSystemMenuItem(WindowHandle window, uint32_t commandId,
                                             std::string_view text) {
    const HMENU menu = GetSystemMenu(Hwnd(window), FALSE);
    if (menu == nullptr) {
        return false;
    }
    return AppendMenuW(menu, MF_SEPARATOR, 0, nullptr) &&
           AppendMenuW(menu, MF_STRING, commandId, Wide(text).c_str());
}

namespace {

// Windows hands a low-level hook procedure no context of its own: the procedure of each kind
// for this process sits here, set when its hook is installed.
HookProcedure* hookProcedures[2] = {nullptr, nullptr};

// An exception must not cross into the system's input path: the event then goes on its way.
LRESULT GuardedHookEvent(HookProcedure* procedure, int code, WPARAM wParam, LPARAM lParam) {
    if (procedure != nullptr) {
        try {
            return procedure->OnHookEvent(code, wParam, lParam);
        } catch (...) {
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK KeyboardHookTrampoline(int code, WPARAM wParam, LPARAM lParam) {
    return GuardedHookEvent(hookProcedures[0], code, wParam, lParam);
}

LRESULT CALLBACK MouseHookTrampoline(int code, WPARAM wParam, LPARAM lParam) {
    return GuardedHookEvent(hookProcedures[1], code, wParam, lParam);
}

HookHandle ToHandle(HHOOK hook) {
    return static_cast<HookHandle>(reinterpret_cast<std::uintptr_t>(hook));
}
HHOOK ToHhook(HookHandle hook) {
    return reinterpret_cast<HHOOK>(static_cast<std::uintptr_t>(hook));
}

}  // namespace

HookHandle Win32WindowSystem::SetLowLevelHook(HookKind kind, HookProcedure* procedure) {
    const bool keyboard = kind == HookKind::Keyboard;
    const HOOKPROC trampoline = keyboard ? KeyboardHookTrampoline : MouseHookTrampoline;
    // The module that holds the trampoline: this library's, or the program's.
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(trampoline), &module);
    hookProcedures[keyboard ? 0 : 1] = procedure;
    return ToHandle(
        SetWindowsHookExW(keyboard ? WH_KEYBOARD_LL : WH_MOUSE_LL, trampoline, module, 0));
}

bool Win32WindowSystem::Unhook(HookHandle hook) {
    return UnhookWindowsHookEx(ToHhook(hook));
}

std::intptr_t Win32WindowSystem::CallNextHook(HookHandle hook, int code, std::uintptr_t wParam,
                                              std::intptr_t lParam) {
    return CallNextHookEx(ToHhook(hook), code, wParam, lParam);
}

int16_t Win32WindowSystem::GetAsyncKeyState(int virtualKey) const {
    return ::GetAsyncKeyState(virtualKey);
}

bool Win32WindowSystem::SendKey(uint16_t virtualKey, bool up, bool extended) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return SendInput(1, &input, sizeof(input)) == 1;
}

uint32_t Win32WindowSystem::LastInputTime() const {
    LASTINPUTINFO info{sizeof(info), 0};
    return GetLastInputInfo(&info) ? info.dwTime : 0;
}

bool Win32WindowSystem::SendMouse(uint32_t mouseEventFlags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = mouseEventFlags;
    return SendInput(1, &input, sizeof(input)) == 1;
}

bool Win32WindowSystem::SetForegroundWindow(WindowHandle window) {
    return ::SetForegroundWindow(Hwnd(window));
}

std::unique_ptr<HtmlHost> Win32WindowSystem::CreateHtmlHost(WindowHandle dialog,
                                                            HtmlEvents& events) {
    return CreateWebBrowserHost(dialog, events);
}

bool Win32WindowSystem::InitCommonControls(uint32_t classes) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), classes};
    return InitCommonControlsEx(&controls);
}

}  // namespace platform::win32
