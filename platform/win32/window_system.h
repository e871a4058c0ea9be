#pragma once

#include <set>
#include <string>

#include "platform/window_system.h"

namespace platform::win32 {

class Win32WindowSystem final : public WindowSystem {
  public:
    uint32_t RegisterWindowMessage(std::string_view name) override;
    WindowHandle CreateWindow(const WindowOptions& options, WindowHandler* handler) override;
    WindowHandle CreateDialog(uint32_t templateId, WindowHandle owner,
                              WindowHandler* handler) override;
    bool DestroyWindow(WindowHandle window) override;
    bool IsWindow(WindowHandle window) const override;
    bool IsWindowVisible(WindowHandle window) const override;
    bool ShowWindow(WindowHandle window, int showCommand) override;
    bool EnableWindow(WindowHandle window, bool enable) override;
    bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                      uint32_t flags) override;
    std::string GetWindowText(WindowHandle window) const override;
    bool SetWindowText(WindowHandle window, std::string_view text) override;
    std::string GetClassName(WindowHandle window) const override;
    uint32_t GetWindowProcessId(WindowHandle window) const override;
    WindowHandle GetOwner(WindowHandle window) const override;
    std::optional<Rect> GetWindowRect(WindowHandle window) const override;
    Rect GetWorkArea() const override;
    WindowHandle FindWindow(const std::optional<std::string>& className,
                            const std::optional<std::string>& title) const override;
    WindowHandle FindWindowEx(WindowHandle parent, WindowHandle after,
                              const std::optional<std::string>& className,
                              const std::optional<std::string>& title) const override;
    std::vector<WindowHandle> EnumTopLevelWindows() const override;
    bool PostMessage(WindowHandle window, uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override;
    bool PostThreadMessage(uint32_t threadId, uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) override;
    void PostQuitMessage(int exitCode) override;
    std::optional<std::intptr_t> SendMessageTimeout(WindowHandle window, uint32_t message,
                                                    std::uintptr_t wParam, std::intptr_t lParam,
                                                    uint32_t timeoutMs) override;
    int GetMessage(Message& message) override;
    bool PeekMessage(Message& message, bool remove) override;
    void TranslateMessage(const Message& message) override;
    std::intptr_t DispatchMessage(const Message& message) override;
    bool IsDialogMessage(WindowHandle dialog, Message& message) override;
    std::intptr_t DefaultHandling(WindowHandle window, uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) override;
    uint32_t GetCurrentThreadId() const override;
    long GetLastError() const override;
    std::uintptr_t SetTimer(WindowHandle window, std::uintptr_t id, uint32_t ms) override;
    bool KillTimer(WindowHandle window, std::uintptr_t id) override;
    int MessageBox(WindowHandle owner, std::string_view text, std::string_view caption,
                   uint32_t type) override;
    HookHandle SetLowLevelHook(HookKind kind, HookProcedure* procedure) override;
    bool Unhook(HookHandle hook) override;
    std::intptr_t CallNextHook(HookHandle hook, int code, std::uintptr_t wParam,
                               std::intptr_t lParam) override;
    int16_t GetAsyncKeyState(int virtualKey) const override;
    uint32_t LastInputTime() const override;
    bool SendKey(uint16_t virtualKey, bool up, bool extended) override;
    bool SendMouse(uint32_t mouseEventFlags) override;
    bool SetForegroundWindow(WindowHandle window) override;
    bool InitCommonControls(uint32_t classes) override;
    std::unique_ptr<HtmlHost> CreateHtmlHost(WindowHandle dialog, HtmlEvents& events) override;
    bool NotifyIcon(uint32_t action, const NotifyIconData& data) override;
    std::optional<std::string> GetOpenFileName(WindowHandle owner,
                                               const OpenFileRequest& request) override;
    std::optional<std::string> BrowseForFolder(WindowHandle owner, std::string_view title,
                                               uint32_t flags) override;
    std::optional<uint32_t> GetAccessibilityFlags(AccessibilityFeature feature) override;
    bool SetAccessibilityFlags(AccessibilityFeature feature, uint32_t flags) override;
    bool SetWindowIcon(WindowHandle window, uint32_t iconId) override;
    bool AppendSystemMenuItem(WindowHandle window, uint32_t commandId,
                              std::string_view text) override;

  private:
    bool EnsureClass(const std::string& className);
    std::set<std::string> registeredClasses_;
};

}  // namespace platform::win32
