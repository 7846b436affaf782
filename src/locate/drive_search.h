// The search of a whole drive for one file name: read from the volume's NTFS file table where
// Windows lets the tool open the volume, walked folder by folder everywhere else.
#pragma once

#include "platform/text.h"

namespace ntfs {
class ByteSource;
}

struct DriveSearch {
    int count;       // entries in the result list afterwards, as FindFilesRecursive returns
    bool readTable;  // the hits came from the file table, not from a walk
};

// Appends to `results` exactly what FindFilesRecursive(drive + ":\", pattern, results) would
// append: the same hit texts in the same order. The file table is read when the drive is a local
// NTFS volume that can be opened for reading (which takes administrator rights) and `pattern` is
// a single pattern; otherwise, and whenever the table cannot be read, the drive is walked. The
// window stays responsive meanwhile, and a quit stops the search as it stops the walk.
DriveSearch FindFilesOnDrive(const Text& drive, const Text& pattern, TextList& results);

// The same with the volume's bytes given instead of opened; null walks.
DriveSearch FindFilesOnDrive(const Text& drive, const Text& pattern, TextList& results,
                             ntfs::ByteSource* volume);
