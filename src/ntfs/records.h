// The on-disk structures of an NTFS volume: file records, their attributes and run lists. Every
// length and offset is checked against the bytes it points into before it is used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ntfs/give_up.h"

namespace ntfs {

inline constexpr std::uint32_t kStandardInformation = 0x10;
inline constexpr std::uint32_t kAttributeList = 0x20;
inline constexpr std::uint32_t kFileName = 0x30;
inline constexpr std::uint32_t kData = 0x80;
inline constexpr std::uint32_t kReparsePoint = 0xC0;

inline constexpr std::uint32_t kReparseAttribute = 0x400;

// The record number (low 48 bits) and sequence number (high 16 bits) of a file reference.
constexpr std::uint64_t RecordOf(std::uint64_t reference) {
    return reference & 0xFFFFFFFFFFFFull;
}
constexpr std::uint16_t SequenceOf(std::uint64_t reference) {
    return static_cast<std::uint16_t>(reference >> 48);
}

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint64_t Read64(std::span<const std::uint8_t> bytes, std::size_t at);

// One extent of a non-resident attribute: `clusters` clusters from `lcn`, or a sparse hole.
struct Run {
    std::uint64_t vcn;
    std::uint64_t lcn;
    std::uint64_t clusters;
    bool sparse;
};

struct Attribute {
    std::uint32_t type;
    bool named;
    bool resident;
    std::span<const std::uint8_t> value;  // resident value
    // Non-resident: the VCN range this piece covers, its run list and the attribute's sizes.
    std::uint64_t lowestVcn = 0;
    std::uint64_t highestVcn = 0;
    std::span<const std::uint8_t> mappingPairs;
    std::uint64_t dataSize = 0;
    std::uint16_t flags = 0;  // compressed, encrypted, sparse
};

// A file record after its update-sequence fixups: the header's fields and its attributes.
class FileRecord {
   public:
    // Checks the signature and the fixups and repairs the sector ends in place. nullopt for a
    // record that is torn, unused for ever (all zeros) or malformed, with the reason in `why`.
    static std::optional<FileRecord> Parse(std::span<std::uint8_t> bytes, GiveUp& why);
    static bool HasSignature(std::span<const std::uint8_t> bytes);

    bool InUse() const { return (flags_ & 0x1) != 0; }
    bool IsDirectory() const { return (flags_ & 0x2) != 0; }
    std::uint16_t Sequence() const { return sequence_; }
    std::uint64_t BaseReference() const { return base_; }

    // Calls `visit(const Attribute&)` for each well-formed attribute; stops at the end marker or
    // at the first malformed one. Returns false when it stopped at a malformed one.
    template <typename Visit>
    bool ForEachAttribute(Visit&& visit) const {
        std::size_t at = firstAttribute_;
        while (at + 8 <= used_.size()) {
            if (Read32(used_, at) == 0xFFFFFFFF)
                return true;
            std::optional<Attribute> attribute = ParseAttribute(at);
            if (!attribute)
                return false;
            visit(*attribute);
            at += Read32(used_, at + 4);
        }
        return false;
    }

   private:
    std::optional<Attribute> ParseAttribute(std::size_t at) const;

    std::span<const std::uint8_t> used_;
    std::size_t firstAttribute_ = 0;
    std::uint16_t flags_ = 0;
    std::uint16_t sequence_ = 0;
    std::uint64_t base_ = 0;
};

// Decodes a run list against a volume of `totalClusters`. nullopt when a run points outside the
// volume, the runs do not cover exactly lowestVcn..highestVcn, or the list is malformed.
std::optional<std::vector<Run>> DecodeRuns(const Attribute& attribute, std::uint64_t totalClusters);

struct FileName {
    std::uint64_t parent;
    std::uint8_t nameSpace;              // 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
    std::span<const std::uint8_t> name;  // UTF-16LE, two bytes a unit
};

std::optional<FileName> ParseFileName(const Attribute& attribute);

}  // namespace ntfs
