// The exports of CorvaneExt.dll, for the programs that link it.
#pragma once

#include "platform/win32/windows_api.h"

#ifdef CORVANE_EXT_BUILDING
#define CORVANE_EXT_API extern "C" __declspec(dllexport)
#else
#define CORVANE_EXT_API extern "C" __declspec(dllimport)
#endif

CORVANE_EXT_API int StartExtensions(HWND mainWindow);
CORVANE_EXT_API int EndExtensions();
CORVANE_EXT_API int InitExtension();
CORVANE_EXT_API int StartExtHooks();
CORVANE_EXT_API int EndExtHooks();
CORVANE_EXT_API int ShowWindowsGUI(int showCommand);
CORVANE_EXT_API int HideShellAgain();
CORVANE_EXT_API int ApplySettingsAgain();
