#include "ext/shell_extension.h"

#include "common/command_ids.h"
#include "common/root_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"

namespace corvane::ext {

namespace {

constexpr platform::Hive kHive = platform::Hive::LocalMachine;

}  // namespace

ShellExtension::ShellExtension(platform::System& system, ExtSharedState& shared)
    : system_(system), shared_(shared) {}

// The settings as they read now; false, with `out` as it was, when they cannot be read.
bool ShellExtension::ReadSettings(ExtSettings& out) const {
    platform::RegistryKeyPtr root;
    if (OpenForReading(system_.registry, kHive, kSettingsRoot, root) != 0) {
        return false;
    }
    ExtSettings read = out;
    ReadFlagOrNumber(*root, root_value::kEnableHideGUI, read.enableHideGUI);
    ReadFlagOrNumber(*root, root_value::kEnableTimers, read.enableTimers);
    root.reset();
    if (read.enableHideGUI != 0) {
        platform::RegistryKeyPtr hideGui;
        if (OpenForReading(system_.registry, kHive, kHideGuiKey, hideGui) != 0) {
            return false;
        }
        LoadSettings<HideGuiSettings>(*hideGui, read.hideGui, kHideGuiValues);
    }
    out = read;
    return true;
}

int ShellExtension::InitExtension() {
    if (!ReadSettings(settings_)) {
        return 0;
    }
    shared_.initialised = 1;
    return 1;
}

int ShellExtension::StartExtHooks() {
    if (shared_.initialised == 0) {
        return 0;
    }
    if (settings_.enableHideGUI != 0 || settings_.enableTimers != 0) {
        RunOnHookThread(kInstallHooks);
    }
    return 1;
}

int ShellExtension::EndExtHooks() {
    if (shared_.initialised == 0) {
        return 0;
    }
    const int result = hookThread_ ? RunOnHookThread(kRemoveHooks) : RemoveHooks();
    if (mouseHookInstalled_ == 0 && keyboardHookInstalled_ == 0) {
        StopHookThread();
    }
    return result;
}

// On the hook thread.
void ShellExtension::InstallHooks() {
    if (mouseHookInstalled_ == 0) {
        shared_.mouseHook = system_.windows.SetLowLevelHook(platform::HookKind::Mouse, &mouseHook_);
        mouseHookInstalled_ = shared_.mouseHook != platform::HookHandle::Null;
    }
    if (keyboardHookInstalled_ == 0) {
        shared_.keyboardHook =
            system_.windows.SetLowLevelHook(platform::HookKind::Keyboard, &keyboardHook_);
        keyboardHookInstalled_ = shared_.keyboardHook != platform::HookHandle::Null;
    }
}

// On the hook thread: EndExtHooks's own steps and result.
int ShellExtension::RemoveHooks() {
    if (mouseHookInstalled_ == 1 && system_.windows.Unhook(shared_.mouseHook)) {
        mouseHookInstalled_ = 0;
    }
    if (keyboardHookInstalled_ == 1) {
        if (!system_.windows.Unhook(shared_.keyboardHook)) {
            return 0;
        }
        keyboardHookInstalled_ = 0;
    }
    return mouseHookInstalled_ == 0 ? 1 : 0;
}

int ShellExtension::StartExtensions(platform::WindowHandle mainWindow) {
    if (InitExtension() == 0 || StartExtHooks() == 0) {
        return 0;
    }
    if (settings_.enableHideGUI != 0 && shared_.guiHidden != 1) {
        if (!WindowPass(platform::sw::kHide)) {
            return 0;
        }
        CloseSteps();
        shared_.guiHidden = 1;
    }
    mainWindow_ = mainWindow;
    return 1;
}

int ShellExtension::EndExtensions() {
    if (EndExtHooks() == 0 || shared_.initialised == 0) {
        return 0;
    }
    if (settings_.enableHideGUI == 0) {
        return 1;
    }
    if (shared_.guiHidden == 0 || !WindowPass(platform::sw::kShow)) {
        return 0;
    }
    shared_.guiHidden = 0;
    return 0;
}

int ShellExtension::ShowWindowsGUI(int showCommand) {
    if (shared_.initialised == 0) {
        return 0;
    }
    if (settings_.enableHideGUI == 0) {
        return 1;
    }
    if (showCommand == platform::sw::kShow && shared_.guiHidden == 0) {
        return 0;
    }
    if (showCommand == platform::sw::kHide && shared_.guiHidden == 1) {
        return 1;
    }
    if (!WindowPass(showCommand)) {
        return 0;
    }
    if (showCommand == platform::sw::kHide) {
        CloseSteps();
        shared_.guiHidden = 1;
    } else if (showCommand == platform::sw::kShow) {
        shared_.guiHidden = 0;
    }
    return shared_.guiHidden;
}

// A new shell's windows are shown: the pass runs whatever the shared state says.
int ShellExtension::HideShellAgain() {
    if (shared_.initialised == 0 || settings_.enableHideGUI == 0 || shared_.guiHidden != 1) {
        return 0;
    }
    if (!WindowPass(platform::sw::kHide)) {
        return 0;
    }
    CloseSteps();
    return 1;
}

int ShellExtension::ApplySettingsAgain() {
    ExtSettings fresh = settings_;
    // Settings that cannot be read change nothing: the rules and the hidden windows stay.
    if (shared_.initialised == 0 || !ReadSettings(fresh)) {
        return 0;
    }
    const ExtSettings old = settings_;
    pending_ = fresh;
    if (hookThread_) {
        RunOnHookThread(kTakeSettings);  // where the filter procedures read them
    } else {
        settings_ = pending_;
    }
    if ((fresh.enableHideGUI != 0 || fresh.enableTimers != 0) && StartExtHooks() == 0) {
        return 0;
    }
    const bool wasHidden = old.enableHideGUI != 0 && shared_.guiHidden == 1;
    if (fresh.enableHideGUI != 0) {
        if (!WindowPass(platform::sw::kHide, fresh.hideGui)) {
            return 0;
        }
        CloseSteps();
        shared_.guiHidden = 1;
    } else {
        shared_.guiHidden = 0;
    }
    // Only what the old settings hid and the new ones no longer do comes back: nothing the new
    // settings hide is ever shown on the way.
    if (wasHidden) {
        HideGuiSettings released = old.hideGui;
        const HideGuiSettings& kept = fresh.hideGui;
        const bool hiding = fresh.enableHideGUI != 0;
        for (int HideGuiSettings::*flag :
             {&HideGuiSettings::hideDesktop, &HideGuiSettings::hideTaskbar,
              &HideGuiSettings::hideStartButton, &HideGuiSettings::hideTaskTray,
              &HideGuiSettings::hideTaskbarButtons}) {
            released.*flag = released.*flag != 0 && !(hiding && kept.*flag != 0) ? 1 : 0;
        }
        const bool secondaryKept =
            hiding && (kept.hideTaskbar || kept.hideStartButton || kept.hideTaskbarButtons);
        WindowPass(platform::sw::kShow, released, !secondaryKept);
    }
    return 1;
}

bool ShellExtension::WindowPass(int showCommand) {
    return WindowPass(showCommand, settings_.hideGui);
}

bool ShellExtension::WindowPass(int showCommand, const HideGuiSettings& s, bool secondaryTaskbars) {
    auto& windows = system_.windows;
    const platform::WindowHandle desktop = windows.FindWindow(std::string("Progman"), std::nullopt);
    if (desktop == platform::WindowHandle::Null) {
        return false;
    }
    const auto show = [&](platform::WindowHandle window) {
        if (window != platform::WindowHandle::Null) {
            windows.ShowWindow(window, showCommand);
        }
    };
    const auto child = [&](platform::WindowHandle parent, const char* className) {
        return windows.FindWindowEx(parent, platform::WindowHandle::Null, std::string(className),
                                    std::nullopt);
    };
    if (s.hideDesktop) {
        show(child(desktop, "SHELLDLL_DefView"));
    }
    // The taskbar of every other monitor has a start button and task buttons of its own: it goes
    // whole whenever the main taskbar or either of those parts does.
    if (secondaryTaskbars && (s.hideTaskbar || s.hideStartButton || s.hideTaskbarButtons)) {
        platform::WindowHandle secondary = platform::WindowHandle::Null;
        while ((secondary = windows.FindWindowEx(platform::WindowHandle::Null, secondary,
                                                 std::string("Shell_SecondaryTrayWnd"),
                                                 std::nullopt)) != platform::WindowHandle::Null) {
            show(secondary);
        }
    }
    // Without a taskbar there is nothing of it to show or hide. A search under no parent would
    // find any top-level window of the class, so none is made.
    const platform::WindowHandle taskbar =
        windows.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    if (taskbar == platform::WindowHandle::Null) {
        return true;
    }
    if (s.hideTaskbar) {
        show(taskbar);
    }
    if (s.hideStartButton) {
        show(child(taskbar, "Button"));
    }
    if (s.hideTaskTray) {
        show(child(taskbar, "TrayNotifyWnd"));
    }
    if (s.hideTaskbarButtons) {
        show(child(taskbar, "ReBarWindow32"));
    }
    return true;
}

void ShellExtension::CloseSteps() {
    auto& windows = system_.windows;
    const platform::WindowHandle taskbar =
        windows.FindWindow(std::string("Shell_TrayWnd"), std::nullopt);
    if (taskbar == platform::WindowHandle::Null) {
        return;
    }
    const auto close = [&](const char* className) {
        const platform::WindowHandle window = windows.FindWindowEx(
            taskbar, platform::WindowHandle::Null, std::string(className), std::nullopt);
        if (window != platform::WindowHandle::Null) {
            windows.PostMessage(window, platform::wm::kClose, 0, 0);
        }
    };
    if (settings_.hideGui.closeStartButton) {
        close("Button");
    }
    if (settings_.hideGui.closeTaskTray) {
        close("TrayNotifyWnd");
    }
}

void ShellExtension::Post(const FilterActions& actions) {
    if (actions.postActivity) {
        system_.windows.PostMessage(mainWindow_.load(), WM_APP_ACTIVITY, 0, 0);
    }
    // To the thread that started the hooks, whose loop asks for the password.
    if (actions.postOverride) {
        system_.windows.PostThreadMessage(mainThreadId_, WM_APP_OVERRIDE, 0, 0);
    }
}

std::intptr_t ShellExtension::KeyboardFilterProc(int code, std::uintptr_t message,
                                                 std::intptr_t record) {
    auto& windows = system_.windows;
    if (code != platform::kHcAction) {
        return windows.CallNextHook(shared_.keyboardHook, code, message, record);
    }
    const auto& event = *reinterpret_cast<const platform::KeyboardEvent*>(record);
    lastSeen_ = event.time;
    Modifiers modifiers;
    if ((event.flags & platform::llkhf::kUp) == 0) {
        // Read only for presses, in this order.
        modifiers.ctrl = windows.GetAsyncKeyState(platform::vk::kControl) & 0x8000;
        modifiers.alt = windows.GetAsyncKeyState(platform::vk::kMenu) & 0x8000;
        modifiers.shift = windows.GetAsyncKeyState(platform::vk::kShift) & 0x8000;
    }
    const FilterActions actions =
        FilterKey(event.vkCode, event.flags, modifiers, settings_, previousPress_);
    if ((event.flags & platform::llkhf::kUp) == 0) {
        previousPress_ = event.vkCode;
    }
    Post(actions);
    if (actions.maskMenu) {
        // Sent after this event: a key between Alt's press and its release keeps the menu shut,
        // and the release then comes again, no longer alone.
        const bool extended = (event.flags & platform::llkhf::kExtended) != 0;
        windows.SendKey(static_cast<uint16_t>(kMenuMaskKey), false, false);
        windows.SendKey(static_cast<uint16_t>(kMenuMaskKey), true, false);
        windows.SendKey(static_cast<uint16_t>(event.vkCode), true, extended);
    }
    if (actions.swallow) {
        return 1;
    }
    return windows.CallNextHook(shared_.keyboardHook, 0, message, record);
}

std::intptr_t ShellExtension::MouseFilterProc(int code, std::uintptr_t message,
                                              std::intptr_t record) {
    auto& windows = system_.windows;
    if (code != platform::kHcAction) {
        return windows.CallNextHook(shared_.mouseHook, code, message, record);
    }
    lastSeen_ = reinterpret_cast<const platform::MouseEvent*>(record)->time;
    const bool shift = windows.GetAsyncKeyState(platform::vk::kShift) & 0x8000;
    const bool ctrl = settings_.hideGui.disableCtrlClick != 0 &&
                      (windows.GetAsyncKeyState(platform::vk::kControl) & 0x8000) != 0;
    const FilterActions actions =
        FilterMouse(static_cast<uint32_t>(message), shift, settings_, ctrl);
    Post(actions);
    if (actions.swallow) {
        return 1;
    }
    return windows.CallNextHook(shared_.mouseHook, 0, message, record);
}

}  // namespace corvane::ext
