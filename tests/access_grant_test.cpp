// The folder access grant: it adds an entry where the group lacks the rights, and never takes away.
#include "platform/access_grant.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/encoding.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/dx11_switch.h"

namespace {

constexpr BYTE kInheritToFilesAndFolders = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr DWORD kGenericExecute = 0x20000000;

// A built-in SID such as S-1-5-32-544, in a buffer the test owns.
struct Sid {
    explicit Sid(WELL_KNOWN_SID_TYPE type) : bytes(SECURITY_MAX_SID_SIZE) {
        DWORD size = SECURITY_MAX_SID_SIZE;
        EXPECT_TRUE(CreateWellKnownSid(type, nullptr, bytes.data(), &size));
        bytes.resize(size);
    }
    PSID Get() { return bytes.data(); }
    std::vector<BYTE> bytes;
};

struct Entry {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    std::vector<BYTE> sid;

    bool operator==(const Entry&) const = default;
};

// An access list built from entries; `null` stands for a folder without any list.
struct AccessList {
    explicit AccessList(std::initializer_list<Entry> entries) : AccessList(std::vector<Entry>(entries)) {}
    explicit AccessList(const std::vector<Entry>& entries) : buffer(1024) {
        EXPECT_TRUE(InitializeAcl(Get(), static_cast<DWORD>(buffer.size()), ACL_REVISION));
        for (const Entry& entry : entries) {
            auto* sid = const_cast<BYTE*>(entry.sid.data());
            EXPECT_TRUE(entry.type == ACCESS_DENIED_ACE_TYPE
                            ? AddAccessDeniedAceEx(Get(), ACL_REVISION, entry.flags, entry.mask, sid)
                            : AddAccessAllowedAceEx(Get(), ACL_REVISION, entry.flags, entry.mask, sid));
        }
    }
    PACL Get() { return reinterpret_cast<PACL>(buffer.data()); }
    std::vector<BYTE> buffer;
};

// The entries of an access list, in order. Allow and deny entries share their layout.
std::vector<Entry> EntriesOf(PACL acl) {
    std::vector<Entry> entries;
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(acl, i, &ace))
            break;
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        const auto* sid = reinterpret_cast<const BYTE*>(&allowed->SidStart);
        entries.push_back({allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask,
                           std::vector<BYTE>(sid, sid + GetLengthSid(const_cast<BYTE*>(sid)))});
    }
    return entries;
}

PACL AsAcl(const std::vector<BYTE>& bytes) {
    return reinterpret_cast<PACL>(const_cast<BYTE*>(bytes.data()));
}

class AccessGrantTest : public testing::Test {
   protected:
    Entry Allow(Sid& sid, ACCESS_MASK mask, BYTE flags = kInheritToFilesAndFolders) {
        return {ACCESS_ALLOWED_ACE_TYPE, flags, mask, sid.bytes};
    }

    // The grant the DX11 switch makes, decided on `list`: nothing when the list is left alone.
    std::optional<std::vector<Entry>> Granted(PACL list) {
        if (HoldsFolderAccess(list, administrators.Get(), kGenericExecute))
            return std::nullopt;
        const std::vector<BYTE> merged = WithAllowEntry(list, administrators.Get(), kGenericExecute);
        EXPECT_FALSE(merged.empty());
        return EntriesOf(AsAcl(merged));
    }

    Sid administrators{WinBuiltinAdministratorsSid};
    Sid users{WinBuiltinUsersSid};
    Sid guests{WinBuiltinGuestsSid};
    Sid everyone{WinWorldSid};
    Sid authenticatedUsers{WinAuthenticatedUserSid};
    Entry guestsDenied{ACCESS_DENIED_ACE_TYPE, 0, FILE_WRITE_DATA, guests.bytes};
};

TEST_F(AccessGrantTest, AGroupThatHoldsTheRightsKeepsItsList) {
    for (ACCESS_MASK full :
         {static_cast<ACCESS_MASK>(FILE_ALL_ACCESS), static_cast<ACCESS_MASK>(GENERIC_ALL)}) {
        SCOPED_TRACE(full);
        AccessList list{guestsDenied, Allow(users, FILE_GENERIC_READ), Allow(administrators, full)};
        EXPECT_EQ(Granted(list.Get()), std::nullopt) << "full control must not become execute-only";
    }
    {
        SCOPED_TRACE("the rights held through an inherited entry");
        AccessList list{Allow(administrators, FILE_ALL_ACCESS, kInheritToFilesAndFolders | INHERITED_ACE)};
        EXPECT_EQ(Granted(list.Get()), std::nullopt);
    }
    // Every signed-in token holds Everyone and Authenticated Users; one allows the folder, the other
    // its files and subfolders.
    for (Sid* group : {&everyone, &authenticatedUsers}) {
        AccessList list{Allow(*group, GENERIC_ALL)};
        EXPECT_EQ(Granted(list.Get()), std::nullopt);
    }
    {
        AccessList list{
            Allow(everyone, FILE_ALL_ACCESS, 0),
            Allow(authenticatedUsers, FILE_ALL_ACCESS, kInheritToFilesAndFolders | INHERIT_ONLY_ACE)};
        EXPECT_EQ(Granted(list.Get()), std::nullopt);
    }
    // No list at all lets everyone do everything; a list of one entry would lock everyone else out.
    EXPECT_EQ(Granted(nullptr), std::nullopt);
}

TEST_F(AccessGrantTest, AMissingRightIsAddedBesideEveryEntry) {
    {
        SCOPED_TRACE("full control in the folder only: its files and subfolders inherit none of it");
        const Entry folderOnly = Allow(administrators, FILE_ALL_ACCESS, 0);
        AccessList list{guestsDenied, Allow(users, FILE_GENERIC_READ), folderOnly};
        EXPECT_EQ(Granted(list.Get()),
                  (std::vector<Entry>{guestsDenied, Allow(users, FILE_GENERIC_READ), folderOnly,
                                      Allow(administrators, kGenericExecute)}));
    }
    {
        SCOPED_TRACE("a list without entries");
        AccessList empty{};
        EXPECT_EQ(Granted(empty.Get()), std::vector<Entry>{Allow(administrators, kGenericExecute)});
    }
    {
        SCOPED_TRACE("inherited entries stay behind the explicit ones");
        const Entry inherited = Allow(guests, FILE_GENERIC_READ, kInheritToFilesAndFolders | INHERITED_ACE);
        AccessList list{Allow(users, FILE_GENERIC_READ), inherited};
        EXPECT_EQ(Granted(list.Get()),
                  (std::vector<Entry>{Allow(users, FILE_GENERIC_READ), Allow(administrators, kGenericExecute),
                                      inherited}));
    }
}

// Windows' answers for the folder at hand, and the lists written, recorded rather than made.
struct WindowsAnswers {
    std::wstring folder;
    std::optional<std::vector<Entry>> folderList;  // nothing: a folder without a DACL
    std::wstring withoutList;                      // a path below the folder without a DACL
    std::wstring unreadable;                       // a path whose DACL cannot be read
    std::wstring child;                            // a path below the folder with the list below
    std::vector<Entry> childList;
    UINT driveType = DRIVE_FIXED;
    DWORD writeError = ERROR_SUCCESS;
    std::vector<std::vector<Entry>> written;
};
WindowsAnswers* answers = nullptr;

// The descriptor the caller frees with LocalFree: here a copy of the list alone.
DWORD AnswerDacl(const wchar_t* path, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
    const bool isFolder = path == answers->folder;
    if (path == answers->unreadable)
        return ERROR_ACCESS_DENIED;
    std::optional<std::vector<Entry>> entries = isFolder ? answers->folderList : std::vector<Entry>{};
    if (path == answers->withoutList)
        entries.reset();
    if (path == answers->child)
        entries = answers->childList;
    *descriptor = LocalAlloc(LPTR, 1024);
    *dacl = nullptr;
    if (entries) {
        AccessList list(*entries);
        CopyMemory(*descriptor, list.buffer.data(), list.buffer.size());
        *dacl = static_cast<PACL>(*descriptor);
    }
    return ERROR_SUCCESS;
}

// A written list is what the folder answers from then on.
DWORD RecordWrite(const wchar_t* path, PACL dacl) {
    answers->written.push_back(EntriesOf(dacl));
    if (answers->writeError == ERROR_SUCCESS && path == answers->folder)
        answers->folderList = EntriesOf(dacl);
    return answers->writeError;
}

class GrantAsWindowsAnswersTest : public AccessGrantTest {
   protected:
    GrantAsWindowsAnswersTest() {
        answers = &windows;
        tree.File("Game\\Config\\game.cfg", "[General]\r\n");
        tree.File("Game\\Config\\Sub\\deeper.cfg");
        windows.folder = ToWide(tree / "Game\\Config");
    }
    ~GrantAsWindowsAnswersTest() override { answers = nullptr; }

    const ScopedAccessGrantCalls standIns{{.getNamedSecurityInfo = AnswerDacl,
                                           .setNamedSecurityInfo = RecordWrite,
                                           .getDriveType = [](const wchar_t*) { return answers->driveType; },
                                           .underWine = [] { return false; }}};
    TempTree tree;
    WindowsAnswers windows;
};

TEST_F(GrantAsWindowsAnswersTest, WritesOnlyWhereNoOneLosesRights) {
    const Entry usersRead = Allow(users, FILE_GENERIC_READ);
    const std::vector<Entry> withGrant{usersRead, Allow(administrators, kGenericExecute)};
    struct Case {
        const char* what;
        std::optional<std::vector<Entry>> folderList;
        const char* withoutList;
        UINT driveType;
        const char* unreadable;
        DWORD writeError;
        GrantOutcome expected;
        const char* child = "";
        std::vector<Entry> childList = {};
    };
    const Entry usersReadInherited = Allow(users, FILE_GENERIC_READ, INHERITED_ACE);
    const char* cfg = "Game\\Config\\game.cfg";
    const Case cases[] = {
        {"the group lacks the rights", std::vector{usersRead}, "", DRIVE_FIXED, "", 0, GrantOutcome::Written},
        {"Everyone holds them", std::vector{Allow(everyone, GENERIC_ALL)}, "", DRIVE_FIXED, "", 0,
         GrantOutcome::AlreadyHeld},
        {"the folder has no DACL", std::nullopt, "", DRIVE_FIXED, "", 0, GrantOutcome::AlreadyHeld},
        {"a file below has no DACL", std::vector{usersRead}, "Game\\Config\\game.cfg", DRIVE_FIXED, "", 0,
         GrantOutcome::LeftOut},
        {"a file in a subfolder has none", std::vector{usersRead}, "Game\\Config\\Sub\\deeper.cfg",
         DRIVE_FIXED, "", 0, GrantOutcome::LeftOut},
        {"a network drive", std::vector{usersRead}, "", DRIVE_REMOTE, "", 0, GrantOutcome::LeftOut},
        {"a drive of unknown type", std::vector{usersRead}, "", DRIVE_UNKNOWN, "", 0, GrantOutcome::LeftOut},
        {"a file below whose list cannot be read", std::vector{usersRead}, "", DRIVE_FIXED,
         "Game\\Config\\game.cfg", 0, GrantOutcome::LeftOut},
        {"the list cannot be read", std::vector{usersRead}, "", DRIVE_FIXED, "Game\\Config", 0,
         GrantOutcome::Failed},
        {"the list cannot be written", std::vector{usersRead}, "", DRIVE_FIXED, "", ERROR_ACCESS_DENIED,
         GrantOutcome::Failed},
        {"a file below inherits what the folder passes", std::vector{usersRead}, "", DRIVE_FIXED, "", 0,
         GrantOutcome::Written, cfg, std::vector{usersReadInherited}},
        {"a folder below inherits what the folder passes", std::vector{usersRead}, "", DRIVE_FIXED, "", 0,
         GrantOutcome::Written, "Game\\Config\\Sub",
         std::vector{Allow(users, FILE_GENERIC_READ, kInheritToFilesAndFolders | INHERITED_ACE)}},
        {"a file moved in keeps its former folder's write entry", std::vector{usersRead}, "", DRIVE_FIXED, "",
         0, GrantOutcome::LeftOut, cfg, std::vector{Allow(users, FILE_GENERIC_WRITE, INHERITED_ACE)}},
        {"a file in a subfolder inherits what only the folder passes", std::vector{usersRead}, "",
         DRIVE_FIXED, "", 0, GrantOutcome::LeftOut, "Game\\Config\\Sub\\deeper.cfg",
         std::vector{usersReadInherited}},
        {"an explicit entry after an inherited one", std::vector{usersRead}, "", DRIVE_FIXED, "", 0,
         GrantOutcome::LeftOut, cfg, std::vector{usersReadInherited, Allow(guests, FILE_GENERIC_READ, 0)}},
        {"a denial after a grant", std::vector{usersRead}, "", DRIVE_FIXED, "", 0, GrantOutcome::LeftOut, cfg,
         std::vector{Allow(guests, FILE_GENERIC_READ, 0), guestsDenied}},
        {"the folder's own denial after a grant",
         std::vector{Allow(guests, FILE_GENERIC_READ, 0), guestsDenied}, "", DRIVE_FIXED, "", 0,
         GrantOutcome::LeftOut},
        {"the folder moved in from another folder",
         std::vector{usersRead, Allow(guests, FILE_GENERIC_READ, INHERITED_ACE)}, "", DRIVE_FIXED, "", 0,
         GrantOutcome::LeftOut},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows.folderList = c.folderList;
        windows.withoutList = *c.withoutList ? ToWide(tree / c.withoutList) : L"";
        windows.driveType = c.driveType;
        windows.unreadable = *c.unreadable ? ToWide(tree / c.unreadable) : L"";
        windows.writeError = c.writeError;
        windows.child = *c.child ? ToWide(tree / c.child) : L"";
        windows.childList = c.childList;
        windows.written.clear();
        EXPECT_EQ(
            GrantFolderAccess(tree / "Game\\Config", WinBuiltinAdministratorsSid, kGenericExecute).outcome,
            c.expected);
        const bool writes = c.expected == GrantOutcome::Written || c.writeError != ERROR_SUCCESS;
        EXPECT_EQ(windows.written,
                  writes ? std::vector<std::vector<Entry>>{withGrant} : std::vector<std::vector<Entry>>{});
    }

    windows.folderList = std::vector{usersRead};
    windows.written.clear();
    windows.folder = ToWide(tree / "Unlisted");
    EXPECT_EQ(GrantFolderAccess(tree / "Unlisted", WinBuiltinAdministratorsSid, kGenericExecute).outcome,
              GrantOutcome::LeftOut)
        << "a folder whose contents cannot be listed";
    EXPECT_EQ(
        GrantFolderAccessW(L"\\\\server\\share\\Game\\Config", administrators.Get(), kGenericExecute).outcome,
        GrantOutcome::LeftOut)
        << "a UNC path is a network drive's";
    EXPECT_EQ(GrantFolderAccess("", WinBuiltinAdministratorsSid, kGenericExecute).outcome,
              GrantOutcome::Failed);
    EXPECT_EQ(GrantFolderAccessW(nullptr, administrators.Get(), kGenericExecute).outcome,
              GrantOutcome::Failed);
    EXPECT_TRUE(windows.written.empty());

    // A grant left out does not stop the switch.
    windows.driveType = DRIVE_REMOTE;
    EXPECT_TRUE(EnableDx11TestMode(ProgramState{tree.Path(), {}}));
    EXPECT_EQ(ReadBytes(tree / "Game\\Config\\game.cfg.bak"), "[General]\r\n");
}

// The undo puts back the list the grant replaced, and nothing that someone changed since.
TEST_F(GrantAsWindowsAnswersTest, RestorePutsBackOnlyTheListTheGrantWrote) {
    const Entry usersRead = Allow(users, FILE_GENERIC_READ);
    struct Case {
        const char* what;
        std::optional<std::vector<Entry>> since;  // the folder's list by the undo, when not the grant's
        const char* unreadable;
        const char* folder;
        RestoreOutcome expected;
        std::vector<Entry> gameCfgList = {};
    };
    const Case cases[] = {
        {"still the list the grant wrote",
         std::nullopt,
         "",
         "Game\\Config",
         RestoreOutcome::Restored,
         {Allow(users, FILE_GENERIC_READ, INHERITED_ACE),
          Allow(administrators, kGenericExecute, INHERITED_ACE)}},
        {"changed since", std::vector{usersRead, Allow(guests, FILE_GENERIC_READ)}, "", "Game\\Config",
         RestoreOutcome::NotOurs},
        {"the list cannot be read", std::nullopt, "Game\\Config", "Game\\Config", RestoreOutcome::Failed},
        {"the folder is gone", std::nullopt, "", "Game\\Gone", RestoreOutcome::NothingToRestore},
        {"a file moved in since would lose an entry",
         std::nullopt,
         "",
         "Game\\Config",
         RestoreOutcome::LeftOut,
         {Allow(users, FILE_GENERIC_WRITE, INHERITED_ACE)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        windows.folderList = std::vector{usersRead};
        windows.unreadable.clear();
        windows.childList.clear();
        const GrantResult grant =
            GrantFolderAccess(tree / "Game\\Config", WinBuiltinAdministratorsSid, kGenericExecute);
        ASSERT_EQ(grant.outcome, GrantOutcome::Written);
        if (c.since)
            windows.folderList = c.since;
        const std::vector<Entry> before = *windows.folderList;
        windows.unreadable = *c.unreadable ? ToWide(tree / c.unreadable) : L"";
        windows.child = ToWide(tree / "Game\\Config\\game.cfg");
        windows.childList = c.gameCfgList;
        windows.written.clear();
        EXPECT_EQ(RestoreFolderAccess(tree / c.folder, grant.formerDacl, grant.writtenDacl), c.expected);
        const bool restored = c.expected == RestoreOutcome::Restored;
        EXPECT_EQ(*windows.folderList, restored ? std::vector{usersRead} : before);
        EXPECT_EQ(windows.written.size(), restored ? 1U : 0U);
    }
}

// Wine as the platform, as it answers: it keeps no lists, so the grant is left out.
TEST_F(AccessGrantTest, UnderWineTheGrantIsLeftOut) {
    TempTree tree;
    EXPECT_EQ(
        GrantFolderAccess(tree.Folder("游戏\\Game\\Config"), WinBuiltinAdministratorsSid, kGenericExecute)
            .outcome,
        GrantOutcome::LeftOut);
    EXPECT_EQ(RestoreFolderAccess(tree.Folder("Game\\Config"), "D:(A;;FA;;;BA)", "D:(A;;FA;;;BA)"),
              RestoreOutcome::NothingToRestore);
    EXPECT_FALSE(ReadFolderAccessList(L"").has_value());
    EXPECT_FALSE(ReadFolderAccessList(nullptr).has_value());
}

// Wine keeps an access list it is given as the folder's Unix permissions: as an ordinary user, a
// Config of 700 or 755 became 775 and one closed to writing (555) became writable. Where the
// platform keeps no lists the grant is left out, so the permissions stay as the user set them.
TEST_F(AccessGrantTest, TheGrantNeverOpensWhatTheUserDenied) {
    for (const char* mode : {"700", "755", "555"}) {
        SCOPED_TRACE(mode);
        TempTree tree;
        tree.File("Game\\Config\\game.cfg", "[General]\r\n");
        const Text folder = tree / "Game\\Config";
        const ScopedUnixMode set(folder, mode);
        EnableDx11TestMode(ProgramState{tree.Path(), {}});
        EXPECT_EQ(UnixModeOf(folder), mode);
    }
}

}  // namespace
