// The folder access grant: the list it builds, and the calls that must fail.
#include "platform/access_grant.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_tree.h"

namespace {

constexpr BYTE kInheritToFilesAndFolders = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;

// A built-in SID such as S-1-5-32-544, in a buffer the test owns.
struct Sid {
    explicit Sid(WELL_KNOWN_SID_TYPE type) : bytes(SECURITY_MAX_SID_SIZE) {
        DWORD size = SECURITY_MAX_SID_SIZE;
        EXPECT_TRUE(CreateWellKnownSid(type, nullptr, bytes.data(), &size));
    }
    PSID Get() { return bytes.data(); }
    std::vector<BYTE> bytes;
};

struct Entry {
    BYTE type;
    BYTE flags;
    ACCESS_MASK mask;
    std::vector<BYTE> sid;

    bool Is(Sid& other) const { return EqualSid(const_cast<BYTE*>(sid.data()), other.Get()); }
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

int CountFor(const std::vector<Entry>& entries, Sid& sid) {
    int count = 0;
    for (const Entry& entry : entries)
        count += entry.Is(sid) ? 1 : 0;
    return count;
}

TEST(AccessGrantTest, MergedListSetsTheAdministratorsEntryAndKeepsTheOthers) {
    Sid administrators(WinBuiltinAdministratorsSid);
    Sid users(WinBuiltinUsersSid);
    Sid guests(WinBuiltinGuestsSid);

    // A folder's own list: users may read, guests may not write, and administrators already hold
    // an entry of their own that the grant must replace rather than add to.
    std::vector<BYTE> buffer(1024);
    auto* folderList = reinterpret_cast<PACL>(buffer.data());
    ASSERT_TRUE(InitializeAcl(folderList, static_cast<DWORD>(buffer.size()), ACL_REVISION));
    ASSERT_TRUE(AddAccessDeniedAceEx(folderList, ACL_REVISION, 0, FILE_WRITE_DATA, guests.Get()));
    ASSERT_TRUE(AddAccessAllowedAceEx(folderList, ACL_REVISION, kInheritToFilesAndFolders, FILE_GENERIC_READ,
                                      users.Get()));
    ASSERT_TRUE(AddAccessAllowedAceEx(folderList, ACL_REVISION, 0, GENERIC_ALL, administrators.Get()));

    const UniqueLocal merged = MergeAccessEntry(folderList, L"Administrators", 0x20000000, SET_ACCESS);
    ASSERT_TRUE(merged.Valid());
    const std::vector<Entry> entries = EntriesOf(static_cast<PACL>(merged.Get()));
    ASSERT_EQ(entries.size(), 3u);

    ASSERT_EQ(CountFor(entries, administrators), 1);
    for (const Entry& entry : entries) {
        if (entry.Is(administrators)) {
            EXPECT_EQ(entry.type, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(entry.mask, 0x20000000u) << "GENERIC_EXECUTE, not GENERIC_ALL";
            EXPECT_EQ(entry.flags, kInheritToFilesAndFolders);
        } else if (entry.Is(users)) {
            EXPECT_EQ(entry.type, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(entry.mask, static_cast<ACCESS_MASK>(FILE_GENERIC_READ));
            EXPECT_EQ(entry.flags, kInheritToFilesAndFolders);
        } else {
            EXPECT_TRUE(entry.Is(guests)) << "an entry for a trustee the folder never had";
            EXPECT_EQ(entry.type, ACCESS_DENIED_ACE_TYPE);
            EXPECT_EQ(entry.mask, static_cast<ACCESS_MASK>(FILE_WRITE_DATA));
        }
    }
}

TEST(AccessGrantTest, FolderWithoutAListGetsTheOneEntry) {
    Sid administrators(WinBuiltinAdministratorsSid);
    const UniqueLocal merged = MergeAccessEntry(nullptr, L"Administrators", 0x20000000, SET_ACCESS);
    ASSERT_TRUE(merged.Valid());
    const std::vector<Entry> entries = EntriesOf(static_cast<PACL>(merged.Get()));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].Is(administrators));
    EXPECT_EQ(entries[0].mask, 0x20000000u);
}

TEST(AccessGrantTest, UnknownTrusteeBuildsNothing) {
    EXPECT_FALSE(MergeAccessEntry(nullptr, L"NoSuchGroupOfTellwick", 0x20000000, SET_ACCESS).Valid());
    EXPECT_FALSE(MergeAccessEntry(nullptr, L"", 0x20000000, SET_ACCESS).Valid());
}

TEST(AccessGrantTest, GrantOnAnExistingFolderSucceeds) {
    TempTree tree;
    const Text folder = tree.Folder("游戏\\Game\\Config");
    EXPECT_TRUE(GrantFolderAccess(folder, "Administrators", 0x20000000, 2));
    // The folder and what it holds stay in place.
    EXPECT_TRUE(IsFolder(folder));
}

TEST(AccessGrantTest, MissingOrEmptyPathFails) {
    TempTree tree;
    EXPECT_FALSE(ReadFolderAccessList(L"").has_value());
    EXPECT_FALSE(ReadFolderAccessList(nullptr).has_value());
    EXPECT_FALSE(GrantFolderAccess(tree / "missing", "Administrators", 0x20000000, 2));
    EXPECT_FALSE(PathExists(tree / "missing"));
    EXPECT_FALSE(GrantFolderAccess("", "Administrators", 0x20000000, 2));
    EXPECT_FALSE(GrantFolderAccessW(nullptr, L"Administrators", 0x20000000, 2));
    EXPECT_FALSE(GrantFolderAccess(tree.Path(), "NoSuchGroupOfTellwick", 0x20000000, 2));
}

}  // namespace
