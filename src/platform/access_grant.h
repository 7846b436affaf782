// Giving a group rights on a folder, inherited by its files and subfolders, without taking anything
// from anyone: every entry the folder had stays as it was.
#pragma once

#include <windows.h>

#include <aclapi.h>

#include <optional>
#include <string_view>
#include <vector>

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

// Whether `trustee` already holds `permissions` (generic rights mapped as for files) by allow
// entries of its own, explicit or inherited, on the folder and on the files and subfolders it passes
// entries on to. A missing DACL (null) lets everyone do everything.
bool HoldsFolderAccess(PACL current, PSID trustee, DWORD permissions);

// Every entry of `current` in its order, and one more: `trustee` allowed `permissions`, inherited
// by files and subfolders, placed after the explicit entries as Windows orders them. Empty when
// the list cannot be built.
std::vector<BYTE> WithAllowEntry(PACL current, PSID trustee, DWORD permissions);

// Writes `dacl` as the DACL of the folder `path`; owner, group and system ACL stay untouched.
SysResult WriteFolderAccessList(const wchar_t* path, PACL dacl);

// Makes sure `trustee` holds `permissions` on the folder `path` and everything below it: a list that
// already gives them is left alone, any other gets the one entry more. Succeeds when the trustee
// holds them afterwards.
SysResult GrantFolderAccessW(const wchar_t* path, PSID trustee, DWORD permissions);

// The same for a GBK path and a built-in group, named by its well-known SID: group names are
// localized ("Administrators" is not the group's name everywhere).
SysResult GrantFolderAccess(std::string_view path, WELL_KNOWN_SID_TYPE group, DWORD permissions);
