// The extension library of one process: its settings, its hooks, and the shell windows.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "common/shell_extensions.h"
#include "ext/input_filter.h"
#include "platform/system.h"

namespace corvane::ext {

// Shared by every process that loads the library: on Windows a shared data section.
struct ExtSharedState {
    platform::HookHandle keyboardHook;
    platform::HookHandle mouseHook;
    int32_t guiHidden;
    int32_t initialised;
};

class ShellExtension final : public ShellExtensions {
  public:
    ShellExtension(platform::System& system, ExtSharedState& shared);

    // The six exports.
    int StartExtensions(platform::WindowHandle mainWindow) override;
    int EndExtensions() override;
    int InitExtension();
    int StartExtHooks();
    int EndExtHooks();
    int ShowWindowsGUI(int showCommand);
    int HideShellAgain() override;
    int ApplySettingsAgain() override;

    std::intptr_t KeyboardFilterProc(int code, std::uintptr_t message, std::intptr_t record);
    std::intptr_t MouseFilterProc(int code, std::uintptr_t message, std::intptr_t record);

    const ExtSettings& Settings() const { return settings_; }
    platform::WindowHandle MainWindow() const { return mainWindow_.load(); }
    // The hook thread's id, 0 while there is none.
    uint32_t HookThreadId() const { return hookThread_ ? hookThread_->Id() : 0; }

  private:
    // The hooks live on a thread of their own that only pumps its queue (hook_thread.cpp), so
    // that no work of the main thread delays a verdict. Its hidden window takes the requests
    // below, and each second a watchdog installs the hooks again when input went past them.
    enum HookRequest : uint32_t { kInstallHooks = 0x8000 + 0x40, kRemoveHooks, kTakeSettings };
    class HookWindow final : public platform::WindowHandler {
      public:
        explicit HookWindow(ShellExtension& owner) : owner_(owner) {}
        std::optional<std::intptr_t> OnWindowMessage(platform::WindowHandle window,
                                                     uint32_t message, std::uintptr_t wParam,
                                                     std::intptr_t lParam) override;

      private:
        ShellExtension& owner_;
    };
    // Starts the thread when there is none; then the request's result.
    int RunOnHookThread(HookRequest request);
    int HandleHookRequest(HookRequest request);
    void HookThreadMain();
    void StopHookThread();
    void InstallHooks();
    int RemoveHooks();
    void Watchdog();

    bool ReadSettings(ExtSettings& out) const;
    // The window pass over what `s` names (the settings' own by default), the other monitors'
    // taskbars with it unless told otherwise: false when there is no desktop window.
    bool WindowPass(int showCommand);
    bool WindowPass(int showCommand, const HideGuiSettings& s, bool secondaryTaskbars = true);
    void CloseSteps();
    void Post(const FilterActions& actions);

    // A hook procedure of the platform that calls one of the two filter procedures.
    template <std::intptr_t (ShellExtension::*Filter)(int, std::uintptr_t, std::intptr_t)>
    class Hook final : public platform::HookProcedure {
      public:
        explicit Hook(ShellExtension& owner) : owner_(owner) {}
        std::intptr_t OnHookEvent(int code, std::uintptr_t w, std::intptr_t l) override {
            return (owner_.*Filter)(code, w, l);
        }

      private:
        ShellExtension& owner_;
    };

    platform::System& system_;
    ExtSharedState& shared_;
    std::atomic<platform::WindowHandle> mainWindow_{platform::WindowHandle::Null};
    int mouseHookInstalled_ = 0;
    int keyboardHookInstalled_ = 0;
    // Of the hook thread only, but for the two set before it starts.
    uint32_t previousPress_ = 0;           // the key of the keyboard hook's last press
    uint32_t lastSeen_ = 0;                // the time of the last event a hook saw
    std::optional<uint32_t> unseenInput_;  // input the last check found past the hooks
    uint32_t mainThreadId_ = 0;
    std::unique_ptr<platform::WorkerThread> hookThread_;
    std::atomic<platform::WindowHandle> hookWindow_{platform::WindowHandle::Null};
    std::atomic<bool> hookThreadReady_{false};
    HookWindow hookWindowHandler_{*this};
    ExtSettings settings_;
    ExtSettings pending_;  // new settings the hook thread takes into settings_
    Hook<&ShellExtension::KeyboardFilterProc> keyboardHook_{*this};
    Hook<&ShellExtension::MouseFilterProc> mouseHook_{*this};
};

}  // namespace corvane::ext
