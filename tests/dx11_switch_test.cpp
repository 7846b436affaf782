// The DX11 test mode switch against real game.cfg files.
#include "tuning/dx11_switch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/file_write.h"
#include "platform/handles.h"
#include "support/fake_control_port.h"
#include "support/scoped_current_directory.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"

namespace {

// CRLF and no blank lines: the form in which the INI writer leaves a file, so that only the key
// itself differs afterwards.
const std::string kGameCfg =
    "[General]\r\nWindowMode=2\r\nWidth=1920\r\nHeight=1080\r\n"
    "[Performance]\r\nShadowQuality=4\r\nFrameCapType=3\r\n"
    "[HUD]\r\nShowFPS=1\r\n";

using Sections = std::map<std::string, std::vector<std::string>>;

// The lines of an INI file by section ("" before the first header), without blank lines.
Sections ParseIni(const std::string& bytes) {
    Sections sections;
    std::string section;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (line.empty())
            continue;
        if (line.front() == '[' && line.back() == ']')
            section = line.substr(1, line.size() - 2);
        else
            sections[section].push_back(line);
    }
    return sections;
}

// `before` with the line DX11BetaTest=`value` in General, in place of an earlier value.
Sections WithDx11Key(const std::string& before, const char* value) {
    Sections expected = ParseIni(before);
    std::vector<std::string>& general = expected["General"];
    std::erase_if(general, [](const std::string& line) { return line.starts_with("DX11BetaTest="); });
    general.push_back(std::string("DX11BetaTest=") + value);
    return expected;
}

// The key's position within its section is the INI writer's business; every line, the key among
// them, must be in the right section.
void ExpectLines(const std::string& bytes, Sections expected) {
    Sections actual = ParseIni(bytes);
    for (auto* sections : {&actual, &expected}) {
        for (auto& [name, lines] : *sections)
            std::sort(lines.begin(), lines.end());
    }
    EXPECT_EQ(actual, expected) << "file now holds:\n" << bytes;
}

class Dx11SwitchTest : public testing::Test {
   protected:
    Dx11SwitchTest() {
        // The label shows the root once a drive search has found the client.
        ui.captions[Control::标签3] = tree.Path();
    }

    Text Config() const { return tree / "Game\\Config\\game.cfg"; }
    Text Backup() const { return tree / "Game\\Config\\game.cfg.bak"; }

    TempTree tree;
    ProgramState state{tree.Path(), {}};
    FakeControlPort ui;
};

// Windows' INI writer reads a UTF-8 mark as part of the first line, so the section there is not
// found and a second one is added at the end; Wine's writer knows the mark.
BOOL WINAPI WindowsProfileWriter(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                 const wchar_t* file) {
    const std::string bytes = ReadBytes(WideToAnsi(file));
    if (!bytes.starts_with("\xEF\xBB\xBF"))
        return WritePrivateProfileStringW(section, key, value, file);
    WriteBytes(WideToAnsi(file), bytes + "[" + WideToAnsi(section) + "]\r\n" + WideToAnsi(key) + "=" +
                                     WideToAnsi(value) + "\r\n");
    return TRUE;
}

TEST(Dx11SwitchFileTest, FirstSwitchOnBacksUpTheFileAndSetsTheKeyInItsSection) {
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        SCOPED_TRACE(mark.empty() ? "plain file" : "file starting with a UTF-8 byte-order mark");
        const ScopedFileWriteCalls windowsWriter({{}, {}, WindowsProfileWriter});
        TempTree tree;
        const Text config = tree.File("Game\\Config\\game.cfg", mark + kGameCfg);

        EXPECT_TRUE(EnableDx11TestMode(ProgramState{tree.Path(), {}}));

        EXPECT_EQ(ReadBytes(config + ".bak"), mark + kGameCfg) << "the backup is the file as it was";
        const std::string written = ReadBytes(config);
        ASSERT_TRUE(written.starts_with(mark + "[General]")) << written;
        EXPECT_EQ(written.find("[General]"), written.rfind("[General]")) << "one section General:\n"
                                                                         << written;
        ExpectLines(written.substr(mark.size()), WithDx11Key(kGameCfg, "1"));
    }
}

TEST_F(Dx11SwitchTest, LaterSwitchOnKeepsTheFirstBackup) {
    tree.File("Game\\Config\\game.cfg", kGameCfg);
    ASSERT_TRUE(EnableDx11TestMode(state));
    // The user changes a setting in the game; the next switch-on must not take that as the original.
    const std::string changed = "[General]\r\nWindowMode=0\r\nDX11BetaTest=0\r\n[HUD]\r\nShowFPS=0\r\n";
    WriteBytes(Config(), changed);

    EXPECT_TRUE(EnableDx11TestMode(state));

    EXPECT_EQ(ReadBytes(Backup()), kGameCfg);
    ExpectLines(ReadBytes(Config()), WithDx11Key(changed, "1"));
}

TEST_F(Dx11SwitchTest, NoKeyIsWrittenWithoutABackupOrOverAReadOnlyFile) {
    tree.File("Game\\Config\\game.cfg", kGameCfg);
    const auto expectUntouched = [&] {
        EXPECT_EQ(ReadBytes(Config()), kGameCfg);
        EXPECT_EQ(FolderEntries(tree / "Game\\Config").size(), IsFolder(Backup()) ? 2u : 1u)
            << "nothing left beside";
    };
    {
        SCOPED_TRACE("the backup cannot be made: another program holds game.cfg");
        const UniqueFile held(CreateFileW(ToWide(Config()).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());
        const Dx11Outcome outcome = EnableDx11TestMode(state);
        ASSERT_FALSE(outcome);
        EXPECT_EQ(*outcome.failure, texts::kDx11BackupFailed);
    }
    expectUntouched();
    {
        SCOPED_TRACE("a folder stands where the backup belongs: it holds no copy");
        CreateFolders(Backup());
        const Dx11Outcome outcome = EnableDx11TestMode(state);
        ASSERT_FALSE(outcome);
        EXPECT_EQ(*outcome.failure, texts::kDx11BackupFailed);
        expectUntouched();
        RemoveTree(Backup());
    }
    {
        // Windows refuses to write a read-only file; Wine as root would write it, so the tool asks.
        SCOPED_TRACE("game.cfg is read-only: neither switch touches it");
        SetAttributes(Config(), FILE_ATTRIBUTE_READONLY);
        const Dx11Outcome outcome = EnableDx11TestMode(state);
        ASSERT_FALSE(outcome);
        EXPECT_EQ(*outcome.failure, texts::kDx11ReadOnlyEnable);
        DisableDx11TestMode(state, ui);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, texts::kDx11ReadOnlyDisable);
        EXPECT_EQ(ui.messages[0].title, texts::kDx11FailedTitle);
        expectUntouched();
    }
}

// Wine as an ordinary user refuses what the Unix permissions refuse, as Windows refuses what the
// access list does: a folder closed to writing takes no new file, so no backup and no replacement
// beside game.cfg. Runs for real in dx11_switch_test_unprivileged.
TEST_F(Dx11SwitchTest, WhatThePlatformDeniedIsReportedAndLeftAsItWas) {
    SKIP_UNLESS_PERMISSIONS_ENFORCED();
    tree.File("Game\\Config\\game.cfg", kGameCfg);
    const Text folder = tree / "Game\\Config";
    {
        SCOPED_TRACE("no backup can be made");
        const ScopedUnixMode closed(folder, "555");
        const Dx11Outcome outcome = EnableDx11TestMode(state);
        ASSERT_FALSE(outcome);
        EXPECT_EQ(*outcome.failure, texts::kDx11BackupFailed);
        EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"game.cfg"});
        EXPECT_EQ(UnixModeOf(folder), "555") << "the grant opened the folder";
    }
    WriteBytes(Backup(), kGameCfg);
    {
        SCOPED_TRACE("the backup is there, game.cfg cannot be replaced");
        const ScopedUnixMode closed(folder, "555");
        const Dx11Outcome outcome = EnableDx11TestMode(state);
        ASSERT_FALSE(outcome);
        EXPECT_EQ(*outcome.failure, texts::kDx11EnableFailed);
        DisableDx11TestMode(state, ui);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, texts::kDx11DisableFailed);
        EXPECT_EQ(FolderEntries(folder), (std::vector<std::wstring>{L"game.cfg", L"game.cfg.bak"}));
    }
    EXPECT_EQ(ReadBytes(Config()), kGameCfg);
    ExpectStatusEmptied(ui);
}

TEST_F(Dx11SwitchTest, SwitchOffAfterSwitchOnWritesZeroAndKeepsTheBackup) {
    tree.File("Game\\Config\\game.cfg", kGameCfg);
    ASSERT_TRUE(EnableDx11TestMode(state));

    DisableDx11TestMode(state, ui);

    ExpectLines(ReadBytes(Config()), WithDx11Key(kGameCfg, "0"));
    EXPECT_EQ(ReadBytes(Backup()), kGameCfg);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.operations.empty()) << "switching off shows nothing on success";
}

TEST_F(Dx11SwitchTest, SwitchOffBeforeADriveWasChosenChangesNothing) {
    tree.File("Game\\Config\\game.cfg", kGameCfg);
    ui.captions[Control::标签3] = texts::kDrivePrompt;

    DisableDx11TestMode(state, ui);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kNoDriveMessage);
    EXPECT_EQ(ui.messages[0].title, texts::kNoDriveTitle);
    EXPECT_EQ(ui.messages[0].flags, kMessageBoxFlags);
    EXPECT_EQ(ReadBytes(Config()), kGameCfg);
    EXPECT_TRUE(ui.operations.empty());
}

TEST_F(Dx11SwitchTest, MissingFileInThePresentFolderIsCreatedWithTheKeyAlone) {
    tree.Folder("Game\\Config");

    EXPECT_TRUE(EnableDx11TestMode(state));

    EXPECT_FALSE(PathExists(Backup())) << "nothing to back up";
    ExpectLines(ReadBytes(Config()), Sections{{"General", {"DX11BetaTest=1"}}});
}

TEST_F(Dx11SwitchTest, MissingFolderIsReportedAndNotCreated) {
    tree.Folder("Game");

    EXPECT_FALSE(EnableDx11TestMode(state));
    DisableDx11TestMode(state, ui);

    EXPECT_FALSE(PathExists(tree / "Game\\Config"));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kDx11DisableFailed);
    EXPECT_EQ(ui.messages[0].title, texts::kDx11FailedTitle);
    EXPECT_EQ(ui.messages[0].flags, kMessageBoxFlags);
    ExpectStatusEmptied(ui);
}

TEST_F(Dx11SwitchTest, EmptyRootTouchesNothingOnTheCurrentDrive) {
    // The current drive is a test folder that holds a client layout at its root.
    TestDrive drive('T', tree.Path());
    ASSERT_TRUE(drive.Ready());
    tree.File("Game\\Config\\game.cfg", kGameCfg);
    ScopedCurrentDirectory current("T:\\");
    ASSERT_TRUE(current.Changed());

    const ProgramState noRoot;
    ui.captions[Control::标签3] = Text();  // a search that found nothing leaves the label empty
    EXPECT_FALSE(EnableDx11TestMode(noRoot));
    DisableDx11TestMode(noRoot, ui);

    EXPECT_EQ(ReadBytes(Config()), kGameCfg);
    EXPECT_FALSE(PathExists(Backup()));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kNoDriveMessage);
    EXPECT_EQ(ui.messages[0].title, texts::kNoDriveTitle);
}

}  // namespace
