// Folder access grant through the Windows security API. The list is built here rather than by
// SetEntriesInAclW, whose modes either replace the trustee's own entries (SET_ACCESS) or behave
// differently between Windows and Wine (GRANT_ACCESS).
#include "platform/access_grant.h"

#include <sddl.h>

#include <string>

#include "platform/access_propagation.h"
#include "platform/encoding.h"
#include "platform/wine.h"

namespace {

constexpr BYTE kInheritToFilesAndFolders = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

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

// The installed stand-ins for the calls, or the platform's own.
DWORD GetDacl(const wchar_t* path, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
    const auto& call = InstalledCalls<AccessGrantCalls>().getNamedSecurityInfo;
    return call ? call(path, dacl, descriptor) : WindowsGetNamedSecurityInfo(path, dacl, descriptor);
}

DWORD SetDacl(const wchar_t* path, PACL dacl) {
    const auto& call = InstalledCalls<AccessGrantCalls>().setNamedSecurityInfo;
    return call ? call(path, dacl) : WindowsSetNamedSecurityInfo(path, dacl);
}

bool UnderWine() {
    const auto& call = InstalledCalls<AccessGrantCalls>().underWine;
    return call ? call() : RunningUnderWine();
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
    const auto& call = InstalledCalls<AccessGrantCalls>().getDriveType;
    const UINT type = call ? call(root) : GetDriveTypeW(root);
    return type == DRIVE_REMOTE || type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR;
}

// The list as SDDL of the DACL alone: owner, group and the descriptor's flags are no part of what
// the grant writes. SDDL is ASCII; a text with anything else is not taken.
std::optional<std::string> DaclAsSddl(PACL dacl) {
    SECURITY_DESCRIPTOR descriptor{};
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE))
        return std::nullopt;
    wchar_t* text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(&descriptor, SDDL_REVISION_1,
                                                              DACL_SECURITY_INFORMATION, &text, nullptr))
        return std::nullopt;
    const UniqueLocal owned(text);
    std::string sddl;
    for (const wchar_t* unit = text; *unit != L'\0'; ++unit) {
        if (*unit > 0x7f)
            return std::nullopt;
        sddl.push_back(static_cast<char>(*unit));
    }
    return sddl;
}

// The DACL an SDDL text describes, in the descriptor returned (null when the text is not one). A
// text without a DACL, or with a null one, is not taken either: the grant never writes over a
// folder without a list, and writing a null DACL would open the folder to everyone.
UniqueLocal DescriptorOf(std::string_view sddl, PACL* dacl) {
    std::wstring wide;
    for (const char c : sddl) {
        if (c == '\0' || static_cast<unsigned char>(c) > 0x7f)
            return {};
        wide.push_back(static_cast<wchar_t>(c));
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (wide.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(wide.c_str(), SDDL_REVISION_1,
                                                                              &descriptor, nullptr))
        return {};
    UniqueLocal owned(descriptor);
    BOOL present = FALSE, defaulted = FALSE;
    if (!GetSecurityDescriptorDacl(descriptor, &present, dacl, &defaulted) || !present || *dacl == nullptr)
        return {};
    return owned;
}

// Every outcome but Written leaves the list as it was, with nothing to put back.
GrantResult OnlyOutcome(GrantOutcome outcome) {
    return {outcome, {}, {}};
}

}  // namespace

DWORD MappedForFiles(DWORD mask) {
    GENERIC_MAPPING mapping{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    MapGenericMask(&mask, &mapping);
    return mask;
}

std::optional<FolderAccessList> ReadFolderAccessList(const wchar_t* path) {
    if (path == nullptr || *path == L'\0')
        return std::nullopt;
    // The DACL lives inside the security descriptor, so the descriptor is requested too: without
    // it the list could not be kept alive for the merge, nor freed afterwards.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetDacl(path, &dacl, &descriptor);
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

GrantResult GrantFolderAccessW(const wchar_t* path, PSID trustee, DWORD permissions) {
    if (path == nullptr || *path == L'\0' || trustee == nullptr)
        return OnlyOutcome(GrantOutcome::Failed);
    // Wine maps a written list onto the folder's Unix permissions: the folder would open to the
    // group, or to writing where the user had closed it.
    if (UnderWine() || MayBeRemote(path))
        return OnlyOutcome(GrantOutcome::LeftOut);
    const std::optional<FolderAccessList> current = ReadFolderAccessList(path);
    if (!current)
        return OnlyOutcome(GrantOutcome::Failed);
    if (HoldsFolderAccess(current->dacl, trustee, permissions))
        return OnlyOutcome(GrantOutcome::AlreadyHeld);
    std::vector<BYTE> merged = WithAllowEntry(current->dacl, trustee, permissions);
    if (merged.empty())
        return OnlyOutcome(GrantOutcome::Failed);
    auto* mergedList = reinterpret_cast<PACL>(merged.data());
    if (!ReplacingKeepsEveryEntry(path, current->dacl, mergedList))
        return OnlyOutcome(GrantOutcome::LeftOut);
    // A list is replaced only where it can be put back: its former text is what the undo writes.
    const std::optional<std::string> former = DaclAsSddl(current->dacl);
    const std::optional<std::string> intended = DaclAsSddl(mergedList);
    if (!former || !intended)
        return OnlyOutcome(GrantOutcome::Failed);
    // Owner, group and system ACL stay untouched: only the DACL is written.
    if (SetDacl(path, mergedList) != ERROR_SUCCESS)
        return OnlyOutcome(GrantOutcome::Failed);
    // Windows keeps the list with the inherited entries it computes from the parent, so the list as
    // written is the one read back; the undo compares against it. Unread, the one sent stands in
    // (at worst the undo then finds it changed and leaves it).
    const std::optional<FolderAccessList> written = ReadFolderAccessList(path);
    const std::optional<std::string> kept = written ? DaclAsSddl(written->dacl) : std::nullopt;
    return {GrantOutcome::Written, *former, kept.value_or(*intended)};
}

GrantResult GrantFolderAccess(std::string_view path, WELL_KNOWN_SID_TYPE group, DWORD permissions) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    if (!CreateWellKnownSid(group, nullptr, sid, &sidSize))
        return OnlyOutcome(GrantOutcome::Failed);
    const WideBlock widePath = AnsiToWide(path);
    return GrantFolderAccessW(widePath.Data(), sid, permissions);
}

RestoreOutcome RestoreFolderAccess(std::string_view path, std::string_view formerDacl,
                                   std::string_view writtenDacl) {
    // Under Wine the grant is always left out, so no list there is its own; and a list written
    // there would become the folder's Unix permissions.
    if (UnderWine())
        return RestoreOutcome::NothingToRestore;
    const WideBlock widePath = AnsiToWide(path);
    if (widePath.Empty())
        return RestoreOutcome::Failed;
    const DWORD attributes = GetFileAttributesW(widePath.Data());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return gone ? RestoreOutcome::NothingToRestore : RestoreOutcome::Failed;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return RestoreOutcome::NothingToRestore;
    PACL former = nullptr;
    const UniqueLocal formerDescriptor = DescriptorOf(formerDacl, &former);
    if (!formerDescriptor || writtenDacl.empty())
        return RestoreOutcome::Failed;
    // The lists are compared as texts made by the one conversion that made the grant's: the same
    // entries in the same order give the same text, whatever the ACL's revision or unused space,
    // and the record need not be parsed back into bytes that could be laid out differently.
    const std::optional<FolderAccessList> current = ReadFolderAccessList(widePath.Data());
    const std::optional<std::string> now = current ? DaclAsSddl(current->dacl) : std::nullopt;
    if (!now)
        return RestoreOutcome::Failed;
    if (*now != writtenDacl)
        return RestoreOutcome::NotOurs;
    // The former list is written as the grant wrote its own, with the same checks.
    if (MayBeRemote(widePath.Data()) || !ReplacingKeepsEveryEntry(widePath.Data(), current->dacl, former))
        return RestoreOutcome::LeftOut;
    return SetDacl(widePath.Data(), former) == ERROR_SUCCESS ? RestoreOutcome::Restored
                                                             : RestoreOutcome::Failed;
}

bool AccessListsKept() {
    return !UnderWine();
}
