// Why the reader gave up on a volume: the structure, the field of it and the limit its value
// broke, so that a report of a slow search on an odd volume says what was odd about it.
#pragma once

#include <cstdint>
#include <string>

namespace ntfs {

enum class Structure {
    kVolume,         // the bytes could not be read
    kBootSector,     // the geometry
    kMft,            // record 0 and the runs of the MFT
    kAttributeList,  // the MFT's own attribute list
    kUpCase,         // the $UpCase table that gives the folders' order
    kFileRecord,     // a file record of the table
    kFolderTree,     // the folders' parent references
    kTable           // the reader's own limits
};

struct GiveUp {
    Structure structure = Structure::kVolume;
    std::uint64_t record = 0;  // the file record concerned, where there is one
    const char* field = "";
    std::uint64_t value = 0;  // the field's value as read
    const char* limit = "";   // what the value had to be
};

// One line, e.g. "boot sector: bytes per cluster 512 (must be at least bytes per sector)".
std::string Describe(const GiveUp& why);

}  // namespace ntfs
