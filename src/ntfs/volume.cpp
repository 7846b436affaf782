// Boot sector, MFT runs and record reads, checked against the volume's own geometry.
#include "ntfs/volume.h"

#include <algorithm>
#include <array>

namespace ntfs {

namespace {

constexpr std::size_t kBlock = 512;
// No legitimate volume comes near these; they keep a forged boot sector from asking for
// gigabytes of memory.
constexpr std::uint64_t kMaxRecords = 1ull << 32;
constexpr std::size_t kMaxAttributeList = std::size_t{256} * 1024;
constexpr std::uint64_t kMaxClusters = (1ull << 32) - 1;

bool IsPowerOfTwo(std::uint64_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The unnamed $DATA pieces of one record, in the order they appear.
std::vector<Attribute> DataPieces(const FileRecord& record) {
    std::vector<Attribute> pieces;
    record.ForEachAttribute([&](const Attribute& a) {
        if (a.type == kData && !a.named)
            pieces.push_back(a);
    });
    return pieces;
}

// The MFT is never sparse; a hole would let a forged volume claim billions of records that cost
// no reads.
bool HasHole(const std::vector<Run>& runs) {
    return std::any_of(runs.begin(), runs.end(), [](const Run& r) { return r.sparse; });
}

}  // namespace

std::optional<Geometry> ReadGeometry(ByteSource& source, GiveUp& why) {
    std::array<std::uint8_t, kBlock> boot{};
    if (!source.Read(0, boot.data(), boot.size())) {
        why = {Structure::kVolume, 0, "read at byte", 0, "readable"};
        return std::nullopt;
    }
    const std::span<const std::uint8_t> b(boot);
    auto refuse = [&](const char* field, std::uint64_t value, const char* limit) {
        why = {Structure::kBootSector, 0, field, value, limit};
        return std::nullopt;
    };
    static constexpr std::uint8_t kOem[] = {'N', 'T', 'F', 'S', ' ', ' ', ' ', ' '};
    if (!std::equal(std::begin(kOem), std::end(kOem), b.begin() + 3) || b[510] != 0x55 || b[511] != 0xAA)
        return refuse("signature", Read16(b, 510), "NTFS at byte 3 and 55 AA at its end");
    const std::uint32_t sectorSize = Read16(b, 11);
    const std::uint8_t perCluster = b[13];
    if (sectorSize < 256 || sectorSize > 4096 || !IsPowerOfTwo(sectorSize))
        return refuse("bytes per sector", sectorSize, "a power of two from 256 to 4096");
    // Above 0x80 the field is a negative power of two (clusters of 64 KB and more).
    std::uint64_t clusterSize = 0;
    if (perCluster <= 0x80) {
        clusterSize = std::uint64_t{sectorSize} * perCluster;
    } else {
        const unsigned shift = 256u - perCluster;
        if (shift > 21)
            return refuse("sectors per cluster", perCluster, "a cluster of at most 2 MB");
        clusterSize = std::uint64_t{1} << shift;
    }
    if (clusterSize < kBlock || !IsPowerOfTwo(clusterSize))
        return refuse("bytes per cluster", clusterSize, "a power of two from 512 to 2 MB");
    // Sizes in sectors are turned into clusters by dividing by the sectors per cluster.
    if (clusterSize < sectorSize)
        return refuse("bytes per cluster", clusterSize, "at least bytes per sector");
    const auto perRecord = static_cast<std::int8_t>(b[0x40]);
    std::uint64_t recordSize = 0;
    if (perRecord > 0) {
        recordSize = clusterSize * static_cast<std::uint64_t>(perRecord);
    } else {
        if (perRecord < -31)
            return refuse("clusters per file record", b[0x40], "a record of 1024 to 4096 bytes");
        recordSize = std::uint64_t{1} << -perRecord;
    }
    if (recordSize < 1024 || recordSize > 4096 || !IsPowerOfTwo(recordSize))
        return refuse("bytes per file record", recordSize, "a power of two from 1024 to 4096");
    const std::uint64_t totalClusters = Read64(b, 0x28) / (clusterSize / sectorSize);
    // Windows' own limit; it also keeps every cluster's byte offset far from overflowing.
    if (totalClusters == 0 || totalClusters > kMaxClusters)
        return refuse("clusters in the volume", totalClusters, "1 to 2^32 - 1");
    const std::uint64_t mftCluster = Read64(b, 0x30);
    if (mftCluster >= totalClusters || (totalClusters - mftCluster) * clusterSize < recordSize)
        return refuse("MFT cluster", mftCluster, "a record's room inside the volume");
    Geometry geometry;
    geometry.clusterSize = static_cast<std::uint32_t>(clusterSize);
    geometry.recordSize = static_cast<std::uint32_t>(recordSize);
    geometry.totalClusters = totalClusters;
    geometry.mftCluster = mftCluster;
    return geometry;
}

bool ReadStream(ByteSource& source, const Geometry& geometry, const std::vector<Run>& runs,
                std::uint64_t offset, std::uint8_t* out, std::size_t size) {
    const std::uint64_t clusterSize = geometry.clusterSize;
    while (size > 0) {
        const std::uint64_t vcn = offset / clusterSize;
        // Runs are sorted by VCN and contiguous; a binary search finds the one holding `vcn`.
        auto run = std::upper_bound(runs.begin(), runs.end(), vcn,
                                    [](std::uint64_t v, const Run& r) { return v < r.vcn; });
        if (run == runs.begin())
            return false;
        --run;
        if (vcn - run->vcn >= run->clusters)
            return false;
        const std::uint64_t within = offset - run->vcn * clusterSize;
        const std::uint64_t left = run->clusters * clusterSize - within;
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, size));
        if (run->sparse) {
            std::fill(out, out + piece, std::uint8_t{0});
        } else if (!source.Read(run->lcn * clusterSize + within, out, piece)) {
            return false;
        }
        out += piece;
        offset += piece;
        size -= piece;
    }
    return true;
}

std::optional<Mft> Mft::Open(ByteSource& source, const Geometry& geometry, GiveUp& why) {
    Mft mft(geometry);
    auto refuse = [&](const char* field, std::uint64_t value, const char* limit) {
        why = {Structure::kMft, 0, field, value, limit};
        return std::nullopt;
    };
    // Record 0 is read straight from the boot sector's address; its own runs describe the rest.
    std::vector<std::uint8_t> buffer(geometry.recordSize);
    const std::uint64_t zeroAt = geometry.mftCluster * geometry.clusterSize;
    if (!source.Read(zeroAt, buffer.data(), buffer.size())) {
        why = {Structure::kVolume, 0, "read at byte", zeroAt, "readable"};
        return std::nullopt;
    }
    std::optional<FileRecord> zero = FileRecord::Parse(buffer, why);
    if (!zero)
        return std::nullopt;
    if (!zero->InUse())
        return refuse("record 0 flags", 0, "in use");
    std::vector<Attribute> pieces = DataPieces(*zero);
    std::optional<Attribute> list;
    zero->ForEachAttribute([&](const Attribute& a) {
        if (a.type == kAttributeList && !list)
            list = a;
    });
    if (pieces.size() != 1 || pieces[0].resident || pieces[0].lowestVcn != 0)
        return refuse("record 0 $DATA pieces", pieces.size(), "one, non-resident, from VCN 0");
    const std::uint64_t dataSize = pieces[0].dataSize;
    std::optional<std::vector<Run>> runs = DecodeRuns(pieces[0], geometry.totalClusters);
    if (!runs || runs->empty() || HasHole(*runs))
        return refuse("record 0 $DATA runs", runs ? runs->size() : 0,
                      "runs inside the volume, without holes");
    mft.runs_ = std::move(*runs);
    if (list) {
        if (!mft.AddListedPieces(source, *list, why))
            return std::nullopt;
        mft.usedAttributeList_ = true;
    }
    // Records past the runs would be missing from the table without a trace.
    const std::uint64_t covered = mft.runs_.back().vcn + mft.runs_.back().clusters;
    if (covered * geometry.clusterSize < dataSize)
        return refuse("$DATA size", dataSize, "covered by the runs");
    mft.recordCount_ = dataSize / geometry.recordSize;
    if (mft.recordCount_ < 16 || mft.recordCount_ > kMaxRecords)
        return refuse("records", mft.recordCount_, "16 to 2^32");
    return mft;
}

bool Mft::AddListedPieces(ByteSource& source, const Attribute& list, GiveUp& why) {
    auto refuse = [&](const char* field, std::uint64_t value, const char* limit) {
        why = {Structure::kAttributeList, 0, field, value, limit};
        return false;
    };
    std::vector<std::uint8_t> bytes;
    if (list.resident) {
        bytes.assign(list.value.begin(), list.value.end());
    } else {
        std::optional<std::vector<Run>> listRuns = DecodeRuns(list, geometry_.totalClusters);
        if (!listRuns)
            return refuse("runs", 0, "inside the volume");
        if (list.dataSize > kMaxAttributeList)
            return refuse("size", list.dataSize, "at most 256 KB");
        // The list's own runs live outside the MFT, so they can be read before it is complete.
        // Reads go in whole blocks: the tail past the list's end is read too, then cut off.
        const auto size = static_cast<std::size_t>(list.dataSize);
        bytes.resize((size + kBlock - 1) / kBlock * kBlock);
        if (!ReadStream(source, geometry_, *listRuns, 0, bytes.data(), bytes.size()))
            return refuse("runs", bytes.size(), "readable for the list's size");
        bytes.resize(size);
    }
    const std::span<const std::uint8_t> entries(bytes);
    std::vector<std::uint8_t> buffer;
    for (std::size_t at = 0; at + 26 <= entries.size();) {
        const std::size_t length = Read16(entries, at + 4);
        if (length < 26 || length % 8 != 0 || length > entries.size() - at)
            return refuse("entry length", length, "a multiple of 8 from 26 to the list's end");
        const std::uint32_t type = Read32(entries, at);
        const bool named = entries[at + 6] != 0;
        const std::uint64_t lowestVcn = Read64(entries, at + 8);
        const std::uint64_t record = RecordOf(Read64(entries, at + 16));
        at += length;
        if (type != kData || named || record == 0)
            continue;
        // Pieces come in VCN order; each must continue exactly where the runs so far end.
        const std::uint64_t covered = runs_.back().vcn + runs_.back().clusters;
        if (lowestVcn != covered)
            return refuse("entry lowest VCN", lowestVcn, "where the pieces before it end");
        // The extension record must lie in the part of the MFT already known.
        recordCount_ = covered * geometry_.clusterSize / geometry_.recordSize;
        std::optional<FileRecord> extension = Record(source, record, buffer, why);
        if (!extension) {
            why.structure = Structure::kAttributeList;
            return false;
        }
        if (!extension->InUse() || RecordOf(extension->BaseReference()) != 0)
            return refuse("extension record", record, "in use, with record 0 as its base");
        std::vector<Attribute> pieces = DataPieces(*extension);
        if (pieces.size() != 1 || pieces[0].resident || pieces[0].lowestVcn != lowestVcn)
            return refuse("extension $DATA pieces", pieces.size(), "one, non-resident, from the entry's VCN");
        std::optional<std::vector<Run>> more = DecodeRuns(pieces[0], geometry_.totalClusters);
        if (!more || more->empty() || HasHole(*more))
            return refuse("extension $DATA runs", more ? more->size() : 0,
                          "runs inside the volume, without holes");
        runs_.insert(runs_.end(), more->begin(), more->end());
    }
    return true;
}

bool Mft::ReadRecords(ByteSource& source, std::uint64_t first, std::size_t count, std::uint8_t* out) const {
    if (first >= recordCount_ || count > recordCount_ - first)
        return false;
    return ReadStream(source, geometry_, runs_, first * geometry_.recordSize, out,
                      count * geometry_.recordSize);
}

std::optional<FileRecord> Mft::Record(ByteSource& source, std::uint64_t number,
                                      std::vector<std::uint8_t>& buffer, GiveUp& why) const {
    buffer.resize(geometry_.recordSize);
    if (!ReadRecords(source, number, 1, buffer.data())) {
        why = {Structure::kFileRecord, number, "record number", number, "a readable record of the MFT"};
        return std::nullopt;
    }
    std::optional<FileRecord> record = FileRecord::Parse(buffer, why);
    why.record = number;
    return record;
}

std::optional<std::vector<std::uint8_t>> Mft::ReadSystemFile(ByteSource& source, std::uint64_t number,
                                                             std::size_t limit, GiveUp& why) const {
    std::vector<std::uint8_t> buffer;
    std::optional<FileRecord> record = Record(source, number, buffer, why);
    if (!record)
        return std::nullopt;
    auto refuse = [&](const char* field, std::uint64_t value, const char* what) {
        why = {Structure::kUpCase, number, field, value, what};
        return std::nullopt;
    };
    if (!record->InUse())
        return refuse("flags", 0, "in use");
    std::vector<Attribute> pieces = DataPieces(*record);
    if (pieces.size() != 1)
        return refuse("$DATA pieces", pieces.size(), "one");
    const Attribute& data = pieces[0];
    if (data.dataSize > limit)
        return refuse("$DATA size", data.dataSize, "within the file's limit");
    if (data.resident)
        return std::vector<std::uint8_t>(data.value.begin(), data.value.end());
    std::optional<std::vector<Run>> runs = DecodeRuns(data, geometry_.totalClusters);
    if (!runs || data.lowestVcn != 0)
        return refuse("$DATA runs", data.lowestVcn, "runs inside the volume from VCN 0");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(data.dataSize));
    // Reads go in whole blocks; the tail past the data's end is read into a scratch copy.
    std::vector<std::uint8_t> padded((bytes.size() + kBlock - 1) / kBlock * kBlock);
    if (!ReadStream(source, geometry_, *runs, 0, padded.data(), padded.size()))
        return refuse("$DATA runs", padded.size(), "readable for the data's size");
    std::copy_n(padded.begin(), bytes.size(), bytes.begin());
    return bytes;
}

}  // namespace ntfs
