// Folder access grant through the Windows security API. The new entry is merged into the folder's
// own list rather than replacing it, so the folder's other explicit entries survive the grant.
#include "platform/access_grant.h"

#include "platform/encoding.h"

std::optional<FolderAccessList> ReadFolderAccessList(const wchar_t* path) {
    if (path == nullptr || *path == L'\0')
        return std::nullopt;
    // The DACL lives inside the security descriptor, so the descriptor is requested too: without
    // it the list could not be kept alive for the merge, nor freed afterwards.
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD status = GetNamedSecurityInfoW(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                               nullptr, &dacl, nullptr, &descriptor);
    FolderAccessList list;
    list.descriptor.Reset(descriptor);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    list.dacl = dacl;
    return list;
}

UniqueLocal MergeAccessEntry(PACL current, const wchar_t* trustee, DWORD permissions,
                             ACCESS_MODE accessMode) {
    if (trustee == nullptr || *trustee == L'\0')
        return UniqueLocal();
    const UniqueLocal record(LocalAlloc(LPTR, sizeof(EXPLICIT_ACCESS_W)));
    if (!record)
        return UniqueLocal();
    auto* access = static_cast<EXPLICIT_ACCESS_W*>(record.Get());
    // BuildExplicitAccessWithNameW takes a non-const name but only stores the pointer.
    BuildExplicitAccessWithNameW(access, const_cast<wchar_t*>(trustee), permissions, accessMode,
                                 SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    PACL merged = nullptr;
    const DWORD status = SetEntriesInAclW(1, access, current, &merged);
    UniqueLocal owned(merged);
    if (status != ERROR_SUCCESS)
        return UniqueLocal();
    return owned;
}

SysResult WriteFolderAccessList(const wchar_t* path, PACL dacl) {
    if (path == nullptr || *path == L'\0' || dacl == nullptr)
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    // SetNamedSecurityInfoW takes a non-const path but does not change it; it returns its error.
    const DWORD status = SetNamedSecurityInfoW(const_cast<wchar_t*>(path), SE_FILE_OBJECT,
                                               DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
    return status == ERROR_SUCCESS ? SysResult::Success() : SysResult::Failure(status);
}

SysResult GrantFolderAccessW(const wchar_t* path, const wchar_t* trustee, std::uint32_t permissions,
                             std::uint32_t accessMode) {
    const std::optional<FolderAccessList> current = ReadFolderAccessList(path);
    if (!current)
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    const UniqueLocal merged =
        MergeAccessEntry(current->dacl, trustee, permissions, static_cast<ACCESS_MODE>(accessMode));
    if (!merged)
        return SysResult::Failure(ERROR_NONE_MAPPED);
    return WriteFolderAccessList(path, static_cast<PACL>(merged.Get()));
}

SysResult GrantFolderAccess(std::string_view path, std::string_view trustee, std::uint32_t permissions,
                            std::uint32_t accessMode) {
    const WideBlock widePath = AnsiToWide(path);
    const WideBlock wideTrustee = AnsiToWide(trustee);
    return GrantFolderAccessW(widePath.Data(), wideTrustee.Data(), permissions, accessMode);
}
