// Display scale: the window's DPI and figures scaled from 96 DPI.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/seam.h"

inline constexpr unsigned kDefaultDpi = 96;

// The DPI the window is shown at: its own, else its monitor's (Windows 8.1), else the system's.
unsigned WindowDpi(HWND window);
unsigned SystemDpi();

// A figure laid out for 96 DPI at `dpi`, rounded to the nearest pixel (halves away from zero).
constexpr int ScaleForDpi(int value, unsigned dpi) {
    const long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + kDefaultDpi / 2 : scaled - kDefaultDpi / 2) /
                            static_cast<long long>(kDefaultDpi));
}

// The calls WindowDpi asks. Empty members are the platform's own: GetDpiForWindow, and
// GetDpiForMonitor where that is missing. A test installs others to take the path of a Windows
// without the first, whose stand-in answers 0 as GetDpiForWindow does when it has no answer.
struct DpiCalls {
    std::function<UINT(HWND window)> GetDpiForWindow;
    std::function<HRESULT(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY)> GetDpiForMonitor;
};
using ScopedDpiCalls = ScopedCalls<DpiCalls>;

// MDT_EFFECTIVE_DPI: the scale the user chose for the monitor.
inline constexpr int kEffectiveDpi = 0;
