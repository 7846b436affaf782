// FindFilesOnDrive on real NTFS images: the file table's hits against the walk of the same image
// mounted through ntfs-3g and mapped as a drive, the fall-back to the walk, and a quit.
#include "locate/drive_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "locate/file_search.h"
#include "locate/install_root.h"
#include "platform/encoding.h"
#include "platform/message_pump.h"
#include "platform/raw_volume.h"
#include "support/fake_control_port.h"
#include "support/nested_handler.h"
#include "support/ntfs_images.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"

namespace {

constexpr char kLetter = 'P';

std::vector<std::wstring> Components(const Text& path) {
    std::vector<std::wstring> parts;
    const std::wstring wide = ToWide(path);
    for (std::size_t from = 0;;) {
        const std::size_t end = wide.find(L'\\', from);
        parts.push_back(wide.substr(from, end - from));
        if (end == std::wstring::npos)
            return parts;
        from = end + 1;
    }
}

// NTFS collation: letters compared upper-cased, a prefix first, names equal but for case by their
// units.
bool NameLess(const std::wstring& a, const std::wstring& b) {
    const int order = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                           static_cast<int>(b.size()), TRUE);
    return order == CSTR_EQUAL ? a < b : order == CSTR_LESS_THAN;
}

// The walk's hits as the walk lists them on Windows, where a folder is listed in its index's
// collation order. ntfs-3g lists a folder whose index has outgrown its file record in the order
// of the index's blocks instead, so the walk of the mount is put into that order before it is
// compared: a folder's files first, then its subfolders, each group by collation.
TextList InCollationOrder(TextList hits) {
    std::stable_sort(hits.begin(), hits.end(), [](const Text& x, const Text& y) {
        const std::vector<std::wstring> a = Components(x), b = Components(y);
        for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
            if (a[i] == b[i])
                continue;
            const bool aFile = i + 1 == a.size(), bFile = i + 1 == b.size();
            if (aFile != bFile)
                return aFile;
            return NameLess(a[i], b[i]);
        }
        return false;
    });
    return hits;
}

bool Contains(const TextList& list, const Text& entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

TEST(DriveSearchTest, TheTableListsWhatTheWalkListsOnEveryImage) {
    for (const auto& [image, probe] : {std::pair{"mixed", "Games"}, std::pair{"fragmented", "many"}}) {
        SCOPED_TRACE(image);
        TestDrive drive(kLetter, NtfsMount(image), probe);
        TestVolumeDevice device(kLetter, NtfsImage(image));
        ASSERT_TRUE(drive.Ready() && device.Ready());
        for (const char* pattern : {"system.yaml", "*"}) {
            SCOPED_TRACE(pattern);
            TextList walked;
            FindFilesRecursive("P:\\", pattern, walked);
            TextList read = {"earlier"};
            const DriveSearch search = FindFilesOnDrive("P", pattern, read);
            EXPECT_TRUE(search.readTable);
            EXPECT_EQ(search.count, static_cast<int>(read.size()));
            read.erase(read.begin());
            EXPECT_EQ(read, InCollationOrder(walked));
            // Folders small enough to keep their index in their record list in collation order
            // on the mount too, and the client's file lies in none of the others.
            if (std::string_view(image) == "mixed" && std::string_view(pattern) == "system.yaml") {
                EXPECT_EQ(read, walked);
            }
        }
    }
}

TEST(DriveSearchTest, TheTableKeepsHardLinksAndLeavesOutShortNamesLinksAndDeletedFiles) {
    TestDrive drive(kLetter, NtfsMount("mixed"), "Games");
    TestVolumeDevice device(kLetter, NtfsImage("mixed"));
    ASSERT_TRUE(drive.Ready() && device.Ready());
    TextList hits;
    ASSERT_TRUE(FindFilesOnDrive("P", "*", hits).readTable);
    for (const char* linked :
         {"P:\\Games\\LeagueClient\\system.yaml", "P:\\Backup\\system.yaml", "P:\\Backup\\链接\\system.yaml",
          "P:\\中文\\英雄联盟\\LeagueClient\\system.yaml", "P:\\Long Folder Name\\settings-system.yaml"})
        EXPECT_TRUE(Contains(hits, linked)) << linked;
    // 41 names of one file, most of them in an extension record of its attribute list.
    EXPECT_EQ(
        std::count_if(hits.begin(), hits.end(), [](const Text& h) { return h.starts_with("P:\\Many\\"); }),
        41);
    for (const Text& hit : hits) {
        EXPECT_FALSE(hit.starts_with("P:\\Link\\") || hit.starts_with("P:\\Deleted") ||
                     hit.find("Gone") != Text::npos || hit.find("LONGFO~1") != Text::npos ||
                     hit.ends_with("SYSTEM.YAM"))
            << hit;
    }

    // Files deleted once the table was read: the drive now holds the client's file alone. The
    // table still names the others; only what a listing shows is reported.
    TempTree tree;
    tree.File("Games\\LeagueClient\\system.yaml");
    TestDrive emptied(kLetter, tree.Path());
    ASSERT_TRUE(emptied.Ready());
    hits.clear();
    EXPECT_TRUE(FindFilesOnDrive("P", "system.yaml", hits).readTable);
    EXPECT_EQ(hits, TextList{"P:\\Games\\LeagueClient\\system.yaml"});
}

TEST(DriveSearchTest, ADriveThatCannotBeReadAsAVolumeIsWalked) {
    TestDrive drive(kLetter, NtfsMount("mixed"), "Games");
    ASSERT_TRUE(drive.Ready());
    TextList walked;
    FindFilesRecursive("P:\\", "system.yaml", walked);
    ASSERT_FALSE(walked.empty());

    // Without a device Wine opens \\.\P: as the drive's folder, which reads nothing.
    TextList hits;
    EXPECT_FALSE(FindFilesOnDrive("P", "system.yaml", hits).readTable);
    EXPECT_EQ(hits, walked);

    // The volume where Windows refuses to open it for writing (not elevated, locked by another
    // program, write-protected) or to flush it: the table on the disk may not be current.
    {
        TestVolumeDevice device(kLetter, NtfsImage("mixed"));
        ASSERT_TRUE(device.Ready());
        auto refusedOpen = [](DWORD error) {
            VolumeCalls calls;
            calls.createFile = [=](auto...) {
                SetLastError(error);
                return INVALID_HANDLE_VALUE;
            };
            return calls;
        };
        auto refusedFlush = [](DWORD error) {
            VolumeCalls calls;
            calls.flushFileBuffers = [=](HANDLE) {
                SetLastError(error);
                return FALSE;
            };
            return calls;
        };
        for (const auto& [what, calls] : {std::pair{"open 5", refusedOpen(ERROR_ACCESS_DENIED)},
                                          std::pair{"open 32", refusedOpen(ERROR_SHARING_VIOLATION)},
                                          std::pair{"open 19", refusedOpen(ERROR_WRITE_PROTECT)},
                                          std::pair{"flush 5", refusedFlush(ERROR_ACCESS_DENIED)},
                                          std::pair{"flush 19", refusedFlush(ERROR_WRITE_PROTECT)}}) {
            SCOPED_TRACE(what);
            const ScopedVolumeCalls standIns(calls);
            hits.clear();
            EXPECT_FALSE(FindFilesOnDrive("P", "system.yaml", hits).readTable);
            EXPECT_EQ(hits, walked);
        }
    }

    // Volumes that open but whose table is cut off, or damaged in a way that would hide files.
    const std::string bytes = ReadBytes(NtfsImage("mixed"));
    TempTree tree;
    WriteBytes(tree / "cut.img", bytes.substr(0, 1 << 20));
    WriteBytes(tree / "torn.img", Damaged(bytes, Damage::kTornFolder));
    WriteBytes(tree / "cycle.img", Damaged(bytes, Damage::kParentCycle));
    WriteBytes(tree / "cut-off.img", Damaged(bytes, Damage::kFolderCutOff));
    for (const char* image : {"cut.img", "torn.img", "cycle.img", "cut-off.img"}) {
        SCOPED_TRACE(image);
        TestVolumeDevice device(kLetter, tree / image);
        ASSERT_TRUE(device.Ready());
        hits.clear();
        EXPECT_FALSE(FindFilesOnDrive("P", "system.yaml", hits).readTable);
        EXPECT_EQ(hits, walked);
    }
}

TEST(DriveSearchTest, ChoosingTheDriveLeavesTheRootLabelAndResultsTheWalkLeaves) {
    TestDrive drive(kLetter, NtfsMount("mixed"), "Games");
    ASSERT_TRUE(drive.Ready());
    FakeControlPort walkedUi, readUi;
    walkedUi.drive = readUi.drive = "P";
    ProgramState walked, read;
    walked.SearchResults = read.SearchResults = {"Q:\\LeagueClient\\system.yaml"};
    OnDriveChosen(walked, walkedUi);
    {
        TestVolumeDevice device(kLetter, NtfsImage("mixed"));
        ASSERT_TRUE(device.Ready());
        OnDriveChosen(read, readUi);
    }
    EXPECT_FALSE(read.InstallRoot.empty());
    EXPECT_EQ(read.InstallRoot, walked.InstallRoot);
    EXPECT_EQ(readUi.Caption(Control::标签3), walkedUi.Caption(Control::标签3));
    EXPECT_EQ(read.SearchResults, walked.SearchResults);
}

TEST(DriveSearchTest, AQuitWhileTheTableIsReadEndsTheSearchAndStaysQueued) {
    TestDrive drive(kLetter, NtfsMount("mixed"), "Games");
    TestVolumeDevice device(kLetter, NtfsImage("mixed"));
    ASSERT_TRUE(drive.Ready() && device.Ready());
    // The window is closed once the volume is open: with the table's first read.
    VolumeCalls calls;
    calls.readFile = [posted = false](HANDLE file, void* buffer, DWORD size, DWORD* read,
                                      OVERLAPPED* at) mutable {
        if (!std::exchange(posted, true))
            PostQuitMessage(7);
        return ReadFile(file, buffer, size, read, at);
    };
    const ScopedVolumeCalls closing(calls);
    TextList hits = {"earlier"};
    const DriveSearch search = FindFilesOnDrive("P", "system.yaml", hits);
    EXPECT_TRUE(search.readTable);
    EXPECT_EQ(search.count, 1);
    EXPECT_EQ(hits, TextList{"earlier"});
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

// A flush of a busy system volume takes seconds. The stand-in posts the window a message and goes
// on only once it was handled; when the handler closes the window, the flush holds on until the
// search has returned, which ends it as a close during the walk does.
TEST(DriveSearchTest, TheWindowIsAnsweredDuringTheFlushAndACloseThenEndsTheSearch) {
    TestDrive drive(kLetter, NtfsMount("mixed"), "Games");
    TestVolumeDevice device(kLetter, NtfsImage("mixed"));
    ASSERT_TRUE(drive.Ready() && device.Ready());
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "closed during the flush" : "answered during the flush");
        auto event = [] {
            return std::shared_ptr<void>(CreateEventW(nullptr, TRUE, FALSE, nullptr), CloseHandle);
        };
        const std::shared_ptr<void> handled = event(), searched = event(), flushed = event();
        NestedHandler window([&] {
            SetEvent(handled.get());
            if (close)
                PostQuitMessage(9);
        });
        auto waited = std::make_shared<std::atomic<ULONGLONG>>(~0ull);
        VolumeCalls calls;
        calls.flushFileBuffers = [=, target = window.Window()](HANDLE volume) {
            const ULONGLONG posted = GetTickCount64();
            PostMessageW(target, NestedHandler::kRun, 0, 0);
            if (WaitForSingleObject(handled.get(), 2000) == WAIT_OBJECT_0)
                *waited = GetTickCount64() - posted;
            if (close)
                WaitForSingleObject(searched.get(), 5000);
            const BOOL done = FlushFileBuffers(volume);
            SetEvent(flushed.get());
            return done;
        };
        const ScopedVolumeCalls slowFlush(calls);
        TextList hits = {"earlier"};
        const DriveSearch search = FindFilesOnDrive("P", "system.yaml", hits);
        SetEvent(searched.get());
        ASSERT_EQ(WaitForSingleObject(flushed.get(), 10000), WAIT_OBJECT_0);
        EXPECT_LE(waited->load(), 50u) << "the message waited for the flush (ms)";
        if (close) {
            EXPECT_EQ(search.count, 1);
            EXPECT_EQ(hits, TextList{"earlier"});
            EXPECT_EQ(TakeQuit(), 9);
        } else {
            EXPECT_TRUE(search.readTable);
            EXPECT_TRUE(Contains(hits, "P:\\Games\\LeagueClient\\system.yaml"));
        }
    }
}

// The reads as a noncached handle takes them (whole sectors at sector offsets into a page-aligned
// buffer) and from where they were asked for, past 4 GB too: the stand-in serves a large volume
// whose every 8 bytes hold their own offset.
TEST(DriveSearchTest, TheVolumeIsReadInWholeSectorsFromWhereAsked) {
    TestDrive drive(kLetter, NtfsMount("mixed"), "Games");
    TestVolumeDevice device(kLetter, NtfsImage("mixed"));
    ASSERT_TRUE(drive.Ready() && device.Ready());
    VolumeCalls calls;
    calls.readFile = [](HANDLE, void* buffer, DWORD size, DWORD* read, OVERLAPPED* at) {
        const std::uint64_t offset = at->Offset | std::uint64_t{at->OffsetHigh} << 32;
        if (reinterpret_cast<std::uintptr_t>(buffer) % 4096 != 0 || offset % 512 != 0 || size % 512 != 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        for (DWORD i = 0; i < size; i += 8) {
            const std::uint64_t value = offset + i;
            std::memcpy(static_cast<char*>(buffer) + i, &value, 8);
        }
        *read = size;
        return TRUE;
    };
    const ScopedVolumeCalls largeVolume(calls);
    std::optional<RawVolume> volume = RawVolume::OpenNtfs(kLetter);
    ASSERT_TRUE(volume);
    for (const std::uint64_t offset : {std::uint64_t{520}, (1ull << 32) - 8, (5ull << 30) + 24}) {
        std::uint64_t got[3] = {};
        ASSERT_TRUE(volume->Read(offset, reinterpret_cast<std::uint8_t*>(got), sizeof got).Ok()) << offset;
        EXPECT_EQ(got[0], offset);
        EXPECT_EQ(got[2], offset + 16);
    }
}

}  // namespace
