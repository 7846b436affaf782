// An NTFS volume as the file-table reader needs it: its geometry, the runs of its MFT, and reads
// of whole file records through those runs.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "ntfs/byte_source.h"
#include "ntfs/give_up.h"
#include "ntfs/records.h"

namespace ntfs {

struct Geometry {
    std::uint32_t clusterSize = 0;
    std::uint32_t recordSize = 0;
    std::uint64_t totalClusters = 0;
    std::uint64_t mftCluster = 0;
};

// Reads the boot sector; nullopt, with the reason in `why`, unless every field of its geometry
// is within NTFS's limits and agrees with the others.
std::optional<Geometry> ReadGeometry(ByteSource& source, GiveUp& why);

// Reads `size` bytes at byte `offset` of a non-resident stream laid out by `runs`; holes read as
// zeros. False when a byte lies outside the runs or cannot be read.
bool ReadStream(ByteSource& source, const Geometry& geometry, const std::vector<Run>& runs,
                std::uint64_t offset, std::uint8_t* out, std::size_t size);

// The MFT: where its records lie and how many there are.
class Mft {
   public:
    // Follows record 0's $DATA, including the pieces its $ATTRIBUTE_LIST puts in other records.
    static std::optional<Mft> Open(ByteSource& source, const Geometry& geometry, GiveUp& why);

    std::uint64_t RecordCount() const { return recordCount_; }
    std::uint32_t RecordSize() const { return geometry_.recordSize; }
    const std::vector<Run>& Runs() const { return runs_; }
    // Reads records first..first+count-1 into `out` (count * recordSize bytes).
    bool ReadRecords(ByteSource& source, std::uint64_t first, std::size_t count, std::uint8_t* out) const;
    // Reads and parses one record; `buffer` holds its bytes afterwards.
    std::optional<FileRecord> Record(ByteSource& source, std::uint64_t number,
                                     std::vector<std::uint8_t>& buffer, GiveUp& why) const;
    // The unnamed $DATA of a system file such as $UpCase, read whole when at most `limit` bytes.
    std::optional<std::vector<std::uint8_t>> ReadSystemFile(ByteSource& source, std::uint64_t number,
                                                            std::size_t limit, GiveUp& why) const;
    // Whether record 0 needed an attribute list to describe the MFT.
    bool UsedAttributeList() const { return usedAttributeList_; }

   private:
    explicit Mft(const Geometry& geometry) : geometry_(geometry) {}
    bool AddListedPieces(ByteSource& source, const Attribute& list, GiveUp& why);

    Geometry geometry_;
    std::vector<Run> runs_;
    std::uint64_t recordCount_ = 0;
    bool usedAttributeList_ = false;
};

}  // namespace ntfs
