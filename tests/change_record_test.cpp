// The record of changes: a line for every change once made, in a form a player reads, a line cut
// short by a kill that spoils no other, and a record that cannot be written failing no change.
#include "tuning/change_record.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <shellapi.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/shell_open.h"
#include "support/fake_control_port.h"
#include "support/stand_in_process.h"
#include "support/temp_tree.h"
#include "support/test_change_record.h"
#include "tuning/dx11_switch.h"
#include "tuning/home_page.h"
#include "tuning/optimize_command.h"
#include "tuning/undo_all.h"

namespace {

// The record is UTF-8 whatever the tool holds inside: expected words are written as UTF-8 here.
std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

class ChangeRecordTest : public testing::Test {
   protected:
    ChangeRecordTest() {
        tree.File("Game\\Config\\game.cfg", "[General]\r\nWindowMode=2\r\n");
        tree.File("Cross\\a.dat", "cross");
        tree.File("Logs\\a.log", "abc");
        tree.File("LeagueClient\\b.log", "defg");
        tree.File("LeagueClient\\system.yaml", "own\r\n");
        ui.captions[Control::标签3] = tree.Path();
    }

    // The words of the lines appended since the last call, each line checked for its form: local
    // date and time, the install root, the words.
    std::vector<std::string> NewWords() {
        std::vector<std::string> words;
        const std::vector<std::string> lines = record.Lines();
        const std::regex form("(\xEF\xBB\xBF)?\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\t([^\t]*)\t(.*)");
        for (size_t i = seen; i < lines.size(); ++i) {
            std::smatch parts;
            EXPECT_TRUE(std::regex_match(lines[i], parts, form)) << lines[i];
            EXPECT_EQ(parts[1].matched, i == 0) << "a UTF-8 mark opens the record, and only there";
            EXPECT_EQ(parts[2].str(), root);
            words.push_back(parts[3].str());
        }
        seen = lines.size();
        return words;
    }

    LauncherNameLock launcherLock;
    TempTree tree;
    const std::string root = ToUtf8(tree.Path());
    TestChangeRecord record;
    size_t seen = 0;
    ProgramState state{tree.Path(), {}};
    FakeControlPort ui;
};

TEST_F(ChangeRecordTest, EveryChangeAppendsItsLineOnceMade) {
    ui.ticks[Control::选择框_ALL] = 1;
    OptimizeCommand(state, ui);
    std::vector<std::string> optimized = NewWords();
    // Where the platform keeps access lists the grant's line comes first; it has its own test.
    std::erase_if(optimized, [](const std::string& words) { return words.starts_with("Game\\Config"); });
    EXPECT_EQ(optimized,
              (std::vector<std::string>{U8(u8"game.cfg 已备份为 game.cfg.bak"), U8(u8"DX11BetaTest：无 → 1"),
                                        U8(u8"Cross 已移到 Crossbak"), U8(u8"已新建空的 Cross 文件夹"),
                                        U8(u8"已删除 2 个 *.log 文件，共 7 B")}));

    DisableDx11TestMode(state, ui);
    EXPECT_EQ(NewWords(), std::vector<std::string>{U8(u8"DX11BetaTest：1 → 0")});
    DisableDx11TestMode(state, ui);
    EXPECT_EQ(NewWords(), std::vector<std::string>{}) << "a value that stays is no change";

    ui.ticks[Control::单选框1] = 0;
    ui.ticks[Control::单选框2] = 1;
    ReplaceHomePage(state, ui);
    EXPECT_EQ(NewWords(), (std::vector<std::string>{U8(u8"system.yaml 已备份为 system.yaml.bak"),
                                                    U8(u8"system.yaml 已换成美服主页")}));
    RestoreHomePage(state, ui);
    EXPECT_EQ(NewWords(), std::vector<std::string>{U8(u8"system.yaml 已从 system.yaml.bak 恢复")});
    ReplaceHomePage(state, ui);
    NewWords();

    ui.answers = {true};
    UndoAllChanges(state, ui);
    EXPECT_EQ(NewWords(),
              (std::vector<std::string>{
                  U8(u8"撤销：DX11BetaTest：0 → 无"), U8(u8"撤销：已删除空的 Cross 文件夹"),
                  U8(u8"撤销：Crossbak 已改回 Cross"), U8(u8"撤销：system.yaml 已从 system.yaml.bak 恢复")}));
    EXPECT_EQ(ui.Status(), texts::kUndoDone);
}

TEST_F(ChangeRecordTest, ACutLineSpoilsNoOtherAndAnUnwritableRecordFailsNoChange) {
    const std::string cut =
        "\xEF\xBB\xBF"
        "2026-01-01 10:00:00\tD:\\Games\tCross ";
    const std::string added = U8(u8"DX11BetaTest：无 → 0");
    struct Case {
        const char* state;
        std::function<void()> prepare;
        KnownFolderCalls folder;
        std::vector<std::string> lines;  // the record afterwards, "added" for the new line
    };
    const Case cases[] = {
        {"the last line was cut short by a kill",
         [&] {
             CreateFolders(record.Folder() / "Tellwick");
             WriteBytes(record.Path(), cut);
         },
         {},
         {cut, added}},
        {"a folder stands at the record's name", [&] { CreateFolders(record.Path()); }, {}, {}},
        {"Windows names no local application data",
         [] {},
         {.getKnownFolderPath = [](const GUID&, std::wstring&) { return E_FAIL; }},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        RemoveTree(record.Folder() / "Tellwick");
        WriteBytes(tree / "Game\\Config\\game.cfg", "[General]\r\nWindowMode=2\r\n");
        c.prepare();
        {
            const ScopedKnownFolderCalls folder(
                c.folder.getKnownFolderPath ? c.folder : InstalledCalls<KnownFolderCalls>());
            DisableDx11TestMode(state, ui);
        }
        EXPECT_EQ(ReadBytes(tree / "Game\\Config\\game.cfg"),
                  "[General]\r\nWindowMode=2\r\nDX11BetaTest=0\r\n");
        EXPECT_TRUE(ui.messages.empty()) << "the change is no failure for its record";
        std::vector<std::string> lines =
            IsFolder(record.Path()) ? std::vector<std::string>{} : record.Lines();
        if (lines.size() == 2 && lines[1].ends_with("\t" + added))
            lines[1] = added;
        EXPECT_EQ(lines, c.lines);
    }
}

TEST_F(ChangeRecordTest, ShowingTheRecordOpensItWithTheUsersEditorOrSaysWhyNot) {
    std::vector<std::wstring> asked;
    INT_PTR answer = 42;
    const ScopedShellOpenCalls shell({.shellExecute = [&](const wchar_t* verb, const wchar_t* file) {
        asked.push_back(std::wstring(verb) + L" " + file);
        return answer;
    }});
    ShowChangeRecord(ui);
    EXPECT_TRUE(asked.empty()) << "nothing to open before the first change";
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kNoRecordMessage);
    EXPECT_EQ(ui.messages[0].flags, kMessageBoxFlags);

    DisableDx11TestMode(state, ui);
    ui.messages.clear();
    ShowChangeRecord(ui);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(asked, std::vector<std::wstring>{L"open " + ToWide(record.Path())});

    answer = SE_ERR_NOASSOC;
    ShowChangeRecord(ui);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, texts::kRecordOpenFailed);
    EXPECT_EQ(ui.messages[0].title, texts::kRecordOpenFailedTitle);
}

}  // namespace
