// The built Tellwick.exe killed at varied instants in the middle of its writes: every file it
// touches holds its old bytes or its new ones, and a backup is whole or absent.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "core/texts.h"
#include "platform/text.h"
#include "support/stand_in_process.h"
#include "support/tellwick_process.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/home_page_documents.h"

namespace {

constexpr char kDrive = 'P';
// Kills per operation, spread over the time the operation takes when left alone.
constexpr int kKills = 5;

// A text of about `size` bytes in CR LF lines that differ from each other.
std::string Lines(size_t size, const char* prefix) {
    std::string text;
    text.reserve(size + 128);
    for (unsigned i = 0; text.size() < size; ++i)
        text.append(prefix)
            .append(std::to_string(i))
            .append("=")
            .append(200, static_cast<char>('a' + i % 26))
            .append("\r\n");
    return text;
}

// Large enough that each copy takes a noticeable while, so that the kills land inside it.
const std::string kClientYaml = "---\r\n" + Lines(32u << 20, "# client line ");
const std::string kGameCfg = "[General]\r\nWindowMode=2\r\n[Data]\r\n" + Lines(16u << 20, "Entry");

struct Files {
    std::string yaml, yamlBackup, cfg, cfgBackup;
    bool hasYamlBackup, hasCfgBackup;
};

class CrashConsistencyTest : public ::testing::Test {
   protected:
    Text Root() const { return drive / "Games"; }
    Text Yaml() const { return JoinPath(Root(), "LeagueClient\\system.yaml"); }
    Text Cfg() const { return JoinPath(Root(), "Game\\Config\\game.cfg"); }

    Files Read() const {
        Files files;
        files.yaml = ReadBytes(Yaml());
        files.cfg = ReadBytes(Cfg());
        files.hasYamlBackup = PathExists(Yaml() + ".bak");
        files.hasCfgBackup = PathExists(Cfg() + ".bak");
        if (files.hasYamlBackup)
            files.yamlBackup = ReadBytes(Yaml() + ".bak");
        if (files.hasCfgBackup)
            files.cfgBackup = ReadBytes(Cfg() + ".bak");
        return files;
    }

    // A fresh client install: `yaml` as system.yaml, with `yamlBackup` beside it when given.
    void LayOut(const std::string& yaml, const std::string* yamlBackup) {
        RemoveTree(Root());
        drive.File("Games\\LeagueClient\\system.yaml", yaml);
        if (yamlBackup)
            drive.File("Games\\LeagueClient\\system.yaml.bak", *yamlBackup);
        drive.File("Games\\Game\\Config\\game.cfg", kGameCfg);
    }

    // One operation as the user starts it, and what its files may hold after a kill.
    struct Operation {
        const char* name;
        std::function<void()> layOut;
        std::function<void(TellwickProcess&)> act;
        Text done;                                  // the status text at its end
        std::optional<Text> backup;                 // the backup it makes first, if any
        std::function<bool(const Files&)> changed;  // whether the files hold the new state
        std::function<void(const Files&)> check;    // what must hold after every kill
    };
    struct Timing {
        DWORD took = 0;      // from the click to the status text
        DWORD backupAt = 0;  // from the click until the backup was there (0: none made)
    };

    // Starts the tool on the client's drive and lets `op` click; kills the tool `killAfterMs`
    // later, or else times the operation to its end.
    Timing Run(const Operation& op, std::optional<DWORD> killAfterMs) {
        TellwickProcess tool(TellwickExePath(), "C:\\");
        EXPECT_TRUE(tool.Started());
        tool.ChooseDrive(kDrive);
        EXPECT_TRUE(tool.WaitForCaption(Control::标签3, mapped.Root() + "Games"));
        const DWORD start = GetTickCount();
        op.act(tool);
        if (killAfterMs) {
            Sleep(*killAfterMs);
            tool.Kill();
            return {};
        }
        Timing timing;
        // The files only: asking the window would wait until its thread is done copying.
        while (op.backup && !PathExists(*op.backup) && GetTickCount() - start < 30000)
            Sleep(1);
        if (op.backup)
            timing.backupAt = GetTickCount() - start;
        EXPECT_TRUE(tool.WaitForCaption(Control::标签4, op.done, 60000)) << tool.Caption(Control::标签4);
        timing.took = GetTickCount() - start;
        tool.Close();
        tool.WaitForExit();
        return timing;
    }

    // Runs the operation once to its end, then kills it kKills times: spread over the making of
    // its backup and one kill after it, or spread over the whole operation when it makes none.
    // `check` judges the files after each kill. Prints how the kills landed.
    void KillAtVariedInstants(const Operation& op) {
        op.layOut();
        const Timing timing = Run(op, std::nullopt);
        const Files finished = Read();
        ASSERT_TRUE(op.changed(finished)) << op.name << ": the operation left alone does its work";
        op.check(finished);
        const DWORD spread = timing.backupAt ? timing.backupAt : timing.took;
        const int spreadKills = timing.backupAt ? kKills - 1 : kKills;
        int oldKept = 0;
        for (int i = 0; i < kKills; ++i) {
            const DWORD at = i < spreadKills ? spread * (2 * i + 1) / (2 * spreadKills)
                                             : (timing.backupAt + timing.took) / 2;
            SCOPED_TRACE(std::string(op.name) + ", killed after " + std::to_string(at) + " ms");
            op.layOut();
            Run(op, at);
            const Files after = Read();
            op.check(after);
            oldKept += op.changed(after) ? 0 : 1;
        }
        std::cout << op.name << ": " << timing.took << " ms uninterrupted (backup after " << timing.backupAt
                  << " ms); of " << kKills << " kills, " << oldKept << " left the old file\n";
    }

    TempTree drive;
    TestDrive mapped{kDrive, drive.Path()};
};

TEST_F(CrashConsistencyTest, ReplaceAndRestoreLeaveSystemYamlOldOrNew) {
    ASSERT_TRUE(mapped.Ready());
    const std::string& document = BlankHomePageDocument();
    const auto backupWholeOrAbsent = [&](const Files& files) {
        EXPECT_TRUE(!files.hasYamlBackup || files.yamlBackup == kClientYaml)
            << "a backup that is not the original";
    };

    KillAtVariedInstants({"replace", [&] { LayOut(kClientYaml, nullptr); },
                          [](TellwickProcess& tool) { tool.Click(Control::按钮2); }, texts::kHomePageReplaced,
                          Yaml() + ".bak", [&](const Files& files) { return files.yaml == document; },
                          [&](const Files& files) {
                              EXPECT_TRUE(files.yaml == kClientYaml || files.yaml == document)
                                  << files.yaml.size() << " bytes";
                              EXPECT_TRUE(files.yaml == kClientYaml || files.hasYamlBackup)
                                  << "replaced without a backup";
                              backupWholeOrAbsent(files);
                          }});

    KillAtVariedInstants({"restore", [&] { LayOut(document, &kClientYaml); },
                          [](TellwickProcess& tool) { tool.Click(Control::按钮3); }, texts::kHomePageRestored,
                          std::nullopt, [&](const Files& files) { return files.yaml == kClientYaml; },
                          [&](const Files& files) {
                              EXPECT_TRUE(files.yaml == document || files.yaml == kClientYaml)
                                  << files.yaml.size() << " bytes";
                              EXPECT_TRUE(files.hasYamlBackup);
                              backupWholeOrAbsent(files);
                          }});
}

TEST_F(CrashConsistencyTest, SwitchingDx11OnLeavesGameCfgOldOrNewAndItsBackupWholeOrAbsent) {
    ASSERT_TRUE(mapped.Ready());
    LauncherNameLock launcherName;
    std::string switchedOn;
    KillAtVariedInstants({"DX11 switch-on", [&] { LayOut("---\r\n", nullptr); },
                          [](TellwickProcess& tool) {
                              tool.Click(Control::选择框_ALL);
                              tool.Click(Control::按钮1);
                          },
                          texts::kOptimizeDone, Cfg() + ".bak",
                          [&](const Files& files) {
                              if (switchedOn.empty())
                                  switchedOn = files.cfg;
                              return files.cfg == switchedOn && files.cfg != kGameCfg;
                          },
                          [&](const Files& files) {
                              EXPECT_TRUE(files.cfg == kGameCfg || files.cfg == switchedOn)
                                  << files.cfg.size() << " bytes";
                              EXPECT_TRUE(files.cfg == kGameCfg || files.hasCfgBackup)
                                  << "the key written without a backup";
                              EXPECT_TRUE(!files.hasCfgBackup || files.cfgBackup == kGameCfg)
                                  << "a backup that is not the original";
                          }});
    EXPECT_NE(switchedOn.find("DX11BetaTest=1"), std::string::npos);
}

}  // namespace
