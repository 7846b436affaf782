// The MFT scan and the directory order rebuilt from it: one pass over every record into a compact
// table (flags per record, names in one buffer, parents as record numbers), then a depth-first
// pass from the root over each folder's children sorted by the volume's collation.
#include "ntfs/file_table.h"

#include <algorithm>
#include <optional>

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
    std::size_t ListedNames() const { return children_.size(); }
    std::size_t Bytes() const {
        return flags_.capacity() + sequences_.capacity() * sizeof(std::uint16_t) +
               names_.capacity() * sizeof(NameEntry) + text_.capacity() * sizeof(NameChar) +
               (childStart_.capacity() + children_.capacity()) * sizeof(std::uint32_t);
    }

   private:
    void AddRecord(std::uint64_t number, std::span<std::uint8_t> bytes, ReadStats& stats);
    bool Listable(const NameEntry& name) const;
    void IndexChildren();
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
        if (!mft_.ReadRecords(source_, next, batch, chunk.data()))
            return Outcome::kGaveUp;
        for (std::size_t i = 0; i < batch; ++i)
            AddRecord(next + i, std::span(chunk).subspan(i * recordSize, recordSize), stats);
        next += batch;
    }
    for (std::uint32_t owner : reparseByExtension_)
        flags_[owner] |= kReparse;
    stats.records = count;
    return Outcome::kListed;
}

// A torn or malformed record is passed over like a free one: none of its names are listed.
void Table::AddRecord(std::uint64_t number, std::span<std::uint8_t> bytes, ReadStats& stats) {
    flags_.push_back(0);
    sequences_.push_back(0);
    std::optional<FileRecord> record = FileRecord::Parse(bytes);
    if (!record || !record->InUse())
        return;
    // An extension record (one that an attribute list points to) lends its names to its base.
    const std::uint64_t base = RecordOf(record->BaseReference());
    const bool extension = base != 0;
    if (extension && base >= mft_.RecordCount())
        return;
    const auto owner = static_cast<std::uint32_t>(extension ? base : number);
    const std::uint16_t ownerSequence = extension ? SequenceOf(record->BaseReference()) : record->Sequence();
    const std::size_t namesBefore = names_.size(), textBefore = text_.size();
    std::uint64_t added = 0;
    bool reparse = false;
    const bool wellFormed = record->ForEachAttribute([&](const Attribute& a) {
        if (a.type == kStandardInformation && a.resident && a.value.size() >= 36)
            reparse = reparse || (Read32(a.value, 32) & kReparseAttribute) != 0;
        else if (a.type == kReparsePoint)
            reparse = true;
        if (a.type != kFileName)
            return;
        std::optional<FileName> name = ParseFileName(a);
        if (!name || name->nameSpace == 2 || name->name.empty())
            return;
        const std::uint64_t parent = RecordOf(name->parent);
        if (parent >= mft_.RecordCount() || text_.size() > 0xFFFF0000u)
            return;
        names_.push_back(NameEntry{
            owner, static_cast<std::uint32_t>(parent), static_cast<std::uint32_t>(text_.size()),
            static_cast<std::uint16_t>(name->name.size() / 2), ownerSequence, SequenceOf(name->parent)});
        for (std::size_t i = 0; i < name->name.size(); i += 2)
            text_.push_back(static_cast<NameChar>(name->name[i] | name->name[i + 1] << 8));
        ++added;
    });
    if (!wellFormed) {
        names_.resize(namesBefore);
        text_.resize(textBefore);
        return;
    }
    if (extension) {
        stats.extensionNames += added;
        if (reparse)
            reparseByExtension_.push_back(owner);
        return;
    }
    flags_.back() = static_cast<std::uint8_t>(kInUse | (record->IsDirectory() ? kDirectory : 0) |
                                              (reparse ? kReparse : 0));
    sequences_.back() = record->Sequence();
}

// Only a name whose record and folder are in use, still the ones it was written for, and that a
// listing would show. Anything else (a stale name of a deleted file, a metadata file, a folder
// that is really a file) is left out.
bool Table::Listable(const NameEntry& name) const {
    if (name.record < kFirstUserRecord || name.record == name.parent)
        return false;
    if (!(flags_[name.record] & kInUse) || sequences_[name.record] != name.recordSequence)
        return false;
    const std::uint8_t parent = flags_[name.parent];
    if (!(parent & kInUse) || !(parent & kDirectory) || sequences_[name.parent] != name.parentSequence)
        return false;
    return IsUsableName({text_.data() + name.text, name.length});
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
    if (flags_.size() <= kRoot || (flags_[kRoot] & (kInUse | kDirectory)) != (kInUse | kDirectory))
        return Outcome::kGaveUp;
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
    return Outcome::kListed;
}

}  // namespace

Outcome ListMatchingFiles(ByteSource& source, const std::function<bool(NameView)>& matches,
                          const std::function<bool()>& keepGoing, std::vector<Name>& hits, ReadStats* stats) {
    ReadStats local;
    ReadStats& s = stats ? *stats : local;
    const std::optional<Geometry> geometry = ReadGeometry(source);
    if (!geometry)
        return Outcome::kGaveUp;
    const std::optional<Mft> mft = Mft::Open(source, *geometry);
    if (!mft)
        return Outcome::kGaveUp;
    s.mftRuns = mft->Runs().size();
    s.mftAttributeList = mft->UsedAttributeList();
    const std::optional<std::vector<std::uint8_t>> upCase =
        mft->ReadSystemFile(source, kUpCase, std::size_t{2} * 65536);
    if (!upCase)
        return Outcome::kGaveUp;
    const std::optional<Collation> collation = Collation::FromUpCase(*upCase);
    if (!collation)
        return Outcome::kGaveUp;
    std::vector<Name> found;
    Outcome outcome = Outcome::kListed;
    {
        Table table(source, *mft, keepGoing);
        outcome = table.Scan(s);
        if (outcome == Outcome::kListed)
            outcome = table.List(*collation, matches, found);
        s.names = table.ListedNames();
        s.peakTableBytes = table.Bytes();
    }
    if (outcome != Outcome::kListed)
        return outcome;
    for (Name& hit : found)
        hits.push_back(std::move(hit));
    return Outcome::kListed;
}

}  // namespace ntfs
