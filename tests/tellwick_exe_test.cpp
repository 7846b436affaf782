// The built Tellwick.exe driven from this separate program, as a user would drive it.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "support/temp_tree.h"
#include "support/tellwick_process.h"
#include "support/wine_host.h"
#include "tuning/texts.h"

namespace {

// Drive letters of this test program: W holds the tool, X and Y are extra drives.
constexpr char kToolDrive = 'W';

// Copies Tellwick.exe onto a test drive, since the drive box selects the drive the tool runs from.
class TellwickExeTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_FALSE(TellwickExePath().empty()) << "TELLWICK_EXE is not set";
        CreateFolders(toolTree / "Tools");
        ASSERT_TRUE(CopyFileW(ToWide(TellwickExePath()).c_str(), ToWide(toolTree / "Tools\\Tellwick.exe").c_str(),
                              FALSE));
        ASSERT_TRUE(toolDrive.Ready());
    }

    Text ToolPath() const { return toolDrive.Root() + "Tools\\Tellwick.exe"; }

    TempTree toolTree;
    TestDrive toolDrive{kToolDrive, toolTree.Path()};
};

TEST_F(TellwickExeTest, StartsFromAnyWorkingDirectoryAndClosesWithExitCodeZero) {
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    // The tool works from its own folder, so its own drive is the one selected.
    EXPECT_EQ(tool.SelectedDrive(), "W");
    EXPECT_EQ(tool.Caption(Control::标签3), texts::kDrivePrompt);
    EXPECT_EQ(tool.Caption(Control::标签4), "");
    EXPECT_FALSE(tool.Ticked(Control::选择框_ALL));
    EXPECT_TRUE(tool.Ticked(Control::单选框1));

    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(TellwickExeTest, DriveBoxNamesEachDriveByItsType) {
    // The test set-up declares Y: a CD-ROM drive and labels X: "GAMES".
    TempTree labelled, cdrom;
    TestDrive labelledDrive('X', labelled.Path());
    TestDrive cdromDrive('Y', cdrom.Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    const std::vector<Text> entries = tool.DriveEntries();
    const auto has = [&](const Text& entry) { return std::find(entries.begin(), entries.end(), entry) != entries.end(); };
    EXPECT_TRUE(has("W: （硬盘）"));
    EXPECT_TRUE(has("X: （硬盘） GAMES"));
    EXPECT_TRUE(has("Y: （光驱）"));
    EXPECT_TRUE(has("C: （硬盘）"));
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace

namespace {

TEST_F(TellwickExeTest, ChoosingADriveShowsTheInstallRootFound) {
    TempTree games;
    games.File("Other\\system.yaml", "other software\r\n");
    games.File("Games\\LeagueClient\\system.yaml", "---\r\n");
    TestDrive gameDrive('X', games.Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());

    tool.ChooseDrive('X');
    EXPECT_TRUE(tool.WaitForCaption(Control::标签3, "X:\\Games")) << tool.Caption(Control::标签3);
    // Finding the root reports nothing else.
    EXPECT_EQ(tool.Caption(Control::标签4), "");
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(TellwickExeTest, ClosingTheWindowDuringASearchEndsTheProcessPromptly) {
    // Wide enough that the walk is still going when the close arrives.
    TempTree big;
    for (int i = 0; i < 60; ++i) {
        for (int j = 0; j < 60; ++j) {
            Text relative = "d";
            relative.append(std::to_string(i)).append("\\e").append(std::to_string(j)).append("\\f\\g");
            CreateFolders(big / relative);
        }
    }
    TestDrive bigDrive('X', big.Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());

    tool.ChooseDrive('X');
    Sleep(100);
    const DWORD closedAt = GetTickCount();
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(5000), std::optional<DWORD>(0));
    EXPECT_LT(GetTickCount() - closedAt, 1500u);
}

}  // namespace
