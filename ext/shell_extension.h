// The extension library of one process: its settings, its hooks, and the shell windows.
#pragma once

#include <cstdint>

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

    std::intptr_t KeyboardFilterProc(int code, std::uintptr_t message, std::intptr_t record);
    std::intptr_t MouseFilterProc(int code, std::uintptr_t message, std::intptr_t record);

    const ExtSettings& Settings() const { return settings_; }
    platform::WindowHandle MainWindow() const { return mainWindow_; }

  private:
    // The window pass: false when there is no desktop window.
    bool WindowPass(int showCommand);
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
    platform::WindowHandle mainWindow_ = platform::WindowHandle::Null;
    int mouseHookInstalled_ = 0;
    int keyboardHookInstalled_ = 0;
    uint32_t previousPress_ = 0;  // the key of the keyboard hook's last press
    ExtSettings settings_;
    Hook<&ShellExtension::KeyboardFilterProc> keyboardHook_{*this};
    Hook<&ShellExtension::MouseFilterProc> mouseHook_{*this};
};

}  // namespace corvane::ext
