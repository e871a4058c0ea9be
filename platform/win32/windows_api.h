// <windows.h> for the platform layer. The A/W macros are removed so that the platform
// interfaces' method names stay themselves; this code calls the W functions by name.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>
#include <shellapi.h>

#undef CreateWindow
#undef CreateDialog
#undef MessageBox
#undef GetMessage
#undef PeekMessage
#undef PostMessage
#undef PostThreadMessage
#undef DispatchMessage
#undef IsDialogMessage
#undef SendMessageTimeout
#undef RegisterWindowMessage
#undef FindWindow
#undef FindWindowEx
#undef GetWindowText
#undef SetWindowText
#undef GetClassName
#undef LoadString
#undef CreateMutex
#undef ShellExecute
#undef DeleteFile
#undef GetCommandLine
