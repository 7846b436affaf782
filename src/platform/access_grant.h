// Giving a group rights on a folder, inherited by its files and subfolders, without taking anything
// from anyone: every entry the folder had stays as it was.
#pragma once

#include <windows.h>

#include <aclapi.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handles.h"
#include "platform/seam.h"

// A folder's DACL as read from the folder. The security descriptor owns the memory that `dacl`
// points into; `dacl` is null when the folder has no DACL at all.
struct FolderAccessList {
    UniqueLocal descriptor;
    PACL dacl = nullptr;
};

// Reads the DACL of the folder `path`; nothing when the path is empty, missing or unreadable.
std::optional<FolderAccessList> ReadFolderAccessList(const wchar_t* path);

// `mask` with its generic rights mapped to the file rights they stand for.
DWORD MappedForFiles(DWORD mask);

// Whether `trustee` already holds `permissions` (generic rights mapped as for files) by allow
// entries, explicit or inherited, on the folder and on the files and subfolders it passes entries
// on to: entries of its own, and of the groups every signed-in user's token holds (Everyone,
// Authenticated Users). A missing DACL (null) lets everyone do everything.
bool HoldsFolderAccess(PACL current, PSID trustee, DWORD permissions);

// Every entry of `current` in its order, and one more: `trustee` allowed `permissions`, inherited
// by files and subfolders, placed after the explicit entries as Windows orders them. Empty when
// the list cannot be built.
std::vector<BYTE> WithAllowEntry(PACL current, PSID trustee, DWORD permissions);

// What became of a grant. Writing a list makes Windows apply inheritance anew to everything below
// the folder, which can take rights away, so the list is written only where that is safe.
enum class GrantOutcome {
    AlreadyHeld,  // the list gives the rights already, and stays as it is
    Written,      // the list with the one entry more was written
    LeftOut,      // writing it could cost someone rights, or the platform keeps no lists: not written
    Failed,       // the folder's list could not be read, built or written
};

// A grant's outcome and, when it wrote, the folder's list before and after as SDDL of the DACL
// alone (ASCII), so that the grant can be undone while the list is still the one it wrote. Both
// are empty for every other outcome.
struct GrantResult {
    GrantOutcome outcome = GrantOutcome::Failed;
    std::string formerDacl;
    std::string writtenDacl;
};

// Makes sure `trustee` holds `permissions` on the folder `path` and everything below it: a list that
// already gives them is left alone, any other gets the one entry more, unless the folder lies on a
// network drive or in a place without access lists, or the write could cost the folder or anything
// below it an entry (ReplacingKeepsEveryEntry says when).
GrantResult GrantFolderAccessW(const wchar_t* path, PSID trustee, DWORD permissions);

// The same for a GBK path and a built-in group, named by its well-known SID: group names are
// localized ("Administrators" is not the group's name everywhere).
GrantResult GrantFolderAccess(std::string_view path, WELL_KNOWN_SID_TYPE group, DWORD permissions);

// What became of putting back the list a grant replaced.
enum class RestoreOutcome {
    Restored,          // the list was still the one the grant wrote; the former one is back
    NotOurs,           // the list has changed since the grant wrote it, and stays as it is now
    NothingToRestore,  // the folder is gone, or the platform keeps no lists (the grant never writes)
    LeftOut,           // writing it back could cost something below an entry: the list stays
    Failed,            // the list could not be read, the texts not read as lists, or the write failed
};

// Puts the folder `path` (GBK) back to `formerDacl` while its list is still `writtenDacl`, the two
// texts a written grant answered with.
RestoreOutcome RestoreFolderAccess(std::string_view path, std::string_view formerDacl,
                                   std::string_view writtenDacl);

// False where the platform keeps no access lists (Wine): there no grant was ever written.
bool AccessListsKept();

// The calls the grant makes where Windows and Wine answer differently, so that a test can answer
// them as Windows documents on real folders. Each stands for the call it names; an empty one is
// the platform's own.
struct AccessGrantCalls {
    // GetNamedSecurityInfoW for the DACL, with the descriptor that holds it.
    std::function<DWORD(const wchar_t* path, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor)>
        getNamedSecurityInfo;
    // SetNamedSecurityInfoW for the DACL alone.
    std::function<DWORD(const wchar_t* path, PACL dacl)> setNamedSecurityInfo;
    // GetDriveTypeW of a drive's root, given with its backslash ("D:\" for D:).
    std::function<UINT(const wchar_t* root)> getDriveType;
    // Whether this is Wine, which keeps a list only as the Unix permissions it maps it to.
    std::function<bool()> underWine;
};
using ScopedAccessGrantCalls = ScopedCalls<AccessGrantCalls>;
