// A drop-down list whose entries each carry a drive letter.
#pragma once

#include <windows.h>

#include <string_view>

// Appends an entry that shows `text` (UTF-16) and carries `letter`; selects it when `select` is
// true, which raises no notification. False when the list refused the entry.
bool AddDriveEntry(HWND combo, std::wstring_view text, char letter, bool select);

// The letter carried by the selected entry, or 0 when nothing is selected.
char SelectedDriveLetter(HWND combo);

// Makes the closed combo box `height` pixels high. Platforms differ in how the selection field's
// height maps to the control's, so this measures and corrects.
void SetClosedHeight(HWND combo, int height);
