// A shortcut made with the shell's link object, as an administrator makes one. COM must be
// initialised on the calling thread.
#pragma once

#include <string>

#include "platform/win32/com_ptr.h"
#include "platform/win32/windows_api.h"
// after windows.h, which they need
#include <objidl.h>
#include <shlobj.h>

namespace corvane::testing {

inline bool MakeShortcut(const std::wstring& path, const std::wstring& target,
                         const std::wstring& arguments) {
    platform::win32::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid())) ||
        FAILED(link->SetPath(target.c_str())) || FAILED(link->SetArguments(arguments.c_str()))) {
        return false;
    }
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    return file && SUCCEEDED(file->Save(path.c_str(), TRUE));
}

}  // namespace corvane::testing
