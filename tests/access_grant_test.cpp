// The folder access grant: it adds an entry where the group lacks the rights, and never takes away.
#include "platform/access_grant.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/encoding.h"
#include "support/temp_tree.h"
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
    explicit AccessList(std::initializer_list<Entry> entries) : buffer(1024) {
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

// Wine keeps no access list of its own: it reads back one made from the folder's Unix permissions
// and enforces none (the tests run as root), so what the grant wrote cannot be read back here.
// The decision it writes from is the one tested above.
TEST_F(AccessGrantTest, GrantOnARealFolder) {
    TempTree tree;
    const Text folder = tree.Folder("游戏\\Game\\Config");
    EXPECT_TRUE(GrantFolderAccess(folder, WinBuiltinAdministratorsSid, kGenericExecute));
    EXPECT_TRUE(IsFolder(folder));

    EXPECT_FALSE(ReadFolderAccessList(L"").has_value());
    EXPECT_FALSE(ReadFolderAccessList(nullptr).has_value());
    EXPECT_FALSE(GrantFolderAccess(tree / "missing", WinBuiltinAdministratorsSid, kGenericExecute));
    EXPECT_FALSE(PathExists(tree / "missing"));
    EXPECT_FALSE(GrantFolderAccess("", WinBuiltinAdministratorsSid, kGenericExecute));
    EXPECT_FALSE(GrantFolderAccessW(nullptr, administrators.Get(), kGenericExecute));
}

// What Wine keeps of a list: the entries for the owner and for Everyone, mapped onto the folder's
// Unix permissions, which it reads back as the owner's and Everyone's entries (beside SYSTEM). So
// an Everyone entry that lets everyone write is the folder's own entry that the switch-on's grant,
// as written, can be seen to keep here. The Administrators entry itself, and with it
// GENERIC_EXECUTE, is read back only where access lists are kept (Windows).
TEST_F(AccessGrantTest, SwitchOnKeepsTheFolderEntriesAsWritten) {
    Sid everyone{WinWorldSid};
    TempTree tree;
    tree.File("Game\\Config\\game.cfg", "[General]\r\n");
    const std::wstring folder = ToWide(tree / "Game\\Config");
    AccessList own{Allow(everyone, GENERIC_ALL)};
    ASSERT_TRUE(WriteFolderAccessList(folder.c_str(), own.Get()));
    const auto everyoneMask = [&] {
        const std::optional<FolderAccessList> list = ReadFolderAccessList(folder.c_str());
        ACCESS_MASK mask = 0;
        for (const Entry& entry : EntriesOf(list ? list->dacl : nullptr))
            mask |= entry.sid == everyone.bytes && entry.type == ACCESS_ALLOWED_ACE_TYPE ? entry.mask : 0;
        return mask;
    };
    const ACCESS_MASK before = everyoneMask();
    ASSERT_TRUE(before & FILE_WRITE_DATA) << "the folder's own list did not take";

    ASSERT_TRUE(EnableDx11TestMode(ProgramState{tree.Path(), {}}));
    EXPECT_EQ(everyoneMask(), before) << "the grant dropped the folder's own entries";
    const std::optional<FolderAccessList> written = ReadFolderAccessList(folder.c_str());
    ASSERT_TRUE(written);
    for (const Entry& entry : EntriesOf(written->dacl)) {
        if (entry.sid == administrators.bytes && !(entry.flags & INHERITED_ACE)) {
            EXPECT_TRUE(entry.mask == 0x20000000u || entry.mask == FILE_GENERIC_EXECUTE) << "GENERIC_EXECUTE";
        }
    }
}

}  // namespace
