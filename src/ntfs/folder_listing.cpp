// The depth-first listing rebuilt from the table: each folder's children sorted by the volume's
// collation, its matching files first, then its subfolders, and a check that no folder holding
// names was left out.
#include "ntfs/record_table.h"

#include <algorithm>
#include <optional>

namespace ntfs {

namespace {

constexpr std::uint32_t kRoot = 5;
// Records below this number are the volume's metadata files ($MFT, $Bitmap, $Extend, ...), which
// a directory listing never shows.
constexpr std::uint32_t kFirstUserRecord = 16;

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

}  // namespace

// A name whose record and folder are in use and still the ones it was written for.
bool RecordTable::Current(const NameEntry& name) const {
    if (name.record == name.parent)
        return false;
    if (!(flags_[name.record] & kInUse) || sequences_[name.record] != name.recordSequence)
        return false;
    const std::uint8_t parent = flags_[name.parent];
    return (parent & kInUse) && (parent & kDirectory) && sequences_[name.parent] == name.parentSequence;
}

// Only a current name that a listing would show. Anything else (a stale name of a deleted file, a
// metadata file, a folder that is really a file) is left out.
bool RecordTable::Listable(const NameEntry& name) const {
    return name.record >= kFirstUserRecord && Current(name) &&
           IsUsableName({text_.data() + name.text, name.length});
}

// Groups the names by folder with a counting sort: two passes, no per-folder containers.
void RecordTable::IndexChildren() {
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

Outcome RecordTable::List(const Collation& collation, const std::function<bool(NameView)>& matches,
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
bool RecordTable::EveryFolderPlaced() {
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

}  // namespace ntfs
