// Setting one inheritable access entry on a folder, kept beside the folder's other entries.
#pragma once

#include <windows.h>

#include <aclapi.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/handles.h"
#include "platform/result.h"

// A folder's DACL as read from the folder. The security descriptor owns the memory that `dacl`
// points into; `dacl` is null when the folder has no DACL at all.
struct FolderAccessList {
    UniqueLocal descriptor;
    PACL dacl = nullptr;
};

// Reads the DACL of the folder `path`; nothing when the path is empty, missing or unreadable.
std::optional<FolderAccessList> ReadFolderAccessList(const wchar_t* path);

// The access list to write: every entry of `current` with the entry of `trustee` (by name) set to
// `permissions` under `accessMode`, inherited by files and subfolders. Invalid when the trustee is
// unknown or memory runs out.
UniqueLocal MergeAccessEntry(PACL current, const wchar_t* trustee, DWORD permissions, ACCESS_MODE accessMode);

// Writes `dacl` as the DACL of the folder `path`; owner, group and system ACL stay untouched.
SysResult WriteFolderAccessList(const wchar_t* path, PACL dacl);

// Sets the entry of `trustee` on the folder `path`: true exactly when the new list was written.
SysResult GrantFolderAccessW(const wchar_t* path, const wchar_t* trustee, std::uint32_t permissions,
                             std::uint32_t accessMode);

// The same for GBK texts.
SysResult GrantFolderAccess(std::string_view path, std::string_view trustee, std::uint32_t permissions,
                            std::uint32_t accessMode);
