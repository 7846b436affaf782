// Creating the table's controls and placing them at the window's display scale.
#pragma once

#include <windows.h>

#include <array>

#include "core/controls.h"
#include "win/scaled_font.h"

using ControlHandles = std::array<HWND, kControlCount>;

// Creates every control of the table as a child of `window`, each parent's children in table
// order. False as soon as one cannot be created; the caller then destroys the window.
bool CreateControls(HWND window, HINSTANCE instance, ControlHandles& controls);

// Places every control at `dpi` and gives each the font for it. The previous font in `font` is
// released only after every control has switched to the new one.
void LayOutControls(const ControlHandles& controls, unsigned dpi, ScaledFont& font);
