// The built Tellwick.exe killed at varied instants in the middle of its writes: every file it
// touches holds its old bytes or its new ones, and a backup is whole or absent.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "platform/text.h"
#include "support/stand_in_process.h"
#include "support/tellwick_process.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/home_page_documents.h"
#include "tuning/texts.h"

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
const std::string kGameCfg = "[General]\r\nWindowMode=2\r\n[Data]\r\n" + Lines(4u << 20, "Entry");

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

    // Starts the tool on the client's drive, lets `act` click, and kills the tool `killAfterMs`
    // later; without a kill time it waits for `done` on the status line and returns how long the
    // operation took.
    DWORD Run(const std::function<void(TellwickProcess&)>& act, const Text& done,
              std::optional<DWORD> killAfterMs) {
        TellwickProcess tool(TellwickExePath(), "C:\\");
        EXPECT_TRUE(tool.Started());
        tool.ChooseDrive(kDrive);
        EXPECT_TRUE(tool.WaitForCaption(Control::标签3, mapped.Root() + "Games"));
        const DWORD start = GetTickCount();
        act(tool);
        if (killAfterMs) {
            Sleep(*killAfterMs);
            tool.Kill();
            return *killAfterMs;
        }
        EXPECT_TRUE(tool.WaitForCaption(Control::标签4, done, 60000)) << tool.Caption(Control::标签4);
        const DWORD took = GetTickCount() - start;
        tool.Close();
        tool.WaitForExit();
        return took;
    }

    // Runs the operation once to its end, then kills it at kKills instants spread over the time it
    // took; `check` judges the files after each kill. Prints how the kills landed.
    void KillAtVariedInstants(const char* name, const std::function<void()>& layOut,
                              const std::function<void(TellwickProcess&)>& act, const Text& done,
                              const std::function<bool(const Files&)>& changed,
                              const std::function<void(const Files&)>& check) {
        layOut();
        const DWORD took = Run(act, done, std::nullopt);
        const Files finished = Read();
        ASSERT_TRUE(changed(finished)) << name << ": the operation left alone does its work";
        check(finished);
        int oldKept = 0;
        for (int i = 0; i < kKills; ++i) {
            const DWORD at = took * (2 * i + 1) / (2 * kKills);
            SCOPED_TRACE(std::string(name) + ", killed after " + std::to_string(at) + " ms");
            layOut();
            Run(act, done, at);
            const Files after = Read();
            check(after);
            oldKept += changed(after) ? 0 : 1;
        }
        std::cout << name << ": " << took << " ms uninterrupted; of " << kKills << " kills, " << oldKept
                  << " left the old file\n";
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

    KillAtVariedInstants(
        "replace", [&] { LayOut(kClientYaml, nullptr); },
        [](TellwickProcess& tool) { tool.Click(Control::按钮2); }, texts::kHomePageReplaced,
        [&](const Files& files) { return files.yaml == document; },
        [&](const Files& files) {
            EXPECT_TRUE(files.yaml == kClientYaml || files.yaml == document) << files.yaml.size() << " bytes";
            EXPECT_TRUE(files.yaml == kClientYaml || files.hasYamlBackup) << "replaced without a backup";
            backupWholeOrAbsent(files);
        });

    KillAtVariedInstants(
        "restore", [&] { LayOut(document, &kClientYaml); },
        [](TellwickProcess& tool) { tool.Click(Control::按钮3); }, texts::kHomePageRestored,
        [&](const Files& files) { return files.yaml == kClientYaml; },
        [&](const Files& files) {
            EXPECT_TRUE(files.yaml == document || files.yaml == kClientYaml) << files.yaml.size() << " bytes";
            EXPECT_TRUE(files.hasYamlBackup);
            backupWholeOrAbsent(files);
        });
}

TEST_F(CrashConsistencyTest, SwitchingDx11OnLeavesGameCfgOldOrNewAndItsBackupWholeOrAbsent) {
    ASSERT_TRUE(mapped.Ready());
    LauncherNameLock launcherName;
    std::string switchedOn;
    KillAtVariedInstants(
        "DX11 switch-on", [&] { LayOut("---\r\n", nullptr); },
        [](TellwickProcess& tool) {
            tool.Click(Control::选择框_ALL);
            tool.Click(Control::按钮1);
        },
        texts::kOptimizeDone,
        [&](const Files& files) {
            if (switchedOn.empty())
                switchedOn = files.cfg;
            return files.cfg == switchedOn && files.cfg != kGameCfg;
        },
        [&](const Files& files) {
            EXPECT_TRUE(files.cfg == kGameCfg || files.cfg == switchedOn) << files.cfg.size() << " bytes";
            EXPECT_TRUE(files.cfg == kGameCfg || files.hasCfgBackup) << "the key written without a backup";
            EXPECT_TRUE(!files.hasCfgBackup || files.cfgBackup == kGameCfg)
                << "a backup that is not the original";
        });
    EXPECT_NE(switchedOn.find("DX11BetaTest=1"), std::string::npos);
}

}  // namespace
