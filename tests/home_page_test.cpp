// Replacing and restoring the client's system.yaml on real folders, and what the user is told.
#include "tuning/home_page.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "platform/directory.h"
#include "platform/encoding.h"
#include "platform/handles.h"
#include "support/fake_control_port.h"
#include "support/scoped_current_directory.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/home_page_documents.h"

namespace {

const std::string kClientFile =
    "---\r\napp:\r\n  app_name: LeagueClient\r\ncustom_landing_url: https://example/\r\n";

// An install root holding the client's own system.yaml.
struct Install {
    Install() { tree.File("LeagueClient\\system.yaml", kClientFile); }

    Text Target() const { return tree / "LeagueClient\\system.yaml"; }
    Text Backup() const { return tree / "LeagueClient\\system.yaml.bak"; }
    ProgramState State() const { return ProgramState{tree.Path(), {}}; }

    // What LeagueClient holds, sorted: a file left behind by a write shows up here.
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> names;
        DirectoryListing listing(ToWide(tree / "LeagueClient\\*"));
        for (bool more = listing.Valid(); more; more = listing.Next()) {
            if (!listing.IsDotOrDotDot())
                names.emplace_back(listing.Name());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempTree tree;
};

const std::vector<std::wstring> kTargetAndBackup = {L"system.yaml", L"system.yaml.bak"};

// Opens `path` the way a program that shares it with no one would.
UniqueFile HoldWithoutSharing(const Text& path) {
    return UniqueFile(CreateFileW(ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void ExpectOneMessage(const FakeControlPort& ui, const Text& text, const Text& title) {
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, text);
    EXPECT_EQ(ui.messages[0].flags, kMessageBoxFlags);
    EXPECT_EQ(ui.messages[0].title, title);
}

TEST(HomePageTest, ReplacesRestoresAndKeepsTheFirstBackup) {
    Install install;
    FakeControlPort ui;

    {
        SCOPED_TRACE("first replacement, 单选框1 selected");
        ReplaceHomePage(install.State(), ui);
        EXPECT_EQ(ReadBytes(install.Backup()), kClientFile);
        EXPECT_EQ(ReadBytes(install.Target()), BlankHomePageDocument());
        EXPECT_EQ(install.Entries(), kTargetAndBackup);
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(ui.colours[Control::单选框1], kRed);
        EXPECT_EQ(ui.Status(), texts::kHomePageReplaced);
        EXPECT_EQ(ui.StatusColour(), kBlue);
        ASSERT_EQ(ui.operations.size(), 3u);
        EXPECT_STREQ(ui.operations[1].kind, "colour");
        EXPECT_EQ(ui.operations[1].control, Control::标签4);
        EXPECT_STREQ(ui.operations[2].kind, "caption");
    }
    {
        SCOPED_TRACE("second replacement, 单选框2 selected");
        ui.ticks[Control::单选框1] = 0;
        ui.ticks[Control::单选框2] = 1;
        ReplaceHomePage(install.State(), ui);
        EXPECT_EQ(ReadBytes(install.Backup()), kClientFile) << "the backup keeps the client's own file";
        EXPECT_EQ(ReadBytes(install.Target()), UsHomePageDocument());
        EXPECT_EQ(install.Entries(), kTargetAndBackup);
        EXPECT_EQ(ui.colours[Control::单选框1], kRed);
        EXPECT_EQ(ui.colours[Control::单选框2], kRed);
        EXPECT_EQ(ui.Status(), texts::kHomePageReplaced);
    }
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE("restore, round " + std::to_string(round));
        ui.operations.clear();
        RestoreHomePage(install.State(), ui);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_EQ(ReadBytes(install.Backup()), kClientFile);
        ExpectSuccessReport(ui, kBlue, texts::kHomePageRestored);
    }
}

TEST(HomePageTest, RestoreWithoutBackupSaysSoAndEmptiesTheStatus) {
    Install install;
    FakeControlPort ui;
    ShowStatus(ui, kTeal, "earlier");

    RestoreHomePage(install.State(), ui);

    ExpectOneMessage(ui, texts::kNoBackupMessage, texts::kNoBackupTitle);
    EXPECT_EQ(ui.Status(), "");
    EXPECT_EQ(ui.StatusColour(), kTeal);
    EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
}

TEST(HomePageTest, GuardsBeforeADriveWasChosen) {
    // An empty root would put the paths at the current drive's root.
    TempTree tree;
    const ScopedCurrentDirectory inTree(tree.Path());
    ASSERT_TRUE(inTree.Changed());
    ASSERT_FALSE(PathExists("\\LeagueClient"));

    FakeControlPort ui;
    ShowStatus(ui, kTeal, "earlier");
    ui.operations.clear();
    ReplaceHomePage(ProgramState{}, ui);
    ExpectOneMessage(ui, texts::kNoDriveMessage, texts::kNoDriveTitle);
    EXPECT_TRUE(ui.operations.empty()) << "the status line keeps its text";

    ui.messages.clear();
    RestoreHomePage(ProgramState{}, ui);
    ExpectOneMessage(ui, texts::kNoDriveMessage, texts::kNoDriveTitle);
    EXPECT_EQ(ui.Status(), "");
    EXPECT_EQ(ui.StatusColour(), kTeal);
    EXPECT_FALSE(PathExists("\\LeagueClient"));
}

TEST(HomePageTest, NoRadioBoxSelectedWritesNothing) {
    Install install;
    FakeControlPort ui;
    ui.ticks[Control::单选框1] = 0;

    ReplaceHomePage(install.State(), ui);

    EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.operations.empty());
}

TEST(HomePageTest, AMissingClientFileStillGetsTheDocument) {
    TempTree tree;
    tree.Folder("LeagueClient");
    const ProgramState state{tree.Path(), {}};
    FakeControlPort ui;

    ReplaceHomePage(state, ui);
    EXPECT_EQ(ReadBytes(tree / "LeagueClient\\system.yaml"), BlankHomePageDocument());
    EXPECT_FALSE(PathExists(tree / "LeagueClient\\system.yaml.bak"));
    EXPECT_EQ(ui.Status(), texts::kHomePageReplaced);

    // The next replacement keeps what is there now as the backup.
    ui.ticks[Control::单选框1] = 0;
    ui.ticks[Control::单选框2] = 1;
    ReplaceHomePage(state, ui);
    EXPECT_EQ(ReadBytes(tree / "LeagueClient\\system.yaml.bak"), BlankHomePageDocument());
    EXPECT_EQ(ReadBytes(tree / "LeagueClient\\system.yaml"), UsHomePageDocument());
}

TEST(HomePageTest, NoReplacementWithoutABackup) {
    {
        SCOPED_TRACE("the copy to the backup fails");
        Install install;
        FakeControlPort ui;
        {
            const UniqueFile held = HoldWithoutSharing(install.Target());
            ASSERT_TRUE(held.Valid());
            ReplaceHomePage(install.State(), ui);
        }
        ExpectOneMessage(ui, texts::kHomePageBackupFailed, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_FALSE(PathExists(install.Backup()));
        ExpectStatusEmptied(ui);  // no success text, no red caption
    }
    {
        SCOPED_TRACE("a folder stands where the backup belongs");
        Install install;
        CreateFolders(install.Backup());
        FakeControlPort ui;
        ReplaceHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageBackupFailed, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_TRUE(IsFolder(install.Backup()));
        ExpectStatusEmptied(ui);
    }
}

TEST(HomePageTest, AFailedWriteIsReportedAndChangesNothing) {
    {
        SCOPED_TRACE("the target is held open by another program");
        Install install;
        WriteBytes(install.Backup(), kClientFile);
        FakeControlPort ui;
        {
            const UniqueFile held = HoldWithoutSharing(install.Target());
            ASSERT_TRUE(held.Valid());
            ReplaceHomePage(install.State(), ui);
        }
        ExpectOneMessage(ui, texts::kHomePageWriteFailed, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_EQ(install.Entries(), kTargetAndBackup) << "no half-written file left beside it";
        ExpectStatusEmptied(ui);
    }
    {
        SCOPED_TRACE("the target is read-only");
        Install install;
        WriteBytes(install.Backup(), kClientFile);
        SetAttributes(install.Target(), FILE_ATTRIBUTE_READONLY);
        FakeControlPort ui;
        ReplaceHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageReadOnlyReplace, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_EQ(install.Entries(), kTargetAndBackup);
    }
    {
        SCOPED_TRACE("the LeagueClient folder is missing");
        TempTree tree;
        FakeControlPort ui;
        ReplaceHomePage(ProgramState{tree.Path(), {}}, ui);
        ExpectOneMessage(ui, texts::kHomePageWriteFailed, texts::kHomePageFailedTitle);
        EXPECT_FALSE(PathExists(tree / "LeagueClient"));
        ExpectStatusEmptied(ui);
    }
}

TEST(HomePageTest, TheFileKeepsItsAttributesAndNothingIsLeftBeside) {
    // ReplaceFileW carries the attributes over on Windows (and the security, which Wine does not
    // keep); under Wine the tool sets them on the new file itself before the rename.
    Install install;
    SetAttributes(install.Target(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    FakeControlPort ui;
    ReplaceHomePage(install.State(), ui);
    RestoreHomePage(install.State(), ui);
    EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
    EXPECT_TRUE(GetFileAttributesW(ToWide(install.Target()).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(install.Entries(), kTargetAndBackup);
    EXPECT_TRUE(ui.messages.empty());
}

// Wine as an ordinary user refuses what the Unix permissions refuse, as Windows refuses what the
// access list does: a LeagueClient closed to writing takes neither a backup nor the new file that
// would replace system.yaml. Runs for real in home_page_test_unprivileged.
TEST(HomePageTest, WhatThePlatformDeniedIsReportedAndLeftAsItWas) {
    SKIP_UNLESS_PERMISSIONS_ENFORCED();
    Install install;
    const Text folder = install.tree / "LeagueClient";
    {
        SCOPED_TRACE("no backup can be made");
        FakeControlPort ui;
        const ScopedUnixMode closed(folder, "555");
        ReplaceHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageBackupFailed, texts::kHomePageFailedTitle);
        EXPECT_EQ(install.Entries(), std::vector<std::wstring>{L"system.yaml"});
    }
    WriteBytes(install.Backup(), "the client's own file, kept earlier");
    {
        SCOPED_TRACE("the backup is there, system.yaml cannot be replaced");
        FakeControlPort ui;
        const ScopedUnixMode closed(folder, "555");
        ReplaceHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageWriteFailed, texts::kHomePageFailedTitle);
        EXPECT_NE(ui.Status(), texts::kHomePageReplaced);
        ui.messages.clear();
        RestoreHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageRestoreFailed, texts::kHomePageFailedTitle);
        EXPECT_NE(ui.Status(), texts::kHomePageRestored);
        EXPECT_EQ(install.Entries(), kTargetAndBackup);
    }
    EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
}

TEST(HomePageTest, AFailedRestoreIsReported) {
    {
        // Windows refuses to write it; Wine as root would, so the tool asks first.
        SCOPED_TRACE("the target is read-only");
        Install install;
        WriteBytes(install.Backup(), "the backup");
        SetAttributes(install.Target(), FILE_ATTRIBUTE_READONLY);
        FakeControlPort ui;
        RestoreHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageReadOnlyRestore, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_EQ(ui.Status(), "");
    }
    {
        SCOPED_TRACE("a folder stands where the backup belongs");
        Install install;
        CreateFolders(install.Backup());
        FakeControlPort ui;
        ShowStatus(ui, kBlue, "earlier");
        RestoreHomePage(install.State(), ui);
        ExpectOneMessage(ui, texts::kHomePageRestoreFailed, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_EQ(ui.Status(), "");
    }
    {
        SCOPED_TRACE("the target is held open by another program");
        Install install;
        WriteBytes(install.Backup(), "the backup");
        FakeControlPort ui;
        {
            const UniqueFile held = HoldWithoutSharing(install.Target());
            ASSERT_TRUE(held.Valid());
            RestoreHomePage(install.State(), ui);
        }
        ExpectOneMessage(ui, texts::kHomePageRestoreFailed, texts::kHomePageFailedTitle);
        EXPECT_EQ(ReadBytes(install.Target()), kClientFile);
        EXPECT_NE(ui.Status(), texts::kHomePageRestored);
    }
}

}  // namespace
