// The check of what lies below a folder before its list is written: writing it makes Windows
// "impose the current inheritance model on the ACLs of all objects in the hierarchy below".
#include "platform/access_propagation.h"

#include <optional>
#include <vector>

#include "platform/access_grant.h"
#include "platform/directory.h"

namespace {

const ACE_HEADER* AceAt(PACL acl, DWORD index) {
    void* ace = nullptr;
    return GetAce(acl, index, &ace) ? static_cast<const ACE_HEADER*>(ace) : nullptr;
}

bool IsAllowOrDeny(const ACE_HEADER* header) {
    return header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE;
}

// Canonical order: explicit entries before inherited ones, explicit denials before explicit grants.
// Windows never moves allow and deny entries against one another when it applies inheritance: a
// list that would need it is marked protected instead, and inherits nothing from then on. An entry
// that cannot be read counts as out of order.
bool InCanonicalOrder(PACL list) {
    bool inheritedSeen = false;
    bool explicitAllowSeen = false;
    for (DWORD i = 0; i < list->AceCount; ++i) {
        const ACE_HEADER* header = AceAt(list, i);
        if (header == nullptr)
            return false;
        if (header->AceFlags & INHERITED_ACE) {
            inheritedSeen = true;
            continue;
        }
        if (inheritedSeen || (header->AceType == ACCESS_DENIED_ACE_TYPE && explicitAllowSeen))
            return false;
        explicitAllowSeen = explicitAllowSeen || header->AceType == ACCESS_ALLOWED_ACE_TYPE;
    }
    return true;
}

// Whether the entry `parentEntry` of a folder gives the inherited entry `entry` to a file or folder
// directly in it: the same kind and trustee (the creator's entries stand for the owner, who is not
// read), no rights beyond its own, and reaching the object and what lies below it as far as the
// inherited one does.
bool Gives(const ACE_HEADER* parentEntry, const ACE_HEADER* entry, bool toFolder) {
    if (parentEntry->AceType != entry->AceType)
        return false;
    const auto* given = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(parentEntry);
    const auto* held = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(entry);
    auto* givenSid = const_cast<DWORD*>(&given->SidStart);
    const bool creator =
        IsWellKnownSid(givenSid, WinCreatorOwnerSid) || IsWellKnownSid(givenSid, WinCreatorGroupSid);
    if (!creator && !EqualSid(givenSid, const_cast<DWORD*>(&held->SidStart)))
        return false;
    if ((MappedForFiles(held->Mask) & ~MappedForFiles(given->Mask)) != 0)
        return false;
    const BYTE from = parentEntry->AceFlags;
    const BYTE to = entry->AceFlags;
    if (!toFolder)
        return (from & OBJECT_INHERIT_ACE) != 0;
    const bool passesOn = !(from & NO_PROPAGATE_INHERIT_ACE);
    const bool onFolder = (from & CONTAINER_INHERIT_ACE) != 0;
    const bool toFiles = passesOn && (from & OBJECT_INHERIT_ACE);
    const bool toFolders = passesOn && (from & CONTAINER_INHERIT_ACE);
    return (onFolder || (to & INHERIT_ONLY_ACE)) && (toFiles || !(to & OBJECT_INHERIT_ACE)) &&
           (toFolders || !(to & CONTAINER_INHERIT_ACE));
}

// Whether every inherited entry of `list` is given by an entry of one of `parents`. Kinds of entry
// other than allow and deny are never found on files written by hand; they count as not given.
bool EveryInheritedEntryGiven(PACL list, const std::vector<PACL>& parents, bool isFolder) {
    for (DWORD i = 0; i < list->AceCount; ++i) {
        const ACE_HEADER* entry = AceAt(list, i);
        if (entry == nullptr)
            return false;
        if (!(entry->AceFlags & INHERITED_ACE))
            continue;
        bool given = false;
        for (PACL parent : parents)
            for (DWORD j = 0; parent != nullptr && j < parent->AceCount && !given; ++j) {
                const ACE_HEADER* parentEntry = AceAt(parent, j);
                given = parentEntry != nullptr && Gives(parentEntry, entry, isFolder);
            }
        if (!given || !IsAllowOrDeny(entry))
            return false;
    }
    return true;
}

// Each file and folder below `folder`, against the lists of the folder it lies in. A file or folder
// without a DACL would get one of the inherited entries alone, and everyone else would lose access;
// what cannot be read or listed counts as such. Links are not followed, as the write does not follow
// them either.
bool NothingBelowLoses(const std::wstring& folder, const std::vector<PACL>& parents) {
    // A folder always lists "." and "..": one that lists nothing cannot be read.
    DirectoryListing listing(folder + L"\\*");
    if (!listing.Valid())
        return false;
    for (bool more = true; more; more = listing.Next()) {
        if (listing.IsDotOrDotDot())
            continue;
        const std::wstring path = folder + L"\\" + std::wstring(listing.Name());
        const std::optional<FolderAccessList> list = ReadFolderAccessList(path.c_str());
        if (!list || list->dacl == nullptr || !InCanonicalOrder(list->dacl) ||
            !EveryInheritedEntryGiven(list->dacl, parents, listing.IsDirectory()))
            return false;
        if (listing.IsDirectory() && !listing.IsReparsePoint() && !NothingBelowLoses(path, {list->dacl}))
            return false;
    }
    return true;
}

}  // namespace

bool ReplacingKeepsEveryEntry(const std::wstring& folder, PACL current, PACL next) {
    if (current == nullptr || next == nullptr || !InCanonicalOrder(next))
        return false;
    // The folder's own inherited entries come anew from the folder that holds it (none for a root).
    const size_t slash = folder.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash + 1 < folder.size()) {
        const std::optional<FolderAccessList> parent =
            ReadFolderAccessList(folder.substr(0, slash == 2 ? 3 : slash).c_str());
        if (!parent || !EveryInheritedEntryGiven(current, {parent->dacl}, true))
            return false;
    }
    // What the current list passed down stays where the new one passes it too, and is taken away
    // where the new one does not (the undo takes the grant's entry off); anything else would be lost.
    return NothingBelowLoses(folder, {current, next});
}
