// The flat owner-drawn push button.
#pragma once

#include <windows.h>

// Paints a BS_OWNERDRAW button in answer to WM_DRAWITEM: the face in the system's button colour,
// a one-pixel border, the caption centred, no focus rectangle.
void DrawFlatButton(const DRAWITEMSTRUCT& item);
