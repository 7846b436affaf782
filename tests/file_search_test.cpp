// FindFilesRecursive on real folders: hit texts, order, links, and the messages it pumps.
#include "locate/file_search.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/message_pump.h"
#include "support/nested_handler.h"
#include "support/temp_tree.h"
#include "support/test_data.h"
#include "support/wine_host.h"

namespace {

// "prefix<n>suffix"; built by appending, which GCC 12's -Wrestrict does not misread.
Text Numbered(std::string_view prefix, int n, std::string_view suffix) {
    Text text(prefix);
    text.append(std::to_string(n)).append(suffix);
    return text;
}

// Every match of a search per pattern, then every subdirectory, as the platform's own pattern
// search lists them: the order the one-listing walk has to reproduce.
void ReferenceWalk(const std::wstring& directory, const std::vector<std::wstring>& patterns,
                   std::vector<std::wstring>& hits) {
    WIN32_FIND_DATAW data;
    for (const std::wstring& pattern : patterns) {
        HANDLE find = FindFirstFileW((directory + pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                hits.push_back(directory + data.cFileName);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    HANDLE find = FindFirstFileW((directory + L"*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            ReferenceWalk(directory + name + L"\\", patterns, hits);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

TEST(FileSearchTest, HitTextsHaveOneSeparatorWhateverTheStartLooksLike) {
    TempTree tree;
    tree.File("system.yaml");
    tree.File("Games\\LeagueClient\\system.yaml");
    TestDrive drive('Q', tree.Path());
    ASSERT_TRUE(drive.Ready());

    TextList fromRoot;
    EXPECT_EQ(FindFilesRecursive("Q:\\", "system.yaml", fromRoot), 2);
    EXPECT_EQ(fromRoot, (TextList{"Q:\\system.yaml", "Q:\\Games\\LeagueClient\\system.yaml"}));

    TextList fromFolder;
    EXPECT_EQ(FindFilesRecursive("Q:\\Games", "system.yaml", fromFolder), 1);
    EXPECT_EQ(fromFolder, (TextList{"Q:\\Games\\LeagueClient\\system.yaml"}));

    // A folder whose name ends in a character with a 0x5C second byte still gets a separator.
    const Text tricky = tree.Folder("\xD3\xCE" + kTrickyCharacter);
    tree.File("\xD3\xCE" + kTrickyCharacter + "\\system.yaml");
    TextList fromTricky;
    EXPECT_EQ(FindFilesRecursive(tricky, "system.yaml", fromTricky), 1);
    EXPECT_EQ(fromTricky, (TextList{tricky + "\\system.yaml"}));
    TextList throughTricky;
    FindFilesRecursive("Q:\\", "system.yaml", throughTricky);
    EXPECT_NE(std::find(throughTricky.begin(), throughTricky.end(),
                        "Q:\\\xD3\xCE" + kTrickyCharacter + "\\system.yaml"),
              throughTricky.end());
}

TEST(FileSearchTest, OnlyFilesAreHitsAndEveryOrdinaryFolderIsWalked) {
    TempTree tree;
    tree.Folder("a\\system.yaml");  // a folder by that name: walked, never a hit itself
    tree.File("a\\system.yaml\\system.yaml");
    const Text hidden = tree.File("b\\SYSTEM.YAML");
    SetAttributes(hidden, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    tree.File(".config\\system.yaml");
    tree.File(".\xD3\xCE\\x\\system.yaml");

    TextList hits;
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "system.yaml", hits), 4);
    std::sort(hits.begin(), hits.end());
    EXPECT_EQ(hits, (TextList{tree / ".config\\system.yaml", tree / ".\xD3\xCE\\x\\system.yaml",
                              tree / "a\\system.yaml\\system.yaml", tree / "b\\SYSTEM.YAML"}));
    SetAttributes(hidden, FILE_ATTRIBUTE_NORMAL);
}

TEST(FileSearchTest, OrderMatchesASearchPerPatternThenTheSubfolders) {
    TempTree tree;
    // Enough siblings that the file system's listing order is not simply the creation order.
    for (int i = 0; i < 6; ++i) {
        const Text d = Numbered("d", i * 7 % 6, "");
        tree.File(d + "\\system.yaml");
        tree.File(d + "\\abc.txt");
        tree.File(d + Numbered("\\x", i, ".Yaml"));
        tree.File(d + "\\sub\\SYSTEM.yaml");
        tree.File(d + "\\sub\\more\\z.yaml");
        tree.File(d + "\\noext");
    }
    tree.File("system.yaml");
    tree.File("Top.yaml");
    tree.File("qbz.txt");

    const Text patterns = "system.yaml|*.YAML|?b*.txt|*.*";
    const std::vector<std::wstring> widePatterns = {L"system.yaml", L"*.YAML", L"?b*.txt", L"*.*"};
    std::vector<std::wstring> expected;
    ReferenceWalk(ToWide(tree.Path()) + L"\\", widePatterns, expected);

    TextList hits;
    ASSERT_EQ(FindFilesRecursive(tree.Path(), patterns, hits), static_cast<int>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(hits[i], WideToAnsi(expected[i])) << "hit " << i;
    // The start folder's own files come first.
    EXPECT_EQ(hits[0], tree / "system.yaml");
}

TEST(FileSearchTest, AppendsToTheCallersListAndReturnsItsSize) {
    TempTree tree;
    tree.File("one\\system.yaml");
    TextList hits = {"earlier"};
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "system.yaml", hits), 2);
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "system.yaml", hits), 3);
    EXPECT_EQ(hits, (TextList{"earlier", tree / "one\\system.yaml", tree / "one\\system.yaml"}));

    // No patterns, or only empty ones, name no file; a missing folder adds nothing.
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "", hits), 3);
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "||", hits), 3);
    EXPECT_EQ(FindFilesRecursive(tree / "missing", "system.yaml", hits), 3);
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "|system.yaml|", hits), 4);
}

TEST(FileSearchTest, DoesNotEnterLinks) {
    TempTree tree;
    tree.File("a\\system.yaml");
    tree.File("a\\b\\system.yaml");
    ASSERT_TRUE(MakeDirectoryLink(tree / "a\\b\\up", tree.Path()));
    ASSERT_TRUE(MakeDirectoryLink(tree / "elsewhere", tree / "a\\b"));

    TextList hits;
    EXPECT_EQ(FindFilesRecursive(tree.Path(), "system.yaml", hits), 2);
    EXPECT_EQ(hits, (TextList{tree / "a\\system.yaml", tree / "a\\b\\system.yaml"}));
    EXPECT_TRUE(RemoveDirectoryLink(tree / "a\\b\\up"));
    EXPECT_TRUE(RemoveDirectoryLink(tree / "elsewhere"));
}

TEST(FileSearchTest, PumpDispatchesEverythingAndKeepsAQuit) {
    int runs = 0;
    NestedHandler handler([&] { ++runs; });
    handler.Post();
    handler.Post();
    EXPECT_TRUE(PumpPendingMessages());
    EXPECT_EQ(runs, 2);
    EXPECT_FALSE(QuitRequested());

    PostQuitMessage(5);
    handler.Post();
    EXPECT_FALSE(PumpPendingMessages());
    EXPECT_EQ(runs, 3) << "messages ahead of the quit are still handled";
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(TakeQuit(), 5);
    EXPECT_FALSE(QuitRequested());
}

// A tree that takes the walk several pump intervals, shared by the tests of the pump points.
class FileSearchPumpTest : public ::testing::Test {
   protected:
    static constexpr int kFolders = 400;

    static void SetUpTestSuite() {
        tree_ = new TempTree;
        for (int i = 0; i < kFolders; ++i)
            tree_->File(Numbered("d", i, "\\system.yaml"));
    }
    static void TearDownTestSuite() {
        delete tree_;
        tree_ = nullptr;
    }
    void TearDown() override { TakeQuit(); }

    static TempTree* tree_;
};
TempTree* FileSearchPumpTest::tree_ = nullptr;

TEST_F(FileSearchPumpTest, HandlersRunInsideTheWalkAndSeeTheHitsSoFar) {
    TextList hits;
    TextList seen;
    HWND window = nullptr;
    NestedHandler handler([&] {
        if (hits.empty())
            return;  // too early: the timer tries again at a later pump point
        KillTimer(window, 1);
        seen = hits;
        // What a nested search would do: grow the very list the walk is appending to.
        hits.push_back("nested");
    });
    window = handler.Window();
    SetTimer(window, 1, USER_TIMER_MINIMUM, nullptr);

    const DWORD started = GetTickCount();
    EXPECT_EQ(FindFilesRecursive(tree_->Path(), "system.yaml", hits), kFolders + 1);
    KillTimer(window, 1);
    ASSERT_FALSE(seen.empty()) << "the handler never ran after a hit; the walk took "
                               << GetTickCount() - started << " ms";
    EXPECT_EQ(TextList(hits.begin(), hits.begin() + static_cast<long>(seen.size())), seen);
    EXPECT_EQ(hits[seen.size()], "nested") << "a hit found before the handler ran was missing from the list";
    EXPECT_EQ(std::count(hits.begin(), hits.end(), "nested"), 1);
}

TEST(FileSearchQuitTest, AQuitInTheMiddleOfAListingEndsTheWalkThere) {
    // One listing with hits of the first pattern, hits of the last (added once the listing is
    // done) and subfolders (walked after it). Thousands of patterns that match nothing slow every
    // entry down, so that the listing spans several pump points.
    TempTree tree;
    for (int i = 0; i < 300; ++i) {
        tree.File(Numbered("f", i, ".yaml"));
        if (i % 10 == 0) {
            tree.File(Numbered("f", i, "t.txt"));
            tree.File(Numbered("f", i, "s\\a.yaml"));
        }
    }
    Text patterns = "*.yaml";
    for (int i = 0; i < 4000; ++i)
        patterns += Numbered("|*.none", i, "");
    patterns += "|*.txt";

    TextList hits;
    size_t hitsAtQuit = 0;
    HWND timer = nullptr;
    NestedHandler closing([&] {
        if (hits.empty())
            return;
        KillTimer(timer, 1);
        hitsAtQuit = hits.size();
        PostQuitMessage(6);
    });
    timer = closing.Window();
    SetTimer(timer, 1, USER_TIMER_MINIMUM, nullptr);
    const DWORD started = GetTickCount();
    FindFilesRecursive(tree.Path(), patterns, hits);
    const DWORD took = GetTickCount() - started;
    KillTimer(timer, 1);
    EXPECT_EQ(TakeQuit(), 6);
    ASSERT_GT(hitsAtQuit, 0u) << "no quit during the walk (" << took << " ms)";
    ASSERT_LT(hitsAtQuit, 300u) << "the quit came after the listing (" << took << " ms)";
    EXPECT_EQ(hits.size(), hitsAtQuit) << "the walk went on after the quit";
}

TEST_F(FileSearchPumpTest, AQuitDuringTheWalkStopsEveryLevelAndStaysQueued) {
    // The window is closed while the walk runs, as WM_DESTROY would do it.
    NestedHandler closing([] { PostQuitMessage(3); });
    closing.Post();
    TextList hits;
    FindFilesRecursive(tree_->Path(), "system.yaml", hits);
    EXPECT_LT(hits.size(), 10u) << "the walk went on after the quit";
    EXPECT_EQ(TakeQuit(), 3);

    // A walk run inside a handler sees the quit first; the outer walk stops as well.
    TextList outer;
    int innerHits = -1;
    NestedHandler nested([&] {
        PostQuitMessage(4);
        TextList inner;
        innerHits = FindFilesRecursive(tree_->Path(), "system.yaml", inner);
    });
    nested.Post();
    FindFilesRecursive(tree_->Path(), "system.yaml", outer);
    EXPECT_GE(innerHits, 0) << "the handler did not run";
    EXPECT_LT(innerHits, 10);
    EXPECT_LT(outer.size(), 10u);
    EXPECT_EQ(TakeQuit(), 4);
}

}  // namespace
