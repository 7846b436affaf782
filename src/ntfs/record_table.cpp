// The pass over the MFT: each record's flags, sequence number and names into the compact table.
#include "ntfs/record_table.h"

#include <algorithm>
#include <optional>

#include "ntfs/records.h"

namespace ntfs {

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

}  // namespace

Outcome RecordTable::Scan(ReadStats& stats) {
    const std::uint64_t count = mft_.RecordCount();
    const std::size_t recordSize = mft_.RecordSize();
    const std::size_t perChunk = kChunkBytes / recordSize;
    std::vector<std::uint8_t> chunk;
    for (std::uint64_t next = 0; next < count;) {
        if (!keepGoing_())
            return Outcome::kStopped;
        const auto batch = static_cast<std::size_t>(std::min<std::uint64_t>(perChunk, count - next));
        chunk.resize(batch * recordSize);
        if (!mft_.ReadRecords(source_, next, batch, chunk.data())) {
            why_ = {Structure::kVolume, next, "read of MFT records from", next, "readable"};
            return Outcome::kGaveUp;
        }
        for (std::size_t i = 0; i < batch; ++i) {
            if (!AddRecord(next + i, std::span(chunk).subspan(i * recordSize, recordSize), stats))
                return Outcome::kGaveUp;
        }
        next += batch;
    }
    for (std::uint32_t owner : reparseByExtension_)
        flags_[owner] |= kReparse;
    stats.records = count;
    return Outcome::kListed;
}

bool RecordTable::Refuse(std::uint64_t record, const char* field, std::uint64_t value, const char* limit) {
    why_ = {Structure::kFileRecord, record, field, value, limit};
    return false;
}

// A record that was never used carries no signature and is passed over, as is a free one. One
// with the signature that is torn or malformed gives up: it may be a folder, and everything below
// it would be missing from the table.
bool RecordTable::AddRecord(std::uint64_t number, std::span<std::uint8_t> bytes, ReadStats& stats) {
    flags_.push_back(0);
    sequences_.push_back(0);
    if (!FileRecord::HasSignature(bytes))
        return true;
    std::optional<FileRecord> record = FileRecord::Parse(bytes, why_);
    if (!record) {
        why_.record = number;
        return false;
    }
    if (!record->InUse())
        return true;
    // An extension record (one that an attribute list points to) lends its names to its base.
    const std::uint64_t base = RecordOf(record->BaseReference());
    const bool extension = base != 0;
    if (extension && base >= mft_.RecordCount())
        return Refuse(number, "base record", base, "a record of the MFT");
    const auto owner = static_cast<std::uint32_t>(extension ? base : number);
    const std::uint16_t ownerSequence = extension ? SequenceOf(record->BaseReference()) : record->Sequence();
    std::uint64_t added = 0;
    bool reparse = false;
    const char* badName = nullptr;
    std::uint64_t badValue = 0;
    const bool wellFormed = record->ForEachAttribute([&](const Attribute& a) {
        if (a.type == kStandardInformation && a.resident && a.value.size() >= 36)
            reparse = reparse || (Read32(a.value, 32) & kReparseAttribute) != 0;
        else if (a.type == kReparsePoint)
            reparse = true;
        if (a.type != kFileName || badName)
            return;
        std::optional<FileName> name = ParseFileName(a);
        if (!name || name->name.empty()) {
            badName = "$FILE_NAME length";
            badValue = a.value.size();
            return;
        }
        if (name->nameSpace == 2)
            return;
        const std::uint64_t parent = RecordOf(name->parent);
        if (parent >= mft_.RecordCount()) {
            badName = "$FILE_NAME parent";
            badValue = parent;
            return;
        }
        if (text_.size() > 0xFFFF0000u) {
            badName = "names' length";
            badValue = text_.size();
            return;
        }
        names_.push_back(NameEntry{
            owner, static_cast<std::uint32_t>(parent), static_cast<std::uint32_t>(text_.size()),
            static_cast<std::uint16_t>(name->name.size() / 2), ownerSequence, SequenceOf(name->parent)});
        for (std::size_t i = 0; i < name->name.size(); i += 2)
            text_.push_back(static_cast<NameChar>(name->name[i] | name->name[i + 1] << 8));
        ++added;
    });
    if (!wellFormed)
        return Refuse(number, "attributes", 0, "well formed up to the end marker");
    if (badName) {
        Refuse(number, badName, badValue, "a name in a record of the MFT");
        if (badValue == text_.size())
            why_ = {Structure::kTable, number, badName, badValue, "at most 2^32 - 2^16 units"};
        return false;
    }
    if (extension) {
        stats.extensionNames += added;
        if (reparse)
            reparseByExtension_.push_back(owner);
        return true;
    }
    flags_.back() = static_cast<std::uint8_t>(kInUse | (record->IsDirectory() ? kDirectory : 0) |
                                              (reparse ? kReparse : 0));
    sequences_.back() = record->Sequence();
    return true;
}

}  // namespace ntfs
