// The Cross step over real folders, run after run, and the folder-tree creation it uses.
#include "tuning/cross_frame_boost.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/texts.h"
#include "platform/directory.h"
#include "platform/encoding.h"
#include "support/fake_control_port.h"
#include "support/scoped_current_directory.h"
#include "support/temp_tree.h"
#include "support/test_data.h"
#include "support/wine_host.h"

namespace {

// The window after the drive choice found `root`.
FakeControlPort UiAfterDriveChoice(const Text& root) {
    FakeControlPort ui;
    ui.captions[Control::标签3] = root;
    return ui;
}

void ExpectBlueSuccess(FakeControlPort& ui) {
    ExpectSuccessReport(ui, kBlue, texts::kCrossDone);
}

// A box that names what failed, in place of the blue success text.
void ExpectFailure(FakeControlPort& ui, const Text& message) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, message);
    EXPECT_EQ(ui.messages[0].title, texts::kStepFailedTitle);
    EXPECT_EQ(ui.messages[0].flags, 0x10u);
    EXPECT_NE(ui.Status(), texts::kCrossDone);
}

TEST(CrossFrameBoostTest, RunsThroughTheFolderStatesInTurn) {
    TempTree tree;
    tree.File("Cross\\a.dat", "client data");
    tree.File("Cross\\sub\\b.dat", "more");
    const ProgramState state{tree.Path(), {}};

    {
        SCOPED_TRACE("first run: the client's Cross becomes Crossbak, an empty Cross takes its place");
        tree.File("Game\\one.log");
        FakeControlPort ui = UiAfterDriveChoice(tree.Path());
        CrossFrameBoost(state, ui);
        EXPECT_EQ(ReadBytes(tree / "Crossbak\\a.dat"), "client data");
        EXPECT_EQ(ReadBytes(tree / "Crossbak\\sub\\b.dat"), "more");
        EXPECT_TRUE(IsFolder(tree / "Cross"));
        EXPECT_TRUE(FolderEntries(tree / "Cross").empty());
        EXPECT_FALSE(PathExists(tree / "Game\\one.log"));
        EXPECT_EQ(state.InstallRoot, tree.Path());
        ExpectBlueSuccess(ui);
    }
    {
        SCOPED_TRACE("second run: Cross becomes Crossend");
        tree.File("Cross\\new.dat", "written by the client since");
        tree.File("two.log");
        FakeControlPort ui = UiAfterDriveChoice(tree.Path());
        CrossFrameBoost(state, ui);
        EXPECT_EQ(ReadBytes(tree / "Crossend\\new.dat"), "written by the client since");
        EXPECT_FALSE(PathExists(tree / "Cross"));
        EXPECT_EQ(ReadBytes(tree / "Crossbak\\a.dat"), "client data");
        EXPECT_FALSE(PathExists(tree / "two.log"));
        ExpectBlueSuccess(ui);
    }
    {
        SCOPED_TRACE("third run, no Cross: nothing moves, logs still go");
        tree.File("three.log");
        FakeControlPort ui = UiAfterDriveChoice(tree.Path());
        CrossFrameBoost(state, ui);
        EXPECT_FALSE(PathExists(tree / "Cross"));
        EXPECT_EQ(ReadBytes(tree / "Crossend\\new.dat"), "written by the client since");
        EXPECT_FALSE(PathExists(tree / "three.log"));
        ExpectBlueSuccess(ui);
    }
    {
        SCOPED_TRACE("fourth run, Cross back while Crossend exists: the move is refused, and said so");
        tree.File("Cross\\again.dat", "x");
        FakeControlPort ui = UiAfterDriveChoice(tree.Path());
        CrossFrameBoost(state, ui);
        EXPECT_EQ(ReadBytes(tree / "Cross\\again.dat"), "x");
        EXPECT_EQ(ReadBytes(tree / "Crossend\\new.dat"), "written by the client since");
        EXPECT_FALSE(PathExists(tree / "Crossend\\again.dat"));
        EXPECT_FALSE(PathExists(tree / "Crossend\\Cross"));
        ExpectFailure(ui, texts::kCrossMoveFailed);
    }
}

TEST(CrossFrameBoostTest, WithoutAnyCrossFolderCreatesAnEmptyOne) {
    TempTree tree;
    FakeControlPort ui = UiAfterDriveChoice(tree.Path());
    CrossFrameBoost(ProgramState{tree.Path(), {}}, ui);
    EXPECT_TRUE(IsFolder(tree / "Cross"));
    EXPECT_TRUE(FolderEntries(tree / "Cross").empty());
    EXPECT_FALSE(PathExists(tree / "Crossbak"));
    ExpectBlueSuccess(ui);
}

TEST(CrossFrameBoostTest, AFileNamedCrossbakLeavesCrossAsItIsAndSaysSo) {
    TempTree tree;
    tree.File("Cross\\a.dat", "client data");
    tree.File("Crossbak", "a file, not a folder");
    tree.File("x.log");
    FakeControlPort ui = UiAfterDriveChoice(tree.Path());

    CrossFrameBoost(ProgramState{tree.Path(), {}}, ui);

    EXPECT_EQ(ReadBytes(tree / "Cross\\a.dat"), "client data");
    EXPECT_EQ(ReadBytes(tree / "Crossbak"), "a file, not a folder");
    EXPECT_FALSE(PathExists(tree / "Crossend"));
    EXPECT_FALSE(PathExists(tree / "x.log")) << "the logs go whatever happened to the folders";
    ExpectFailure(ui, texts::kCrossMoveFailed);
}

TEST(CrossFrameBoostTest, ACrossThatIsALinkIsNeverMoved) {
    TempTree tree, elsewhere;
    elsewhere.File("a.dat", "linked data");
    ASSERT_TRUE(MakeDirectoryLink(tree / "Cross", elsewhere.Path()));
    FakeControlPort ui = UiAfterDriveChoice(tree.Path());

    CrossFrameBoost(ProgramState{tree.Path(), {}}, ui);

    EXPECT_EQ(FolderEntries(tree.Path()), std::vector<std::wstring>{L"Cross"});
    EXPECT_EQ(ReadBytes(tree / "Cross\\a.dat"), "linked data");
    ExpectFailure(ui, texts::kCrossIsLink);
}

// Wine as an ordinary user refuses what the Unix permissions refuse, as Windows refuses what the
// access list does: an install root closed to writing takes no new name and no new folder. Runs
// for real in cross_frame_boost_test_unprivileged.
TEST(CrossFrameBoostTest, WhatThePlatformDeniedIsReportedAndLeftAsItWas) {
    SKIP_UNLESS_PERMISSIONS_ENFORCED();
    struct Case {
        const char* what;
        bool withCross;
        const char* mode;
        const Text& message;
    };
    const Case cases[] = {
        {"Cross cannot be moved", true, "555", texts::kCrossMoveFailed},
        {"no empty Cross can be created", false, "555", texts::kCrossCreateFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempTree tree;
        if (c.withCross)
            tree.File("Cross\\a.dat", "client data");
        tree.File("Game\\game.log", "log");
        const std::vector<std::wstring> before = FolderEntries(tree.Path());
        FakeControlPort ui = UiAfterDriveChoice(tree.Path());
        {
            const ScopedUnixMode closed(tree.Path(), c.mode);
            CrossFrameBoost(ProgramState{tree.Path(), {}}, ui);
        }
        ExpectFailure(ui, c.message);
        EXPECT_EQ(FolderEntries(tree.Path()), before);
        if (c.withCross) {
            EXPECT_EQ(ReadBytes(tree / "Cross\\a.dat"), "client data");
        }
    }
}

TEST(CrossFrameBoostTest, GuardsBeforeADriveWasChosen) {
    TempTree tree;
    tree.File("Cross\\a.dat", "client data");
    tree.File("x.log", "x");

    {
        SCOPED_TRACE("the label still shows the prompt");
        FakeControlPort ui;
        CrossFrameBoost(ProgramState{tree.Path(), {}}, ui);
        EXPECT_EQ(FolderEntries(tree.Path()), (std::vector<std::wstring>{L"Cross", L"x.log"}));
        EXPECT_EQ(ReadBytes(tree / "Cross\\a.dat"), "client data");
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(ui.operations.empty());
    }
    {
        SCOPED_TRACE("label and root both empty: nothing at the current drive's root is touched");
        const ScopedCurrentDirectory inTree(tree.Path());
        ASSERT_TRUE(inTree.Changed());
        const Text probe = "\\tellwick-probe-" + std::to_string(GetCurrentProcessId()) + ".log";
        WriteBytes(probe, "x");
        const bool crossBefore = PathExists("\\Cross");
        const bool crossbakBefore = PathExists("\\Crossbak");
        FakeControlPort ui = UiAfterDriveChoice("");
        CrossFrameBoost(ProgramState{}, ui);
        EXPECT_TRUE(PathExists(probe));
        RemoveTree(probe);
        EXPECT_EQ(PathExists("\\Cross"), crossBefore);
        EXPECT_EQ(PathExists("\\Crossbak"), crossbakBefore);
        if (!crossBefore)
            RemoveTree("\\Cross");
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(ui.operations.empty());
    }
}

TEST(CrossFrameBoostTest, ALabelThatDiffersFromTheRootLeavesTheFolders) {
    TempTree tree;
    tree.File("Cross\\a.dat", "client data");
    tree.File("x.log");
    FakeControlPort ui = UiAfterDriveChoice(tree.Path() + "\\elsewhere");

    CrossFrameBoost(ProgramState{tree.Path(), {}}, ui);

    EXPECT_EQ(ReadBytes(tree / "Cross\\a.dat"), "client data");
    EXPECT_FALSE(PathExists(tree / "Crossbak"));
    EXPECT_FALSE(PathExists(tree / "x.log"));
    ExpectBlueSuccess(ui);
}

TEST(CreateDirectoryTreeTest, CreatesEveryMissingLevel) {
    TempTree folder;
    TestDrive drive('U', folder.Path());
    ASSERT_TRUE(drive.Ready());

    EXPECT_TRUE(CreateDirectoryTree("U:\\A\\B\\C"));
    EXPECT_TRUE(IsFolder(folder / "A\\B\\C"));
    EXPECT_TRUE(CreateDirectoryTree("U:\\A\\B\\C")) << "an existing tree is still a directory";
    EXPECT_TRUE(CreateDirectoryTree("U:\\A\\D\\"));
    EXPECT_TRUE(IsFolder(folder / "A\\D"));

    const Text tricky = "U:\\游戏" + kTrickyCharacter + "\\Cross";
    EXPECT_TRUE(CreateDirectoryTree(tricky));
    EXPECT_TRUE(IsFolder(folder / ("游戏" + kTrickyCharacter + "\\Cross")));
    EXPECT_EQ(FolderEntries(folder.Path()).size(), 2u) << "no folder cut at the 0x5C byte";

    EXPECT_FALSE(CreateDirectoryTree(""));
    CreateDirectoryTree("U:");
    EXPECT_EQ(FolderEntries(folder.Path()).size(), 2u) << "a bare drive gets nothing";
}

TEST(CreateDirectoryTreeTest, AFileInTheWayIsNoDirectory) {
    TempTree tree;
    tree.File("A", "a file");
    EXPECT_FALSE(CreateDirectoryTree(tree / "A\\B"));
    EXPECT_EQ(ReadBytes(tree / "A"), "a file");
}

}  // namespace
