// Display scale: the window's DPI and figures scaled from 96 DPI.
#pragma once

#include <windows.h>

inline constexpr unsigned kDefaultDpi = 96;

// The DPI the window is shown at; the system DPI where the platform has no per-window DPI.
unsigned WindowDpi(HWND window);
unsigned SystemDpi();

// A figure laid out for 96 DPI at `dpi`, rounded to the nearest pixel (halves away from zero).
constexpr int ScaleForDpi(int value, unsigned dpi) {
    const long long scaled = static_cast<long long>(value) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + kDefaultDpi / 2 : scaled - kDefaultDpi / 2) /
                            static_cast<long long>(kDefaultDpi));
}
