// Drive box entries.
#include "app/drive_box.h"

#include <windows.h>

#include "core/texts.h"
#include "platform/encoding.h"
#include "win/drive_combo.h"

Text DriveEntryText(const DriveInfo& drive) {
    Text entry{drive.letter, ':'};
    switch (drive.type) {
        case DRIVE_FIXED:
            entry += texts::kFixedDriveSuffix;
            if (!drive.label.empty())
                entry += " " + drive.label;
            break;
        case DRIVE_REMOTE:
            entry += texts::kRemoteDriveSuffix;
            break;
        case DRIVE_CDROM:
            entry += texts::kCdRomDriveSuffix;
            break;
        case DRIVE_RAMDISK:
            entry += texts::kRamDiskDriveSuffix;
            break;
        default:
            break;
    }
    return entry;
}

void FillDriveBox(HWND combo) {
    const Text current = CurrentDriveLetter();
    for (const DriveInfo& drive : ListDrives())
        AddDriveEntry(combo, ToWide(DriveEntryText(drive)), drive.letter,
                      !current.empty() && drive.letter == current[0]);
}
