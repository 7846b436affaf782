// Drive box entry texts.
#include "app/drive_box.h"

#include <windows.h>

Text DriveEntryText(const DriveInfo& drive) {
    Text entry{drive.letter, ':'};
    switch (drive.type) {
        case DRIVE_FIXED:
            entry += " （硬盘）";
            if (!drive.label.empty())
                entry += " " + drive.label;
            break;
        case DRIVE_REMOTE:
            entry += " （网络驱动器）";
            break;
        case DRIVE_CDROM:
            entry += " （光驱）";
            break;
        case DRIVE_RAMDISK:
            entry += " （内存虚拟驱动器）";
            break;
        default:
            break;
    }
    return entry;
}
