// The window's system menu entries of the tool's own: the way back from every change, and the
// record of them.
#pragma once

#include <windows.h>

// Fixed, so that scripts and test programs can send them with WM_SYSCOMMAND. The system keeps the
// low four bits of a command for itself, and its own commands start at 0xF000.
inline constexpr UINT kUndoAllCommand = 0x0110;
inline constexpr UINT kShowRecordCommand = 0x0120;

// Appends a separator, "撤销全部优化" and "查看更改记录" after the standard entries. The window works
// without them, so a failure is not reported.
void AddSystemMenuEntries(HWND window);
