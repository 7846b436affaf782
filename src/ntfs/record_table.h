// The compact table the reader builds from one pass over the MFT: flags and a sequence number per
// record, every name in one buffer with its record and folder as numbers, and from it the
// depth-first listing of the folders in the volume's collation order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "ntfs/byte_source.h"
#include "ntfs/collation.h"
#include "ntfs/file_table.h"
#include "ntfs/give_up.h"
#include "ntfs/volume.h"

namespace ntfs {

class RecordTable {
   public:
    RecordTable(ByteSource& source, const Mft& mft, const std::function<bool()>& keepGoing)
        : source_(source), mft_(mft), keepGoing_(keepGoing) {}

    // Reads every record of the MFT into the table (record_table.cpp).
    Outcome Scan(ReadStats& stats);
    // Appends the matching files' paths in the order a walk from the root lists them
    // (folder_listing.cpp).
    Outcome List(const Collation& collation, const std::function<bool(NameView)>& matches,
                 std::vector<Name>& hits);

    const GiveUp& Why() const { return why_; }
    std::size_t ListedNames() const { return children_.size(); }
    std::size_t Bytes() const {
        return flags_.capacity() + sequences_.capacity() * sizeof(std::uint16_t) +
               names_.capacity() * sizeof(NameEntry) + text_.capacity() * sizeof(NameChar) +
               (childStart_.capacity() + children_.capacity()) * sizeof(std::uint32_t) +
               folderParents_.capacity() * sizeof(folderParents_[0]);
    }

   private:
    struct NameEntry {
        std::uint32_t record;
        std::uint32_t parent;
        std::uint32_t text;  // offset into the text buffer
        std::uint16_t length;
        std::uint16_t recordSequence;  // the sequence number the owning record must still have
        std::uint16_t parentSequence;  // and the parent
    };

    // Per record.
    static constexpr std::uint8_t kInUse = 0x1;
    static constexpr std::uint8_t kDirectory = 0x2;
    static constexpr std::uint8_t kReparse = 0x4;
    static constexpr std::uint8_t kEntered = 0x8;
    static constexpr std::uint8_t kPlaced = 0x10;

    bool AddRecord(std::uint64_t number, std::span<std::uint8_t> bytes, ReadStats& stats);
    bool Refuse(std::uint64_t record, const char* field, std::uint64_t value, const char* limit);
    bool Current(const NameEntry& name) const;
    bool Listable(const NameEntry& name) const;
    void IndexChildren();
    bool EveryFolderPlaced();
    NameView NameOf(std::uint32_t index) const {
        return {text_.data() + names_[index].text, names_[index].length};
    }

    ByteSource& source_;
    const Mft& mft_;
    const std::function<bool()>& keepGoing_;
    std::vector<std::uint8_t> flags_;
    std::vector<std::uint16_t> sequences_;
    std::vector<std::uint32_t> reparseByExtension_;
    std::vector<NameEntry> names_;
    std::vector<NameChar> text_;
    // The names in folder r: children_[childStart_[r] .. childStart_[r + 1]), as name indexes.
    std::vector<std::uint32_t> childStart_;
    std::vector<std::uint32_t> children_;
    // Folders the listing did not enter, each with its parent: (folder, parent), by folder.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> folderParents_;
    GiveUp why_;
};

}  // namespace ntfs
