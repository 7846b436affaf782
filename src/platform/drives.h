// The system's drives, their types and volume labels.
#pragma once

#include <vector>

#include "platform/text.h"

struct DriveInfo {
    char letter;    // 'A' to 'Z'
    unsigned type;  // a DRIVE_* value of GetDriveTypeW
    Text label;     // the volume label; empty when the volume has none or cannot be read
};

// Every drive the system reports, in its order.
std::vector<DriveInfo> ListDrives();

// The drive letter of the process's current directory, as a one-letter text ("C").
Text CurrentDriveLetter();
