// Entry point and exports of CorvaneExt.dll.
#include <new>

#include "common/shared_section.h"
#include "ext/exports.h"
#include "ext/shell_extension.h"
#include "platform/win32/system.h"

namespace {

CORVANE_SHARED_SECTION_BEGIN(".CORVANE")
corvane::ext::ExtSharedState sharedState CORVANE_SHARED(".CORVANE") = {
    platform::HookHandle::Null, platform::HookHandle::Null, 0, 0};
CORVANE_SHARED_SECTION_END(".CORVANE")

// The process objects: built at process attach, kept until the process ends (the hooks end
// with the thread that installed them).
alignas(
    platform::win32::Win32System) unsigned char systemStorage[sizeof(platform::win32::Win32System)];
alignas(corvane::ext::ShellExtension) unsigned char extensionStorage[sizeof(
    corvane::ext::ShellExtension)];
corvane::ext::ShellExtension* extension = nullptr;

platform::WindowHandle Handle(HWND window) {
    return static_cast<platform::WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH && extension == nullptr) {
        auto* system = new (systemStorage) platform::win32::Win32System();
        extension = new (extensionStorage) corvane::ext::ShellExtension(system->Get(), sharedState);
    }
    return TRUE;
}

CORVANE_EXT_API int StartExtensions(HWND mainWindow) {
    return extension->StartExtensions(Handle(mainWindow));
}
CORVANE_EXT_API int EndExtensions() {
    return extension->EndExtensions();
}
CORVANE_EXT_API int InitExtension() {
    return extension->InitExtension();
}
CORVANE_EXT_API int StartExtHooks() {
    return extension->StartExtHooks();
}
CORVANE_EXT_API int EndExtHooks() {
    return extension->EndExtHooks();
}
CORVANE_EXT_API int ShowWindowsGUI(int showCommand) {
    return extension->ShowWindowsGUI(showCommand);
}
CORVANE_EXT_API int HideShellAgain() {
    return extension->HideShellAgain();
}
CORVANE_EXT_API int ApplySettingsAgain() {
    return extension->ApplySettingsAgain();
}
