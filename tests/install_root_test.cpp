// OnDriveChosen on drives mapped in the Wine prefix: which system.yaml is the client's, and what
// the root and 标签3 show afterwards.
#include "locate/install_root.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "core/texts.h"
#include "support/fake_control_port.h"
#include "support/nested_handler.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"

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

}  // namespace
