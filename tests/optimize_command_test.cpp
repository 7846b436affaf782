// The optimize command over a real client layout: its guards, which steps run, and what the status
// line shows afterwards.
#include "tuning/optimize_command.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "locate/install_root.h"
#include "platform/encoding.h"
#include "platform/handles.h"
#include "support/fake_control_port.h"
#include "support/scoped_current_directory.h"
#include "support/stand_in_process.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/dx11_switch.h"
#include "tuning/home_page.h"

namespace {

const std::string kGameCfg = "[General]\r\nWindowMode=2\r\n[HUD]\r\nShowFPS=1\r\n";
const Text kEarlierStatus = "earlier text";

class OptimizeCommandTest : public testing::Test {
   protected:
    OptimizeCommandTest() {
        tree.File("Game\\Config\\game.cfg", kGameCfg);
        tree.File("Cross\\a.dat", "cross data");
        tree.File("LeagueClient\\Logs\\client.log", "log");
        tree.File("Game\\Logs\\game.log", "log");
        // The window after a drive search found the client, with an earlier report on the status
        // line that a step may or may not replace.
        ui.captions[Control::标签3] = tree.Path();
        ui.captions[Control::标签4] = kEarlierStatus;
        ui.colours[Control::标签4] = kMagenta;
    }

    void Tick(std::initializer_list<Control> boxes) {
        for (Control box : boxes)
            ui.ticks[box] = 1;
    }

    // What each step leaves on disk.
    bool Dx11Written() {
        return ReadBytes(tree / "Game\\Config\\game.cfg").find("DX11BetaTest=1") != std::string::npos;
    }
    bool CrossMoved() { return IsFolder(tree / "Crossbak") && IsFolder(tree / "Cross"); }
    bool LogsGone() {
        return !PathExists(tree / "LeagueClient\\Logs\\client.log") &&
               !PathExists(tree / "Game\\Logs\\game.log");
    }

    void ExpectStatus(Colour colour, const Text& text) {
        EXPECT_EQ(ui.StatusColour(), colour);
        EXPECT_EQ(ui.Status(), text);
    }

    void ExpectOnlyMessage(const Text& text, const Text& title) {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, text);
        EXPECT_EQ(ui.messages[0].title, title);
        EXPECT_EQ(ui.messages[0].flags, kMessageBoxFlags);
    }

    void ExpectNothingDone() {
        EXPECT_EQ(ReadBytes(tree / "Game\\Config\\game.cfg"), kGameCfg);
        EXPECT_FALSE(PathExists(tree / "Game\\Config\\game.cfg.bak"));
        EXPECT_FALSE(PathExists(tree / "Crossbak"));
        EXPECT_TRUE(PathExists(tree / "LeagueClient\\Logs\\client.log"));
        EXPECT_TRUE(ui.operations.empty()) << "the status line is left alone";
    }

    // Whether a wegame.exe runs must not change while this test runs.
    LauncherNameLock launcherLock;
    TempTree tree;
    ProgramState state{tree.Path(), {}};
    FakeControlPort ui;
};

TEST_F(OptimizeCommandTest, AllRunsEveryStepAndEndsWithTheTealSuccess) {
    Tick({Control::选择框_ALL});  // the single boxes stay clear

    OptimizeCommand(state, ui);

    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(Dx11Written());
    EXPECT_EQ(ReadBytes(tree / "Game\\Config\\game.cfg.bak"), kGameCfg);
    EXPECT_TRUE(CrossMoved());
    EXPECT_TRUE(LogsGone());
    ExpectStatus(kTeal, texts::kOptimizeDone);
}

TEST_F(OptimizeCommandTest, Dx11AloneLeavesTheStatusLineAlone) {
    Tick({Control::选择框_DX11});

    OptimizeCommand(state, ui);

    EXPECT_TRUE(Dx11Written());
    EXPECT_FALSE(PathExists(tree / "Crossbak"));
    EXPECT_FALSE(LogsGone());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.operations.empty());
    ExpectStatus(kMagenta, kEarlierStatus);
}

TEST_F(OptimizeCommandTest, CrossWithoutLogEndsBlue) {
    Tick({Control::选择框_DX11, Control::选择框_Cross});

    OptimizeCommand(state, ui);

    EXPECT_TRUE(Dx11Written());
    EXPECT_TRUE(CrossMoved());
    EXPECT_TRUE(LogsGone()) << "the Cross step deletes the logs itself";
    ExpectStatus(kBlue, texts::kCrossDone);
}

TEST_F(OptimizeCommandTest, CrossAndLogEndWithTheTealLogText) {
    Tick({Control::选择框_Cross, Control::选择框_log});

    OptimizeCommand(state, ui);

    EXPECT_FALSE(Dx11Written());
    EXPECT_TRUE(CrossMoved());
    EXPECT_TRUE(LogsGone());
    // Both steps reported, the log step last: blue, then teal.
    ASSERT_EQ(ui.operations.size(), 4u);
    ExpectStatus(kTeal, texts::kLogsDone);
}

TEST_F(OptimizeCommandTest, LogAloneEndsTeal) {
    Tick({Control::选择框_log});

    OptimizeCommand(state, ui);

    EXPECT_TRUE(LogsGone());
    EXPECT_FALSE(PathExists(tree / "Crossbak"));
    EXPECT_FALSE(Dx11Written());
    ExpectStatus(kTeal, texts::kLogsDone);
}

TEST_F(OptimizeCommandTest, NothingOrOnlyTheSpareBoxTickedDoesNothing) {
    OptimizeCommand(state, ui);
    Tick({Control::选择框5});
    OptimizeCommand(state, ui);

    EXPECT_TRUE(ui.messages.empty());
    ExpectNothingDone();
    ExpectStatus(kMagenta, kEarlierStatus);
}

TEST_F(OptimizeCommandTest, RunningLauncherIsRefusedBeforeAnythingElse) {
    TempTree launcherFolder;
    StandInProcess launcher(launcherFolder.Path(), "WeGame.exe");
    ASSERT_NE(launcher.Id(), 0u);

    {
        SCOPED_TRACE("nothing ticked");
        OptimizeCommand(state, ui);
        ExpectOnlyMessage(texts::kLauncherRunningMessage, texts::kLauncherRunningTitle);
    }
    {
        SCOPED_TRACE("everything ticked, and no drive chosen either: only the launcher is named");
        ui.messages.clear();
        Tick({Control::选择框_ALL, Control::选择框_DX11, Control::选择框_Cross, Control::选择框_log});
        ui.captions[Control::标签3] = texts::kDrivePrompt;
        OptimizeCommand(state, ui);
        ExpectOnlyMessage(texts::kLauncherRunningMessage, texts::kLauncherRunningTitle);
    }
    ExpectNothingDone();
}

TEST_F(OptimizeCommandTest, NoDriveChosenIsRefused) {
    Tick({Control::选择框_ALL, Control::选择框_log});
    ui.captions[Control::标签3] = texts::kDrivePrompt;

    OptimizeCommand(state, ui);

    ExpectOnlyMessage(texts::kNoDriveMessage, texts::kNoDriveTitle);
    ExpectNothingDone();
}

TEST_F(OptimizeCommandTest, EmptyRootIsRefusedAndTheCurrentDriveLeftAlone) {
    // The current drive is a test folder laid out like a client at its root.
    TestDrive drive('V', tree.Path());
    ASSERT_TRUE(drive.Ready());
    ScopedCurrentDirectory current("V:\\");
    ASSERT_TRUE(current.Changed());
    Tick({Control::选择框_ALL});
    ui.captions[Control::标签3] = Text();  // a search that found no client leaves the label empty

    OptimizeCommand(ProgramState{}, ui);

    ExpectOnlyMessage(texts::kNoDriveMessage, texts::kNoDriveTitle);
    ExpectNothingDone();
}

TEST_F(OptimizeCommandTest, FailedDx11SwitchIsReportedInsteadOfTheSuccess) {
    RemoveTree(tree / "Game\\Config");
    Tick({Control::选择框_ALL});

    OptimizeCommand(state, ui);

    ExpectOnlyMessage(texts::kDx11EnableFailed, texts::kDx11FailedTitle);
    EXPECT_FALSE(PathExists(tree / "Game\\Config"));
    // The steps that did their work keep their report.
    EXPECT_TRUE(CrossMoved());
    EXPECT_TRUE(LogsGone());
    ExpectStatus(kTeal, texts::kLogsDone);
}

TEST_F(OptimizeCommandTest, FailedDx11SwitchAloneIsReported) {
    RemoveTree(tree / "Game\\Config");
    Tick({Control::选择框_DX11});

    OptimizeCommand(state, ui);

    ExpectOnlyMessage(texts::kDx11EnableFailed, texts::kDx11FailedTitle);
    ExpectStatus(kMagenta, "");
}

TEST_F(OptimizeCommandTest, ACommandWhoseWorkFailedEmptiesTheStatusLineBeforeItsBox) {
    // Each row breaks what its command works on, and leaves it broken for the rows after it.
    const auto untick = [&] { ui.ticks[Control::选择框_Cross] = ui.ticks[Control::选择框_DX11] = 0; };
    const struct {
        const char* what;
        std::function<void()> breakAndRun;
        const Text& message;
    } rows[] = {
        {"the Cross step",
         [&] {
             tree.File("Crossbak", "a file, not a folder");
             Tick({Control::选择框_Cross});
             OptimizeCommand(state, ui);
         },
         texts::kCrossMoveFailed},
        {"the DX11 step",
         [&] {
             RemoveTree(tree / "Game\\Config");
             untick();
             Tick({Control::选择框_DX11});
             OptimizeCommand(state, ui);
         },
         texts::kDx11EnableFailed},
        {"switching DX11 off", [&] { DisableDx11TestMode(state, ui); }, texts::kDx11DisableFailed},
        {"the home page's replace",
         [&] {
             tree.File("LeagueClient\\system.yaml", "client");
             tree.File("LeagueClient\\system.yaml.bak\\x", "a folder where the backup goes");
             ReplaceHomePage(state, ui);
         },
         texts::kHomePageBackupFailed},
        {"the home page's restore", [&] { RestoreHomePage(state, ui); }, texts::kHomePageRestoreFailed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ui.captions[Control::标签4] = kEarlierStatus;
        ui.messages.clear();
        row.breakAndRun();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, row.message);
        EXPECT_EQ(ui.messages[0].statusBeside, "");
        ExpectStatus(kMagenta, "");
    }
}

}  // namespace

namespace {

TEST_F(OptimizeCommandTest, AFailedCrossStepWithholdsTheClosingText) {
    tree.File("Crossbak", "a file, not a folder");
    Tick({Control::选择框_ALL});

    OptimizeCommand(state, ui);

    ExpectOnlyMessage(texts::kCrossMoveFailed, texts::kStepFailedTitle);
    EXPECT_TRUE(Dx11Written());
    EXPECT_TRUE(LogsGone());
    ExpectStatus(kTeal, texts::kLogsDone);
}

TEST_F(OptimizeCommandTest, EveryCommandRefusesARootThatNamesNoFolder) {
    // A folder moved away since the drive was chosen, and the text a lossy conversion once gave.
    for (const Text& root : {tree / "Moved", tree / "Bj?rn"}) {
        SCOPED_TRACE(root);
        ui.captions[Control::标签3] = root;
        const ProgramState gone{root, {}};
        Tick({Control::选择框_ALL});
        const std::vector<void (*)(const ProgramState&, ControlPort&)> commands = {
            OptimizeCommand, DisableDx11TestMode, ReplaceHomePage, RestoreHomePage};
        for (auto command : commands) {
            ui.messages.clear();
            command(gone, ui);
            ExpectOnlyMessage(texts::kRootMissingMessage, texts::kRootMissingTitle);
        }
        EXPECT_FALSE(PathExists(root));
    }
    ui.operations.clear();  // the restore empties the status line, as it does on every refusal
    ExpectNothingDone();
}

// Wine as an ordinary user refuses what the Unix permissions refuse, as Windows refuses what the
// access list does: an install root closed to everyone can be neither listed nor entered. Every
// step says what it did not do, and the closing text stays away. Runs for real in
// optimize_command_test_unprivileged.
TEST_F(OptimizeCommandTest, WhatThePlatformDeniedIsReportedAndLeftAsItWas) {
    SKIP_UNLESS_PERMISSIONS_ENFORCED();
    Tick({Control::选择框_ALL});
    {
        const ScopedUnixMode closed(tree.Path(), "000");
        OptimizeCommand(state, ui);
    }
    EXPECT_EQ(ui.Status(), "");
    ui.operations.clear();
    std::vector<Text> shown;
    for (const ShownMessage& message : ui.messages)
        shown.push_back(message.text);
    EXPECT_EQ(shown, (std::vector<Text>{texts::kDx11EnableFailed, texts::kCrossCreateFailed,
                                        texts::kLogsListFailed}));
    EXPECT_EQ(ReadBytes(tree / "Cross\\a.dat"), "cross data");
    ExpectNothingDone();
}

TEST_F(OptimizeCommandTest, AFolderThatOnlyLooksLikeTheClientsIsNeverTouched) {
    // The client in "Games²"; best fit once made that "Games2", whose logs were then deleted and in
    // which a Cross folder was created.
    TempTree drive;
    WideFile(drive.Path(), L"Games\u00b2\\LeagueClient\\system.yaml");
    WideFile(drive.Path(), L"Games\u00b2\\Cross\\a.dat");
    drive.File("Games2\\Logs\\keep.log", "decoy");
    drive.File("Games2\\Game\\Config\\game.cfg", kGameCfg);
    const TestDrive mapped('V', drive.Path());
    ASSERT_TRUE(mapped.Ready());
    FakeControlPort fresh;
    fresh.drive = "V";
    ProgramState chosen;

    OnDriveChosen(chosen, fresh);
    fresh.ticks[Control::选择框_ALL] = 1;
    OptimizeCommand(chosen, fresh);
    ReplaceHomePage(chosen, fresh);

    EXPECT_EQ(chosen.InstallRoot, "");
    EXPECT_EQ(ReadBytes(drive / "Games2\\Logs\\keep.log"), "decoy");
    EXPECT_EQ(ReadBytes(drive / "Games2\\Game\\Config\\game.cfg"), kGameCfg);
    EXPECT_FALSE(PathExists(drive / "Games2\\Game\\Config\\game.cfg.bak"));
    EXPECT_FALSE(PathExists(drive / "Games2\\Cross"));
    EXPECT_FALSE(PathExists(drive / "Games2\\LeagueClient"));
    ASSERT_EQ(fresh.messages.size(), 2u);
    EXPECT_EQ(fresh.messages[0].text, texts::kNoDriveMessage);
    EXPECT_EQ(fresh.messages[1].text, texts::kNoDriveMessage);
}

}  // namespace
