// The entries of the drive box.
#pragma once

#include "platform/drives.h"

// "D: （硬盘） Games": the letter and a colon, then a suffix by drive type (a fixed drive's label
// after it); removable drives and unknown types get no suffix.
Text DriveEntryText(const DriveInfo& drive);
