// File records, attributes and run lists, parsed without trusting a single field.
#include "ntfs/records.h"

namespace ntfs {

namespace {

// The update sequence protects every 512-byte stride of a record, whatever the sector size.
constexpr std::size_t kStride = 512;

}  // namespace

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return Read16(bytes, at) | static_cast<std::uint32_t>(Read16(bytes, at + 2)) << 16;
}

std::uint64_t Read64(std::span<const std::uint8_t> bytes, std::size_t at) {
    return Read32(bytes, at) | static_cast<std::uint64_t>(Read32(bytes, at + 4)) << 32;
}

bool FileRecord::HasSignature(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 4 && bytes[0] == 'F' && bytes[1] == 'I' && bytes[2] == 'L' && bytes[3] == 'E';
}

std::optional<FileRecord> FileRecord::Parse(std::span<std::uint8_t> bytes, GiveUp& why) {
    why = {Structure::kFileRecord, 0, "", 0, ""};
    if (bytes.size() < kStride || bytes.size() % kStride != 0 || !HasSignature(bytes)) {
        why.field = "signature";
        why.limit = "FILE";
        return std::nullopt;
    }
    const std::size_t usaOffset = Read16(bytes, 4);
    const std::size_t usaCount = Read16(bytes, 6);
    if (usaCount != bytes.size() / kStride + 1) {
        why = {Structure::kFileRecord, 0, "update sequence count", usaCount,
               "one more than the 512-byte strides"};
        return std::nullopt;
    }
    if (usaOffset % 2 != 0 || usaOffset < 42 || usaOffset + 2 * usaCount > bytes.size()) {
        why = {Structure::kFileRecord, 0, "update sequence offset", usaOffset,
               "even, after the header, inside"};
        return std::nullopt;
    }
    // A stride whose last two bytes differ from the sequence number was not written with the rest:
    // the record is torn and none of it can be believed.
    const std::uint8_t check0 = bytes[usaOffset], check1 = bytes[usaOffset + 1];
    for (std::size_t i = 1; i < usaCount; ++i) {
        const std::size_t end = i * kStride - 2;
        if (bytes[end] != check0 || bytes[end + 1] != check1) {
            why = {Structure::kFileRecord, 0, "end of stride", i, "the update sequence number"};
            return std::nullopt;
        }
    }
    for (std::size_t i = 1; i < usaCount; ++i) {
        bytes[i * kStride - 2] = bytes[usaOffset + 2 * i];
        bytes[i * kStride - 1] = bytes[usaOffset + 2 * i + 1];
    }
    FileRecord record;
    const std::size_t firstAttribute = Read16(bytes, 20);
    const std::size_t used = Read32(bytes, 24);
    if (used > bytes.size()) {
        why = {Structure::kFileRecord, 0, "bytes in use", used, "at most the record size"};
        return std::nullopt;
    }
    if (firstAttribute < usaOffset + 2 * usaCount || firstAttribute > used) {
        why = {Structure::kFileRecord, 0, "first attribute", firstAttribute,
               "after the update sequence, inside"};
        return std::nullopt;
    }
    record.used_ = bytes.first(used);
    record.firstAttribute_ = firstAttribute;
    record.sequence_ = Read16(bytes, 16);
    record.flags_ = Read16(bytes, 22);
    record.base_ = Read64(bytes, 32);
    return record;
}

std::optional<Attribute> FileRecord::ParseAttribute(std::size_t at) const {
    const std::span<const std::uint8_t> rest = used_.subspan(at);
    const std::size_t length = Read32(rest, 4);
    // Lengths are multiples of 8 and at least a resident header: the walk always moves forward.
    if (length < 24 || length % 8 != 0 || length > rest.size())
        return std::nullopt;
    const std::span<const std::uint8_t> bytes = rest.first(length);
    Attribute attribute{};
    attribute.type = Read32(bytes, 0);
    attribute.resident = bytes[8] == 0;
    const std::size_t nameLength = bytes[9];
    const std::size_t nameOffset = Read16(bytes, 10);
    attribute.named = nameLength != 0;
    if (attribute.named && nameOffset + 2 * nameLength > length)
        return std::nullopt;
    attribute.flags = Read16(bytes, 12);
    if (attribute.resident) {
        const std::size_t valueLength = Read32(bytes, 16);
        const std::size_t valueOffset = Read16(bytes, 20);
        if (valueOffset > length || valueLength > length - valueOffset)
            return std::nullopt;
        attribute.value = bytes.subspan(valueOffset, valueLength);
        return attribute;
    }
    if (length < 64)
        return std::nullopt;
    attribute.lowestVcn = Read64(bytes, 16);
    attribute.highestVcn = Read64(bytes, 24);
    const std::size_t pairsOffset = Read16(bytes, 32);
    if (pairsOffset < 64 || pairsOffset > length)
        return std::nullopt;
    attribute.mappingPairs = bytes.subspan(pairsOffset);
    attribute.dataSize = Read64(bytes, 48);
    return attribute;
}

std::optional<std::vector<Run>> DecodeRuns(const Attribute& attribute, std::uint64_t totalClusters) {
    if (attribute.resident || (attribute.highestVcn < attribute.lowestVcn && attribute.highestVcn + 1 != 0) ||
        attribute.lowestVcn >= totalClusters)
        return std::nullopt;
    // An empty attribute stores highestVcn as -1: no runs at all.
    const std::uint64_t endVcn = attribute.highestVcn + 1;
    std::vector<Run> runs;
    const std::span<const std::uint8_t> pairs = attribute.mappingPairs;
    std::uint64_t vcn = attribute.lowestVcn;
    std::int64_t lcn = 0;
    std::size_t at = 0;
    while (at < pairs.size() && pairs[at] != 0) {
        const std::size_t lengthBytes = pairs[at] & 0x0F;
        const std::size_t offsetBytes = pairs[at] >> 4;
        if (lengthBytes == 0 || lengthBytes > 8 || offsetBytes > 8 ||
            at + 1 + lengthBytes + offsetBytes > pairs.size())
            return std::nullopt;
        std::uint64_t clusters = 0;
        for (std::size_t i = 0; i < lengthBytes; ++i)
            clusters |= static_cast<std::uint64_t>(pairs[at + 1 + i]) << (8 * i);
        // Signed, little-endian, relative to the previous run's start.
        std::uint64_t delta = 0;
        for (std::size_t i = 0; i < offsetBytes; ++i)
            delta |= static_cast<std::uint64_t>(pairs[at + 1 + lengthBytes + i]) << (8 * i);
        if (offsetBytes > 0 && offsetBytes < 8 && (delta >> (8 * offsetBytes - 1)) & 1)
            delta |= ~0ull << (8 * offsetBytes);
        at += 1 + lengthBytes + offsetBytes;
        if (clusters == 0 || clusters > totalClusters || vcn > endVcn || clusters > endVcn - vcn)
            return std::nullopt;
        Run run{vcn, 0, clusters, offsetBytes == 0};
        if (!run.sparse) {
            // Unsigned arithmetic wraps by definition; the range check below catches any wrap.
            lcn = static_cast<std::int64_t>(static_cast<std::uint64_t>(lcn) + delta);
            const auto start = static_cast<std::uint64_t>(lcn);
            if (lcn < 0 || start >= totalClusters || clusters > totalClusters - start)
                return std::nullopt;
            run.lcn = start;
        }
        runs.push_back(run);
        vcn += clusters;
    }
    if (vcn != endVcn && !(runs.empty() && endVcn == attribute.lowestVcn))
        return std::nullopt;
    return runs;
}

std::optional<FileName> ParseFileName(const Attribute& attribute) {
    const std::span<const std::uint8_t> value = attribute.value;
    if (!attribute.resident || value.size() < 66)
        return std::nullopt;
    const std::size_t units = value[64];
    if (66 + 2 * units > value.size())
        return std::nullopt;
    return FileName{Read64(value, 0), value[65], value.subspan(66, 2 * units)};
}

}  // namespace ntfs
