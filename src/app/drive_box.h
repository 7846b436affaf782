// The drive box: its entries and how it is filled.
#pragma once

#include <windows.h>

#include "platform/drives.h"

// "D: （硬盘） Games": the letter and a colon, then a suffix by drive type (a fixed drive's label
// after it); removable drives and unknown types get no suffix.
Text DriveEntryText(const DriveInfo& drive);

// Lists every drive of the system in `combo`, in the system's order, and selects the process's
// current drive without raising the drive-chosen event.
void FillDriveBox(HWND combo);
