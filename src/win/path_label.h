// A one-line label that shows a path: too long for the label, the path loses characters in its
// middle, never its last folder, and a tooltip over the label shows it whole.
#pragma once

#include <windows.h>

// Turns an existing static control into such a label. Its caption stays the whole path, and the
// tooltip follows every change of the caption. Without a tooltip (one that cannot be created) the
// path is still shown shortened in the middle. False when the tooltip is missing.
bool MakePathLabel(HWND label);
