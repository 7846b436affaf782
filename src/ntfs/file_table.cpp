// The MFT scan and the directory order rebuilt from it: one pass over every record into a compact
// table (flags per record, names in one buffer, parents as record numbers), then a depth-first
// pass from the root over each folder's children sorted by the volume's collation.
#include "ntfs/file_table.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "ntfs/collation.h"
#include "ntfs/records.h"
#include "ntfs/volume.h"

namespace ntfs {

namespace {

constexpr std::uint32_t kRoot = 5;
constexpr std::uint32_t kUpCase = 10;
// Records below this number are the volume's metadata files ($MFT, $Bitmap, $Extend, ...), which
// a directory listing never shows.
constexpr std::uint32_t kFirstUserRecord = 16;
constexpr std::size_t kChunkBytes = 1 << 20;

constexpr std::uint8_t kInUse = 0x1;
constexpr std::uint8_t kDirectory = 0x2;
constexpr std::uint8_t kReparse = 0x4;
constexpr std::uint8_t kEntered = 0x8;
constexpr std::uint8_t kPlaced = 0x10;

struct NameEntry {
    std::uint32_t record;
    std::uint32_t parent;
    std::uint32_t text;  // offset into the text buffer
    std::uint16_t length;
    std::uint16_t recordSequence;  // the sequence number the owning record must still have
    std::uint16_t parentSequence;  // and the parent
};

// A name that could stand for another path, or for none, is never listed.
bool IsUsableName(NameView name) {
    if (name.empty())
        return false;
    for (NameChar c : name) {
        if (c == 0 || c == '/' || c == '\\')
            return false;
    }
    const bool dot = name.size() == 1 && name[0] == '.';
    const bool dotDot = name.size() == 2 && name[0] == '.' && name[1] == '.';
    return !dot && !dotDot;
}

class Table {
   public:
    Table(ByteSource& source, const Mft& mft, const std::function<bool()>& keepGoing)
        : source_(source), mft_(mft), keepGoing_(keepGoing) {}

    Outcome Scan(ReadStats& stats);
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

Outcome Table::Scan(ReadStats& stats) {
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

bool Table::Refuse(std::uint64_t record, const char* field, std::uint64_t value, const char* limit) {
    why_ = {Structure::kFileRecord, record, field, value, limit};
    return false;
}

// A record that was never used carries no signature and is passed over, as is a free one. One
// with the signature that is torn or malformed gives up: it may be a folder, and everything below
// it would be missing from the table.
bool Table::AddRecord(std::uint64_t number, std::span<std::uint8_t> bytes, ReadStats& stats) {
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

// A name whose record and folder are in use and still the ones it was written for.
bool Table::Current(const NameEntry& name) const {
    if (name.record == name.parent)
        return false;
    if (!(flags_[name.record] & kInUse) || sequences_[name.record] != name.recordSequence)
        return false;
    const std::uint8_t parent = flags_[name.parent];
    return (parent & kInUse) && (parent & kDirectory) && sequences_[name.parent] == name.parentSequence;
}

// Only a current name that a listing would show. Anything else (a stale name of a deleted file, a
// metadata file, a folder that is really a file) is left out.
bool Table::Listable(const NameEntry& name) const {
    return name.record >= kFirstUserRecord && Current(name) &&
           IsUsableName({text_.data() + name.text, name.length});
}

// Groups the names by folder with a counting sort: two passes, no per-folder containers.
void Table::IndexChildren() {
    childStart_.assign(flags_.size() + 1, 0);
    for (const NameEntry& name : names_) {
        if (Listable(name))
            ++childStart_[name.parent + 1];
    }
    for (std::size_t r = 1; r < childStart_.size(); ++r)
        childStart_[r] += childStart_[r - 1];
    children_.resize(childStart_.back());
    std::vector<std::uint32_t> fill(childStart_.begin(), childStart_.end() - 1);
    for (std::uint32_t i = 0; i < names_.size(); ++i) {
        if (Listable(names_[i]))
            children_[fill[names_[i].parent]++] = i;
    }
}

Outcome Table::List(const Collation& collation, const std::function<bool(NameView)>& matches,
                    std::vector<Name>& hits) {
    if (flags_.size() <= kRoot || (flags_[kRoot] & (kInUse | kDirectory)) != (kInUse | kDirectory)) {
        why_ = {Structure::kFolderTree, kRoot, "root folder flags",
                flags_.size() > kRoot ? flags_[kRoot] : 0u, "an in-use folder"};
        return Outcome::kGaveUp;
    }
    IndexChildren();
    struct Frame {
        std::uint32_t next;  // position in children_ of the next name to look at
        std::uint32_t end;
        std::size_t pathLength;
    };
    std::vector<Frame> stack;
    Name path;
    // Lists a folder's matching files and returns its frame; each folder is entered once, so a
    // forged cycle of folders ends.
    auto enter = [&](std::uint32_t folder) {
        flags_[folder] |= kEntered;
        const auto first = children_.begin() + childStart_[folder];
        const auto last = children_.begin() + childStart_[folder + 1];
        std::sort(first, last, [&](std::uint32_t a, std::uint32_t b) {
            return collation.Less(text_.data() + names_[a].text, names_[a].length,
                                  text_.data() + names_[b].text, names_[b].length);
        });
        for (auto it = first; it != last; ++it) {
            if (!(flags_[names_[*it].record] & kDirectory) && matches(NameOf(*it))) {
                Name hit = path;
                hit.append(NameOf(*it));
                hits.push_back(std::move(hit));
            }
        }
        stack.push_back(Frame{childStart_[folder], childStart_[folder + 1], path.size()});
    };
    enter(kRoot);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.end) {
            stack.pop_back();
            continue;
        }
        const std::uint32_t index = children_[frame.next++];
        const std::uint32_t record = names_[index].record;
        if ((flags_[record] & (kDirectory | kReparse | kEntered)) != kDirectory)
            continue;
        if (!keepGoing_())
            return Outcome::kStopped;
        path.resize(frame.pathLength);
        path.append(NameOf(index));
        path.push_back('\\');
        enter(record);
    }
    return EveryFolderPlaced() ? Outcome::kListed : Outcome::kGaveUp;
}

// A folder that holds names but was not entered must still hang under the root, through folders
// the listing leaves out (metadata, reparse points, names no path can hold); otherwise a damaged
// reference or a cycle has cut it off, and whatever it holds would be missing from the hits.
bool Table::EveryFolderPlaced() {
    for (const NameEntry& name : names_) {
        if ((flags_[name.record] & (kDirectory | kEntered)) == kDirectory && Current(name))
            folderParents_.emplace_back(name.record, name.parent);
    }
    std::sort(folderParents_.begin(), folderParents_.end());
    auto parentOf = [&](std::uint32_t folder) -> std::optional<std::uint32_t> {
        auto it = std::lower_bound(folderParents_.begin(), folderParents_.end(),
                                   std::pair<std::uint32_t, std::uint32_t>{folder, 0});
        if (it == folderParents_.end() || it->first != folder)
            return std::nullopt;
        return it->second;
    };
    for (std::uint32_t folder = 0; folder + 1 < childStart_.size(); ++folder) {
        if (childStart_[folder] == childStart_[folder + 1] || (flags_[folder] & (kEntered | kPlaced)))
            continue;
        // Up the parents until a folder known to be placed; every step is one folder of the list,
        // so more steps than it holds mean a cycle.
        std::uint32_t at = folder;
        for (std::size_t steps = 0; !(flags_[at] & (kEntered | kPlaced)); ++steps) {
            const std::optional<std::uint32_t> parent = parentOf(at);
            if (!parent) {
                why_ = {Structure::kFolderTree, folder, "parent of folder", at,
                        "a folder placed under the root"};
                return false;
            }
            if (steps > folderParents_.size()) {
                why_ = {Structure::kFolderTree, folder, "parent references", steps, "free of cycles"};
                return false;
            }
            at = *parent;
        }
        for (at = folder; !(flags_[at] & (kEntered | kPlaced)); at = *parentOf(at))
            flags_[at] |= kPlaced;
    }
    return true;
}

}  // namespace

Outcome ListMatchingFiles(ByteSource& source, const std::function<bool(NameView)>& matches,
                          const std::function<bool()>& keepGoing, std::vector<Name>& hits, ReadStats* stats) {
    ReadStats local;
    ReadStats& s = stats ? *stats : local;
    const std::optional<Geometry> geometry = ReadGeometry(source, s.gaveUp);
    if (!geometry)
        return Outcome::kGaveUp;
    const std::optional<Mft> mft = Mft::Open(source, *geometry, s.gaveUp);
    if (!mft)
        return Outcome::kGaveUp;
    s.mftRuns = mft->Runs().size();
    s.mftAttributeList = mft->UsedAttributeList();
    const std::optional<std::vector<std::uint8_t>> upCase =
        mft->ReadSystemFile(source, kUpCase, std::size_t{2} * 65536, s.gaveUp);
    if (!upCase)
        return Outcome::kGaveUp;
    const std::optional<Collation> collation = Collation::FromUpCase(*upCase);
    if (!collation) {
        s.gaveUp = {Structure::kUpCase, kUpCase, "$DATA size", upCase->size(), "131072"};
        return Outcome::kGaveUp;
    }
    std::vector<Name> found;
    Outcome outcome = Outcome::kListed;
    {
        Table table(source, *mft, keepGoing);
        outcome = table.Scan(s);
        if (outcome == Outcome::kListed)
            outcome = table.List(*collation, matches, found);
        s.names = table.ListedNames();
        s.peakTableBytes = table.Bytes();
        if (outcome == Outcome::kGaveUp)
            s.gaveUp = table.Why();
    }
    if (outcome != Outcome::kListed)
        return outcome;
    for (Name& hit : found)
        hits.push_back(std::move(hit));
    return Outcome::kListed;
}

}  // namespace ntfs
