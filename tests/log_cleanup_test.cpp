// Log cleanup on real folders: which files go, which stay, and what the status line says.
#include "tuning/log_cleanup.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/report.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "support/fake_control_port.h"
#include "support/scoped_current_directory.h"
#include "support/temp_tree.h"
#include "support/test_data.h"
#include "support/wine_host.h"

namespace {

TEST(LogCleanupTest, CleansTheSameFilesWithOrWithoutTrailingBackslash) {
    for (const char* suffix : {"", "\\"}) {
        SCOPED_TRACE(std::string("directory suffix: '") + suffix + "'");
        TempTree tree;
        tree.File("a.log", "x");
        tree.File("sub\\b.LOG", "x");
        tree.File("sub\\deeper\\c.Log", "x");
        tree.File("sub\\notes.txt", "x");

        EXPECT_EQ(DeleteFilesByExtension(tree.Path() + suffix, "*.log", 0), 3);
        EXPECT_FALSE(PathExists(tree / "a.log"));
        EXPECT_FALSE(PathExists(tree / "sub\\b.LOG"));
        EXPECT_FALSE(PathExists(tree / "sub\\deeper\\c.Log"));
        EXPECT_TRUE(PathExists(tree / "sub\\notes.txt"));
    }
}

TEST(LogCleanupTest, CountAddsToTheRunningTotal) {
    TempTree tree;
    tree.File("a.log");
    EXPECT_EQ(DeleteFilesByExtension(tree.Path(), "*.log", 5), 6);
}

TEST(LogCleanupTest, DeletesOnlyWritableLogFilesAndSkipsDotFolders) {
    TempTree tree;
    const Text readOnly = tree.File("locked.log", "keep me");
    SetAttributes(readOnly, FILE_ATTRIBUTE_READONLY);
    SetAttributes(tree.File("hidden.log"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(tree.File("system.log"), FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
    tree.File("x.log\\inner.log");
    tree.File(".cache\\d.log", "x");
    tree.File("sub\\.hidden\\e.log", "x");

    EXPECT_EQ(DeleteFilesByExtension(tree.Path(), "*.log", 0), 3);

    EXPECT_EQ(ReadBytes(readOnly), "keep me");
    EXPECT_TRUE(GetFileAttributesW(ToWide(readOnly).c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(PathExists(tree / "hidden.log"));
    EXPECT_FALSE(PathExists(tree / "system.log"));
    EXPECT_TRUE(IsFolder(tree / "x.log")) << "a folder named like a log is entered, not deleted";
    EXPECT_FALSE(PathExists(tree / "x.log\\inner.log"));
    EXPECT_TRUE(PathExists(tree / ".cache\\d.log"));
    EXPECT_TRUE(PathExists(tree / "sub\\.hidden\\e.log"));
}

TEST(LogCleanupTest, KeepsNamesThatOnlyResembleLogs) {
    TempTree tree;
    // Most of these have a short name ending in ".LOG", which the listing's own match accepts.
    const char* keep[] = {"app.logger", "trace.log1", "notes.logx", "old.log.bak",
                          "changelog",  "x.lo",       "log"};
    for (const char* name : keep)
        tree.File(name, "x");
    tree.File("real.log", "x");

    EXPECT_EQ(DeleteFilesByExtension(tree.Path(), "*.log", 0), 1);
    for (const char* name : keep)
        EXPECT_TRUE(PathExists(tree / name)) << name;
    EXPECT_FALSE(PathExists(tree / "real.log"));
}

TEST(LogCleanupTest, DoesNotFollowLinks) {
    TempTree tree;
    TempTree outside;
    const Text foreign = outside.File("foreign.log", "not ours");
    tree.File("sub\\a.log");
    ASSERT_TRUE(MakeDirectoryLink(tree / "sub\\loop", tree.Path()));
    ASSERT_TRUE(MakeDirectoryLink(tree / "elsewhere", outside.Path()));

    // A followed loop would never end; a followed link out of the tree would delete foreign.log.
    EXPECT_EQ(DeleteFilesByExtension(tree.Path(), "*.log", 0), 1);
    EXPECT_EQ(ReadBytes(foreign), "not ours");
    EXPECT_TRUE(IsFolder(tree / "sub\\loop"));
    EXPECT_TRUE(IsFolder(tree / "elsewhere"));
}

TEST(LogCleanupTest, AddsTheSeparatorAfterAFolderNameEndingInByte5C) {
    TempTree tree;
    const Text folder = tree.Folder("游戏" + kTrickyCharacter);
    tree.File("游戏" + kTrickyCharacter + "\\a.log");

    EXPECT_EQ(DeleteFilesByExtension(folder, "*.log", 0), 1);
    EXPECT_FALSE(PathExists(folder + "\\a.log"));
}

TEST(LogCleanupTest, CleanLogFilesReportsInTeal) {
    TempTree tree;
    tree.File("LeagueClient\\x.log");
    tree.File("Game\\Logs\\y.log");
    ProgramState state{tree.Path(), {}};
    FakeControlPort ui;

    CleanLogFiles(state, ui);

    EXPECT_FALSE(PathExists(tree / "LeagueClient\\x.log"));
    EXPECT_FALSE(PathExists(tree / "Game\\Logs\\y.log"));
    EXPECT_EQ(state.InstallRoot, tree.Path()) << "the install root keeps its form";
    ExpectSuccessReport(ui, kTeal, texts::kLogsDone);
}

TEST(LogCleanupTest, CleanLogFilesOverATreeWithoutLogsStillReports) {
    TempTree tree;
    tree.File("LeagueClient\\system.yaml", "x");
    FakeControlPort ui;

    CleanLogFiles(ProgramState{tree.Path(), {}}, ui);

    EXPECT_TRUE(PathExists(tree / "LeagueClient\\system.yaml"));
    EXPECT_EQ(ui.Status(), texts::kLogsDone);
    EXPECT_EQ(ui.StatusColour(), kTeal);
}

TEST(LogCleanupTest, ARootThatCannotBeListedIsReportedInsteadOfTheSuccess) {
    // Wine as root lists any folder, so the root is one that is gone since the drive was chosen.
    TempTree tree;
    FakeControlPort ui;
    ShowStatus(ui, kBlue, "earlier");

    EXPECT_FALSE(CleanLogFiles(ProgramState{tree / "gone", {}}, ui));

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kLogsListFailed);
    EXPECT_EQ(ui.messages[0].title, texts::kStepFailedTitle);
    EXPECT_EQ(ui.messages[0].statusBeside, "");
    EXPECT_EQ(ui.Status(), "");
    EXPECT_FALSE(PathExists(tree / "gone"));
}

TEST(LogCleanupTest, EmptyInstallRootDeletesNothingOnTheCurrentDrive) {
    // An empty root would make the walk start at the current drive's root.
    TempTree tree;
    const ScopedCurrentDirectory inTree(tree.Path());
    ASSERT_TRUE(inTree.Changed());
    const Text probe = "\\tellwick-probe-" + std::to_string(GetCurrentProcessId()) + ".log";
    WriteBytes(probe, "x");
    FakeControlPort ui;
    ui.SetTextColour(Control::标签4, kBlue);
    ui.SetCaption(Control::标签4, "earlier");

    CleanLogFiles(ProgramState{}, ui);
    const int deleted = DeleteFilesByExtension("", "*.log", 0);

    EXPECT_EQ(deleted, 0);
    EXPECT_TRUE(PathExists(probe));
    RemoveTree(probe);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kNoDriveMessage);
    EXPECT_EQ(ui.messages[0].flags, kMessageBoxFlags);
    EXPECT_EQ(ui.messages[0].title, texts::kNoDriveTitle);
    EXPECT_EQ(ui.Status(), "");
    EXPECT_EQ(ui.StatusColour(), kBlue) << "the colour stays as it was";
}

}  // namespace
