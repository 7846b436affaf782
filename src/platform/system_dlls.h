// COMCTL32 and UxTheme, loaded at run time and from the system folder only. They are not
// KnownDLLs: imported statically, a copy beside the executable would be loaded in their place.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/result.h"

// Makes the system folder the only place the process loads DLLs from by name. Call it first thing.
void LoadDllsFromSystemFolderOnly();

// Loads a DLL that is no KnownDLL from the system folder, never from anywhere else; null when it
// cannot be had there.
HMODULE LoadSystemDll(const wchar_t* name);

// Loads COMCTL32, the version the manifest asks for (Common Controls 6), and UxTheme, once, and
// registers the standard control classes and the tooltip. Fails when COMCTL32 or one of its subclassing
// functions cannot be had; without UxTheme the controls only keep their classic look.
SysResult LoadCommonControls();

// COMCTL32's window subclassing; each needs LoadCommonControls to have succeeded.
SysResult SubclassWindow(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data);
void RemoveSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id);
LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Switches visual styles off for one control, so that it paints with the colours it is given.
void UseClassicLook(HWND control);
