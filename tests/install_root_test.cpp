// OnDriveChosen on drives mapped in the Wine prefix: which system.yaml is the client's, and what
// the root and 标签3 show afterwards.
#include "locate/install_root.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/handles.h"
#include "support/fake_control_port.h"
#include "support/nested_handler.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/optimize_command.h"

namespace {

// Lays out `files` (each holding a few bytes) in a fresh folder mapped as drive `letter`.
class Drive {
   public:
    Drive(char letter, std::initializer_list<const char*> files) {
        for (const char* file : files)
            tree_.File(file, "x");
        mapping_ = std::make_unique<TestDrive>(letter, tree_.Path());
        EXPECT_TRUE(mapping_->Ready());
    }

   private:
    TempTree tree_;
    std::unique_ptr<TestDrive> mapping_;
};

// The state and window of a fresh start; Choose() picks a drive as the user would.
struct InstallRootTest : ::testing::Test {
    void Choose(char letter) {
        ui.drive = Text(1, letter);
        OnDriveChosen(state, ui);
    }
    Text Shown() { return ui.Caption(Control::标签3); }
    // A choice of `letter` made once, by a second window, while the next search pumps messages.
    NestedHandler NestedChoiceOf(char letter, FakeControlPort& nestedUi, bool& ran) {
        return NestedHandler([this, letter, &nestedUi, &ran] {
            if (ran)
                return;
            ran = true;
            nestedUi.drive = Text(1, letter);
            OnDriveChosen(state, nestedUi);
        });
    }

    ProgramState state;
    FakeControlPort ui;
};

TEST_F(InstallRootTest, RootIsTheFolderInFrontOfTheClient) {
    {
        Drive drive('R', {"Games\\LeagueClient\\system.yaml"});
        Choose('R');
        EXPECT_EQ(state.InstallRoot, "R:\\Games");
        EXPECT_EQ(Shown(), "R:\\Games");
        EXPECT_EQ(state.SearchResults, (TextList{"R:\\Games\\LeagueClient\\system.yaml"}));
    }
    {
        Drive drive('R', {"LeagueClient\\system.yaml"});
        Choose('R');
        EXPECT_EQ(state.InstallRoot, "R:");
        EXPECT_EQ(Shown(), "R:");
    }
    {
        // A folder whose name only begins with "LeagueClient" still marks the client.
        Drive drive('R', {"Games\\LeagueClientOld\\system.yaml"});
        Choose('R');
        EXPECT_EQ(state.InstallRoot, "R:\\Games");
    }
}

TEST_F(InstallRootTest, OtherFilesNamedSoAreNotTheClient) {
    Drive drive('R', {"Other\\system.yaml", "Games\\leagueclient\\system.yaml",
                      "OldLeagueClient\\system.yaml", "x\\OldLeagueClient\\system.yaml"});
    Choose('R');
    EXPECT_EQ(state.InstallRoot, "");
    EXPECT_EQ(Shown(), texts::kDrivePrompt);
    EXPECT_TRUE(ui.operations.empty()) << "a drive without a client changes nothing in the window";
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(state.SearchResults.size(), 4u) << "every hit is kept";
}

TEST_F(InstallRootTest, FirstCopyInWalkOrderWins) {
    // Of a folder's own file and one further down, the folder's own comes first; the older
    // folder name ahead of it is passed over rather than emptying the root.
    Drive drive('R', {"A\\OldLeagueClient\\system.yaml", "A\\LeagueClient\\system.yaml",
                      "A\\LeagueClient\\B\\LeagueClient\\system.yaml"});
    Choose('R');
    EXPECT_EQ(state.InstallRoot, "R:\\A");
    EXPECT_EQ(Shown(), "R:\\A");
}

TEST_F(InstallRootTest, OfCopiesInSiblingFoldersTheFirstListedGivesTheRoot) {
    // Wine lists Apps first, whose copy lies deeper: a choice of the last, or of the shortest root,
    // gives R:\Games instead. The walk takes subfolders in the order the file system lists them.
    Drive drive('R', {"Apps\\Riot\\LeagueClient\\system.yaml", "Games\\LeagueClient\\system.yaml"});
    WIN32_FIND_DATAW found;
    HANDLE listing = FindFirstFileW(L"R:\\*", &found);
    ASSERT_NE(listing, INVALID_HANDLE_VALUE);
    std::wstring first;
    do {
        if (found.cFileName[0] != L'.')
            first = found.cFileName;
    } while (first.empty() && FindNextFileW(listing, &found));
    FindClose(listing);
    const Text expected = first == L"Apps" ? "R:\\Apps\\Riot" : "R:\\Games";
    Choose('R');
    EXPECT_EQ(state.InstallRoot, expected);
    EXPECT_EQ(Shown(), expected);
}

TEST_F(InstallRootTest, EachChoiceAnswersForItsOwnDrive) {
    Drive first('R', {"Games\\LeagueClient\\system.yaml"});
    Drive second('S', {"Other\\Riot\\LeagueClient\\system.yaml"});
    Choose('R');
    Choose('S');
    EXPECT_EQ(state.InstallRoot, "S:\\Other\\Riot");
    EXPECT_EQ(Shown(), "S:\\Other\\Riot");
    Choose('R');
    EXPECT_EQ(state.InstallRoot, "R:\\Games");
    EXPECT_EQ(state.SearchResults,
              (TextList{"R:\\Games\\LeagueClient\\system.yaml", "S:\\Other\\Riot\\LeagueClient\\system.yaml",
                        "R:\\Games\\LeagueClient\\system.yaml"}));
}

TEST_F(InstallRootTest, ADriveWithoutAClientKeepsTheEarlierRoot) {
    {
        Drive drive('R', {"Games\\LeagueClient\\system.yaml"});
        Choose('R');
    }
    Drive empty('S', {"Tools\\system.yaml"});
    ui.operations.clear();
    Choose('S');
    EXPECT_EQ(state.InstallRoot, "R:\\Games");
    EXPECT_EQ(Shown(), "R:\\Games");
    EXPECT_TRUE(ui.operations.empty());
}

// Wine as an ordinary user refuses to list a folder without read permission, as Windows one whose
// access list denies listing. The search finds no client there, and the commands then refuse as
// before any choice. Runs for real in install_root_test_unprivileged.
TEST_F(InstallRootTest, ADriveRootDeniedToListingIsNoClientsAndTheCommandsSaySo) {
    SKIP_UNLESS_PERMISSIONS_ENFORCED();
    TempTree tree;
    tree.File("Games\\LeagueClient\\system.yaml", "x");
    const TestDrive drive('R', tree.Path());
    ASSERT_TRUE(drive.Ready());
    const ScopedUnixMode closed(tree.Path(), "311");
    Choose('R');
    EXPECT_EQ(state.InstallRoot, "");
    EXPECT_EQ(Shown(), texts::kDrivePrompt);
    ui.ticks[Control::选择框_ALL] = 1;
    OptimizeCommand(state, ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kNoDriveMessage);
    EXPECT_TRUE(ui.operations.empty());
}

TEST_F(InstallRootTest, ANestedChoiceOfAnotherDriveDoesNotLeakIntoTheOuterOne) {
    Drive outer('R', {"Games\\LeagueClient\\system.yaml"});
    Drive nested('S', {"Other\\LeagueClient\\system.yaml"});
    // The user picks S: while R: is still being walked; S:'s search runs inside R:'s.
    FakeControlPort nestedUi;
    bool ran = false;
    NestedHandler handler = NestedChoiceOf('S', nestedUi, ran);
    handler.Post();
    Choose('R');
    ASSERT_TRUE(ran);
    EXPECT_EQ(nestedUi.Caption(Control::标签3), "S:\\Other");
    // The outer choice ends last and decides, from its own drive's hits.
    EXPECT_EQ(state.InstallRoot, "R:\\Games");
    EXPECT_EQ(Shown(), "R:\\Games");
    EXPECT_EQ(state.SearchResults.size(), 2u);
}

TEST_F(InstallRootTest, ANestedHitOfAnotherDriveIsNotTheOuterDrivesClient) {
    Drive bare('R', {"Tools\\system.yaml"});
    Drive nested('S', {"Other\\LeagueClient\\system.yaml"});
    FakeControlPort nestedUi;
    bool ran = false;
    NestedHandler handler = NestedChoiceOf('S', nestedUi, ran);
    handler.Post();
    Choose('R');
    ASSERT_TRUE(ran);
    EXPECT_EQ(state.InstallRoot, "S:\\Other") << "the nested choice's root stands";
    EXPECT_EQ(Shown(), texts::kDrivePrompt) << "the outer choice found nothing of its own";
}

TEST_F(InstallRootTest, ClosingTheWindowDuringTheSearchLeavesEverythingAlone) {
    Drive drive('R', {"Games\\LeagueClient\\system.yaml"});
    state.InstallRoot = "D:\\Earlier";
    PostQuitMessage(0);
    Choose('R');
    EXPECT_EQ(TakeQuit(), 0) << "the quit must reach the program's message loop";
    EXPECT_EQ(state.InstallRoot, "D:\\Earlier");
    EXPECT_TRUE(ui.operations.empty());
}

TEST_F(InstallRootTest, ClosingTheWindowAfterTheClientWasFoundLeavesRootAndLabelUnset) {
    // The client is found first; its folder's many subfolders keep the walk going for the close.
    TempTree tree;
    tree.File("Games\\LeagueClient\\system.yaml", "x");
    for (int i = 0; i < 300; ++i)
        tree.Folder("Games\\LeagueClient\\Data\\d" + std::to_string(i));
    TestDrive drive('R', tree.Path());
    ASSERT_TRUE(drive.Ready());
    HWND timer = nullptr;
    bool closed = false;
    NestedHandler closing([&] {
        if (state.SearchResults.empty())
            return;
        KillTimer(timer, 1);
        closed = true;
        PostQuitMessage(0);
    });
    timer = closing.Window();
    SetTimer(timer, 1, USER_TIMER_MINIMUM, nullptr);
    Choose('R');
    KillTimer(timer, 1);
    ASSERT_TRUE(closed) << "the walk ended before the close";
    EXPECT_EQ(TakeQuit(), 0);
    EXPECT_EQ(state.InstallRoot, "");
    EXPECT_EQ(Shown(), texts::kDrivePrompt);
    EXPECT_TRUE(ui.operations.empty());
}

// The tool converts every path with code page 936 itself, so the process's own ANSI code page
// makes no difference. CTest runs this program once with each (TELLWICK_EXPECTED_ACP).
TEST_F(InstallRootTest, ChineseFolderNamesWhateverTheSystemCodePage) {
    if (const char* expected = std::getenv("TELLWICK_EXPECTED_ACP")) {
        EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
    }
    Drive drive('R', {"游戏\\英雄联盟\\LeagueClient\\system.yaml"});
    Choose('R');
    EXPECT_EQ(state.InstallRoot, "R:\\游戏\\英雄联盟");
    EXPECT_EQ(Shown(), "R:\\游戏\\英雄联盟");
    EXPECT_EQ(state.InstallRoot, "R:\\\xD3\xCE\xCF\xB7\\\xD3\xA2\xD0\xDB\xC1\xAA\xC3\xCB") << "GBK bytes";
}

TEST_F(InstallRootTest, ANameGbkCannotHoldExactlyIsNeverTheClient) {
    // "Games²" would once have become "Games2", a different folder; "Björn" and "게임" would have
    // become "Bj?rn" and "??", which name nothing.
    TempTree tree;
    WideFile(tree.Path(), L"Games\u00b2\\LeagueClient\\system.yaml");
    WideFile(tree.Path(), L"Bj\u00f6rn\\LeagueClient\\system.yaml");
    WideFile(tree.Path(), L"\uac8c\uc784\\LeagueClient\\system.yaml");
    WideFile(tree.Path(), L"Other\\LeagueClient\\system.yaml\u00b2");
    const TestDrive drive('R', tree.Path());
    ASSERT_TRUE(drive.Ready());

    Choose('R');
    EXPECT_EQ(state.InstallRoot, "");
    EXPECT_EQ(Shown(), texts::kDrivePrompt);
    EXPECT_TRUE(state.SearchResults.empty()) << state.SearchResults.front();
}

TEST_F(InstallRootTest, ADeletedCopyInTheRecycleBinIsNeverTheClient) {
    for (const char* bin : {"$Recycle.Bin", "$RECYCLE.BIN", "RECYCLER", "recycler"}) {
        SCOPED_TRACE(bin);
        state = ProgramState();
        const Text deleted = Text(bin) + "\\S-1-5-21-1\\$R0A1B2C\\LeagueClient\\system.yaml";
        {
            Drive only('R', {deleted.c_str()});
            Choose('R');
            EXPECT_EQ(state.InstallRoot, "");
            EXPECT_EQ(state.SearchResults.size(), 1u) << "the walk still lists it";
        }
        Drive both('R', {deleted.c_str(), "Games\\LeagueClient\\system.yaml"});
        Choose('R');
        EXPECT_EQ(state.InstallRoot, "R:\\Games");
    }
    // Only the drive's own recycle bin: a folder of that name further down is someone's folder.
    Drive nested('R', {"Backup\\RECYCLER\\LeagueClient\\system.yaml"});
    Choose('R');
    EXPECT_EQ(state.InstallRoot, "R:\\Backup\\RECYCLER");
}

}  // namespace
