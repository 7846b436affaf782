// Lists the files of an NTFS volume from its master file table, in the order and with the names a
// depth-first directory walk from the root would report them, without walking a single directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ntfs/byte_source.h"
#include "ntfs/give_up.h"

namespace ntfs {

using NameView = std::basic_string_view<NameChar>;
using Name = std::basic_string<NameChar>;

enum class Outcome {
    kListed,  // the hits are complete
    kGaveUp,  // the volume is not NTFS, cannot be read, or is malformed; no hits are given
    kStopped  // `keepGoing` asked to stop; no hits are given
};

struct ReadStats {
    std::uint64_t records = 0;         // file records in the MFT
    std::uint64_t names = 0;           // names kept in the table
    std::uint64_t extensionNames = 0;  // of which found in extension records (attribute lists)
    std::size_t mftRuns = 0;           // extents of the MFT
    bool mftAttributeList = false;     // the MFT's own runs needed an attribute list
    std::size_t peakTableBytes = 0;    // the table's memory at its largest
    GiveUp gaveUp;                     // why, when the outcome is kGaveUp
};

// Reads the volume's file table and appends to `hits` the path of every file whose name `matches`
// (a Win32 or POSIX name; DOS 8.3 names are never used), relative to the root and with
// backslashes between names: a folder's matching files first, in the volume's collation order,
// then its subfolders in that order, each completely before the next. Metadata files are
// hidden, reparse points are not entered, and a file with several hard links is listed under
// each of its folders. The table is used whole or not at all: a damaged or torn record, a name
// that cannot be read, a folder that holds names but cannot be placed under the root give up
// (a file whose folder is gone, as one deleted while still open, is passed over). `keepGoing` is called every
// few milliseconds of work; when it returns false the reading stops. Memory is released before the call
// returns.
Outcome ListMatchingFiles(ByteSource& source, const std::function<bool(NameView)>& matches,
                          const std::function<bool()>& keepGoing, std::vector<Name>& hits,
                          ReadStats* stats = nullptr);

}  // namespace ntfs
