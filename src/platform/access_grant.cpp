// Folder access grant through the Windows security API. The list is built here rather than by
// SetEntriesInAclW, whose modes either replace the trustee's own entries (SET_ACCESS) or behave
// differently between Windows and Wine (GRANT_ACCESS).
#include "platform/access_grant.h"

#include <string>

#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/wine.h"

namespace {

constexpr BYTE kInheritToFilesAndFolders = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

DWORD MappedForFiles(DWORD mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    MapGenericMask(&mask, &mapping);
    return mask;
}

ACE_HEADER* AceAt(PACL acl, DWORD index) {
    void* ace = nullptr;
    return GetAce(acl, index, &ace) ? static_cast<ACE_HEADER*>(ace) : nullptr;
}

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

DWORD WindowsGetNamedSecurityInfo(const wchar_t* path, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
    return GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl,
                                 nullptr, descriptor);
}

DWORD WindowsSetNamedSecurityInfo(const wchar_t* path, PACL dacl) {
    // It takes a non-const path but does not change it.
    return SetNamedSecurityInfoW(const_cast<wchar_t*>(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                 nullptr, nullptr, dacl, nullptr);
}

// A network drive: there the write removes the folder's inherited entry. A UNC path is one, and so
// is a path whose drive cannot be told (its type unknown, no drive behind it): nothing is written
// where it might be one.
bool MayBeRemote(const wchar_t* path) {
    const bool driveLetter =
        ((path[0] | 0x20) >= L'a' && (path[0] | 0x20) <= L'z') && path[1] == L':' && path[2] == L'\\';
    if (!driveLetter)
        return true;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    const UINT type = AccessGrantPlatform().getDriveType(root);
    return type == DRIVE_REMOTE || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR;
}

// Whether a file or folder below `folder` has no DACL at all: an inherited entry would give it a
// list of that entry alone, and everyone else would lose access. What cannot be read or listed
// counts as such. Links are not followed, as the write does not follow them either.
bool SomethingBelowLacksAList(const std::wstring& folder) {
    // A folder always lists "." and "..": one that lists nothing cannot be read.
    DirectoryListing listing(folder + L"\\*");
    if (!listing.Valid())
        return true;
    for (bool more = true; more; more = listing.Next()) {
        if (listing.IsDotOrDotDot())
            continue;
        const std::wstring path = folder + L"\\" + std::wstring(listing.Name());
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const DWORD status = AccessGrantPlatform().getNamedSecurityInfo(path.c_str(), &dacl, &descriptor);
        const UniqueLocal owned(descriptor);
        if (status != ERROR_SUCCESS || dacl == nullptr)
            return true;
        if (listing.IsDirectory() && !listing.IsReparsePoint() && SomethingBelowLacksAList(path))
            return true;
    }
    return false;
}

}  // namespace

AccessGrantCalls& AccessGrantPlatform() {
    static AccessGrantCalls calls{WindowsGetNamedSecurityInfo, WindowsSetNamedSecurityInfo, GetDriveTypeW,
                                  RunningUnderWine};
    return calls;
}

std::optional<FolderAccessList> ReadFolderAccessList(const wchar_t* path) {
    if (path == nullptr || *path == L'\0')
        return std::nullopt;
    // The DACL lives inside the security descriptor, so the descriptor is requested too: without
    // it the list could not be kept alive for the merge, nor freed afterwards.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = AccessGrantPlatform().getNamedSecurityInfo(path, &dacl, &descriptor);
    FolderAccessList list;
    list.descriptor.Reset(descriptor);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    list.dacl = dacl;
    return list;
}

bool HoldsFolderAccess(PACL current, PSID trustee, DWORD permissions) {
    if (current == nullptr)
        return true;
    // What reaches the folder itself, its files, and its subfolders, kept apart: an entry that only
    // the folder has does not make the grant's inherited entry needless.
    DWORD onFolder = 0, toFiles = 0, toFolders = 0;
    for (DWORD i = 0; i < current->AceCount; ++i) {
        ACE_HEADER* header = AceAt(current, i);
        if (header == nullptr || header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        // Every signed-in token holds Everyone and Authenticated Users, so what those groups are
        // allowed the trustee is allowed too.
        PSID sid = &allowed->SidStart;
        if (!EqualSid(sid, trustee) && !IsWellKnown(sid, WinWorldSid) &&
            !IsWellKnown(sid, WinAuthenticatedUserSid))
            continue;
        const DWORD mask = MappedForFiles(allowed->Mask);
        if (!(header->AceFlags & INHERIT_ONLY_ACE))
            onFolder |= mask;
        if (header->AceFlags & NO_PROPAGATE_INHERIT_ACE)
            continue;
        if (header->AceFlags & OBJECT_INHERIT_ACE)
            toFiles |= mask;
        if (header->AceFlags & CONTAINER_INHERIT_ACE)
            toFolders |= mask;
    }
    const DWORD wanted = MappedForFiles(permissions);
    return (onFolder & wanted) == wanted && (toFiles & wanted) == wanted && (toFolders & wanted) == wanted;
}

std::vector<BYTE> WithAllowEntry(PACL current, PSID trustee, DWORD permissions) {
    if (trustee == nullptr || !IsValidSid(trustee))
        return {};
    DWORD inUse = sizeof(ACL);
    DWORD count = 0;
    BYTE revision = ACL_REVISION;
    if (current != nullptr) {
        ACL_SIZE_INFORMATION size{};
        if (!GetAclInformation(current, &size, sizeof size, AclSizeInformation))
            return {};
        inUse = size.AclBytesInUse;
        count = size.AceCount;
        revision = current->AclRevision > revision ? current->AclRevision : revision;
    }
    const DWORD entrySize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(trustee);
    const DWORD total = (inUse + entrySize + sizeof(DWORD) - 1) & ~static_cast<DWORD>(sizeof(DWORD) - 1);
    std::vector<BYTE> buffer(total);
    auto* merged = reinterpret_cast<PACL>(buffer.data());
    if (!InitializeAcl(merged, total, revision))
        return {};

    // Explicit entries come before inherited ones; the new entry is an explicit one.
    bool added = false;
    for (DWORD i = 0; i <= count; ++i) {
        ACE_HEADER* header = i < count ? AceAt(current, i) : nullptr;
        if (i < count && header == nullptr)
            return {};
        if (!added && (header == nullptr || (header->AceFlags & INHERITED_ACE))) {
            if (!AddAccessAllowedAceEx(merged, revision, kInheritToFilesAndFolders, permissions, trustee))
                return {};
            added = true;
        }
        if (header != nullptr && !AddAce(merged, revision, MAXDWORD, header, header->AceSize))
            return {};
    }
    return buffer;
}

GrantOutcome GrantFolderAccessW(const wchar_t* path, PSID trustee, DWORD permissions) {
    if (path == nullptr || *path == L'\0' || trustee == nullptr)
        return GrantOutcome::Failed;
    // Wine maps a written list onto the folder's Unix permissions: the folder would open to the
    // group, or to writing where the user had closed it.
    if (AccessGrantPlatform().underWine() || MayBeRemote(path))
        return GrantOutcome::LeftOut;
    const std::optional<FolderAccessList> current = ReadFolderAccessList(path);
    if (!current)
        return GrantOutcome::Failed;
    if (HoldsFolderAccess(current->dacl, trustee, permissions))
        return GrantOutcome::AlreadyHeld;
    if (SomethingBelowLacksAList(path))
        return GrantOutcome::LeftOut;
    std::vector<BYTE> merged = WithAllowEntry(current->dacl, trustee, permissions);
    if (merged.empty())
        return GrantOutcome::Failed;
    // Owner, group and system ACL stay untouched: only the DACL is written.
    const DWORD status =
        AccessGrantPlatform().setNamedSecurityInfo(path, reinterpret_cast<PACL>(merged.data()));
    return status == ERROR_SUCCESS ? GrantOutcome::Written : GrantOutcome::Failed;
}

GrantOutcome GrantFolderAccess(std::string_view path, WELL_KNOWN_SID_TYPE group, DWORD permissions) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    if (!CreateWellKnownSid(group, nullptr, sid, &sidSize))
        return GrantOutcome::Failed;
    const WideBlock widePath = AnsiToWide(path);
    return GrantFolderAccessW(widePath.Data(), sid, permissions);
}
