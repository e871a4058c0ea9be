// Windows, message queues and the messages between them, as the user-interface thread sees them.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class HtmlHost;
class HtmlEvents;

enum class WindowHandle : std::uintptr_t { Null = 0 };
inline constexpr WindowHandle kBroadcastWindow = static_cast<WindowHandle>(0xFFFF);

struct Message {
    WindowHandle window = WindowHandle::Null;
    uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    uint32_t time = 0;
    int32_t x = 0;
    int32_t y = 0;
};

// A rectangle in pixels, laid out as RECT.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// SetWindowPos's place that keeps a window above all others.
inline constexpr WindowHandle kTopMost = static_cast<WindowHandle>(~std::uintptr_t{0});

// Laid out as WINDOWPOS: WM_WINDOWPOSCHANGING's lParam points at one.
struct WindowPos {
    WindowHandle window;
    WindowHandle insertAfter;
    int32_t x;
    int32_t y;
    int32_t cx;
    int32_t cy;
    uint32_t flags;
};

// Receives a window's messages. No value means "not handled": the default handling runs.
class WindowHandler {
  public:
    virtual std::optional<std::intptr_t> OnWindowMessage(WindowHandle window, uint32_t message,
                                                         std::uintptr_t wParam,
                                                         std::intptr_t lParam) = 0;

  protected:
    ~WindowHandler() = default;
};

enum class HookHandle : std::uintptr_t { Null = 0 };
enum class HookKind { Keyboard = 13, Mouse = 14 };  // WH_KEYBOARD_LL, WH_MOUSE_LL

// Laid out as KBDLLHOOKSTRUCT: a keyboard hook's lParam points at one.
struct KeyboardEvent {
    uint32_t vkCode;
    uint32_t scanCode;
    uint32_t flags;
    uint32_t time;
    std::uintptr_t extraInfo;
};

// Laid out as MSLLHOOKSTRUCT: a mouse hook's lParam points at one.
struct MouseEvent {
    int32_t x;
    int32_t y;
    uint32_t mouseData;
    uint32_t flags;
    uint32_t time;
    std::uintptr_t extraInfo;
};

// A low-level hook procedure: code, message (wParam) and event record (lParam) as Windows
// passes them; it returns non-zero to swallow the event.
class HookProcedure {
  public:
    virtual std::intptr_t OnHookEvent(int code, std::uintptr_t wParam, std::intptr_t lParam) = 0;

  protected:
    ~HookProcedure() = default;
};

// The members of a notification-area icon record that the system sets; the rest are zero.
struct NotifyIconData {
    WindowHandle window = WindowHandle::Null;
    uint32_t id = 0;
    uint32_t flags = 0;            // NIF_*
    uint32_t callbackMessage = 0;  // with NIF_MESSAGE
    uint32_t iconId = 0;           // an icon resource of the program, with NIF_ICON
    std::string tip;               // with NIF_TIP
};

struct WindowOptions {
    std::string className;  // registered on first use
    std::string title;
    uint32_t style = 0;
    WindowHandle parent = WindowHandle::Null;  // a child window when set with WS_CHILD
};

// The standard open-file dialog's settings.
struct OpenFileRequest {
    std::string defaultExtension;
    std::string initialFile;
    std::string filter;
    uint32_t flags = 0;  // ofn:: flags
};

// The accessibility features whose hot keys open their settings (SystemParametersInfo).
enum class AccessibilityFeature { StickyKeys, FilterKeys, ToggleKeys, MouseKeys, HighContrast };
inline constexpr AccessibilityFeature kAccessibilityFeatures[] = {
    AccessibilityFeature::StickyKeys, AccessibilityFeature::FilterKeys,
    AccessibilityFeature::ToggleKeys, AccessibilityFeature::MouseKeys,
    AccessibilityFeature::HighContrast};
// Each feature's flag for its hot key (SKF_, FKF_, TKF_, MKF_ and HCF_HOTKEYACTIVE).
inline constexpr uint32_t kHotKeyActive = 0x4;

class WindowSystem {
  public:
    virtual ~WindowSystem() = default;

    virtual uint32_t RegisterWindowMessage(std::string_view name) = 0;

    // Creation and destruction. A dialog comes from a template of the program's resources and
    // receives WM_INITDIALOG; a template with WS_VISIBLE is shown after it.
    virtual WindowHandle CreateWindow(const WindowOptions& options, WindowHandler* handler) = 0;
    virtual WindowHandle CreateDialog(uint32_t templateId, WindowHandle owner,
                                      WindowHandler* handler) = 0;
    virtual bool DestroyWindow(WindowHandle window) = 0;

    // State.
    virtual bool IsWindow(WindowHandle window) const = 0;
    virtual bool IsWindowVisible(WindowHandle window) const = 0;
    virtual bool ShowWindow(WindowHandle window, int showCommand) = 0;
    virtual bool EnableWindow(WindowHandle window, bool enable) = 0;
    virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                              int cy, uint32_t flags) = 0;
    virtual std::string GetWindowText(WindowHandle window) const = 0;
    virtual bool SetWindowText(WindowHandle window, std::string_view text) = 0;
    virtual std::string GetClassName(WindowHandle window) const = 0;
    virtual uint32_t GetWindowProcessId(WindowHandle window) const = 0;
    // GetWindowRect, in screen pixels; no value for a window that is not there.
    virtual std::optional<Rect> GetWindowRect(WindowHandle window) const = 0;
    // The primary screen's work area (SystemParametersInfo SPI_GETWORKAREA).
    virtual Rect GetWorkArea() const = 0;
    // GetWindow(GW_OWNER): null for a window nobody owns.
    virtual WindowHandle GetOwner(WindowHandle window) const = 0;

    // Search. An empty optional matches any class or title.
    virtual WindowHandle FindWindow(const std::optional<std::string>& className,
                                    const std::optional<std::string>& title) const = 0;
    virtual WindowHandle FindWindowEx(WindowHandle parent, WindowHandle after,
                                      const std::optional<std::string>& className,
                                      const std::optional<std::string>& title) const = 0;
    virtual std::vector<WindowHandle> EnumTopLevelWindows() const = 0;

    // Messages.
    virtual bool PostMessage(WindowHandle window, uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    virtual bool PostThreadMessage(uint32_t threadId, uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    // SendMessageTimeoutW with SMTO_BLOCK and SMTO_ABORTIFHUNG: the caller handles no message
    // sent to it meanwhile. No value when it failed or timed out.
    virtual std::optional<std::intptr_t> SendMessageTimeout(WindowHandle window, uint32_t message,
                                                            std::uintptr_t wParam,
                                                            std::intptr_t lParam,
                                                            uint32_t timeoutMs) = 0;
    // 1 for a message, 0 for WM_QUIT, -1 on failure.
    virtual int GetMessage(Message& message) = 0;
    virtual bool PeekMessage(Message& message, bool remove) = 0;
    virtual void TranslateMessage(const Message& message) = 0;
    virtual std::intptr_t DispatchMessage(const Message& message) = 0;
    virtual bool IsDialogMessage(WindowHandle dialog, Message& message) = 0;
    virtual std::intptr_t DefaultHandling(WindowHandle window, uint32_t message,
                                          std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual uint32_t GetCurrentThreadId() const = 0;
    virtual long GetLastError() const = 0;

    // Window timers: WM_TIMER with the id in wParam.
    virtual std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t id, uint32_t ms) = 0;
    virtual bool KillTimer(WindowHandle window, std::uintptr_t id) = 0;

    virtual int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                           uint32_t type) = 0;

    // Low-level input hooks of the desktop, called on the installing thread while it pumps
    // messages. One procedure per kind and process.
    virtual HookHandle SetLowLevelHook(HookKind kind, HookProcedure* procedure) = 0;
    virtual bool Unhook(HookHandle hook) = 0;
    virtual std::intptr_t CallNextHook(HookHandle hook, int code, std::uintptr_t wParam,
                                       std::intptr_t lParam) = 0;
    // GetLastInputInfo: the tick count (ms) of the last key or mouse event the system took, in
    // the clock of the hooks' event times.
    virtual uint32_t LastInputTime() const = 0;
    // GetAsyncKeyState: the high bit is set while the key is down.
    virtual int16_t GetAsyncKeyState(int virtualKey) const = 0;
    // SendInput of one key or mouse event; false when the system refused it.
    virtual bool SendKey(uint16_t virtualKey, bool up, bool extended) = 0;
    virtual bool SendMouse(uint32_t mouseEventFlags) = 0;
    virtual bool SetForegroundWindow(WindowHandle window) = 0;

    // InitCommonControlsEx with these classes (ICC_* flags).
    virtual bool InitCommonControls(uint32_t classes) = 0;

    // The browser control of a dialog window; null when it cannot be made.
    virtual std::unique_ptr<HtmlHost> CreateHtmlHost(WindowHandle dialog, HtmlEvents& events) = 0;

    // Shell_NotifyIconW with a record of the layout that ends with the item GUID (952 bytes
    // on 32-bit Windows): NIM_ADD, NIM_MODIFY or NIM_DELETE. False when the shell refused it.
    virtual bool NotifyIcon(uint32_t action, const NotifyIconData& data) = 0;

    // GetOpenFileNameW owned by `owner`: the chosen full path, or no value when the user
    // cancelled. `filter` is written with "|" between its parts, as the framework writes it.
    virtual std::optional<std::string> GetOpenFileName(WindowHandle owner,
                                                       const OpenFileRequest& request) = 0;

    // The shell's folder browser (SHBrowseForFolderW) with no root, this title and BIF_* flags:
    // the chosen folder's file-system path, or no value when the user cancelled or chose an
    // item that has no such path.
    virtual std::optional<std::string> BrowseForFolder(WindowHandle owner, std::string_view title,
                                                       uint32_t flags) = 0;

    // The feature's flags (dwFlags of its SPI_GET record); no value when the system refused.
    virtual std::optional<uint32_t> GetAccessibilityFlags(AccessibilityFeature feature) = 0;
    // Sets them for this session only (not into the user's profile), the feature's other
    // settings as they are; false when the system refused.
    virtual bool SetAccessibilityFlags(AccessibilityFeature feature, uint32_t flags) = 0;

    // The program's icon resource as the window's large and small icon.
    virtual bool SetWindowIcon(WindowHandle window, uint32_t iconId) = 0;
    // A separator and then an entry with this command id at the end of the window menu.
    virtual bool AppendSystemMenuItem(WindowHandle window, uint32_t commandId,
                                      std::string_view text) = 0;
};

}  // namespace platform
