// "撤销全部优化" over real client folders: what each part puts back from each state it can find,
// what the user is told, and that a second undo changes nothing.
#include "tuning/undo_all.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "platform/encoding.h"
#include "support/fake_control_port.h"
#include "support/stand_in_process.h"
#include "support/temp_tree.h"
#include "tuning/home_page_documents.h"

namespace {

// A tree as relative paths and their bytes; folders hold kFolder.
using Layout = std::map<std::string, std::string>;
const std::string kFolder = "<folder>";

void LayOut(const TempTree& tree, const Layout& layout) {
    for (const auto& [path, bytes] : layout) {
        if (bytes == kFolder)
            tree.Folder(path);
        else
            tree.File(path, bytes);
    }
}

// Every file and folder below `folder`; a folder that holds entries is implied by them.
void Snapshot(const Text& folder, const std::string& prefix, Layout& layout) {
    for (const std::wstring& wide : FolderEntries(folder)) {
        const std::string relative = prefix + WideToAnsi(wide);
        const Text path = JoinPath(folder, WideToAnsi(wide));
        if (!IsFolder(path)) {
            layout[relative] = ReadBytes(path);
        } else if (FolderEntries(path).empty()) {
            layout[relative] = kFolder;
        } else {
            Snapshot(path, relative + "\\", layout);
        }
    }
}

Layout Snapshot(const TempTree& tree) {
    Layout layout;
    Snapshot(tree.Path(), "", layout);
    return layout;
}

const std::string kCfg = "Game\\Config\\game.cfg";
const std::string kCfgBak = "Game\\Config\\game.cfg.bak";
const std::string kYaml = "LeagueClient\\system.yaml";
const std::string kYamlBak = "LeagueClient\\system.yaml.bak";

struct Row {
    const char* state;
    Layout before;
    std::optional<Layout> after;  // nothing: as before
    std::vector<Text> notBack;    // the parts' sentences in the report; none: the teal success
};

TEST(UndoAllTest, EachPartPutsBackWhatTheDiskShowsAndASecondUndoChangesNothing) {
    const LauncherNameLock launcherLock;
    const Row rows[] = {
        // Cross
        {"Crossend only", {{"Crossend\\x.dat", "x"}}, Layout{{"Cross\\x.dat", "x"}}, {}},
        {"Crossbak and the empty Cross of the first run",
         {{"Crossbak\\a.dat", "a"}, {"Cross", kFolder}},
         Layout{{"Cross\\a.dat", "a"}},
         {}},
        {"Crossbak and a Cross that holds files",
         {{"Crossbak\\a.dat", "a"}, {"Cross\\new.dat", "n"}},
         {},
         {texts::kUndoCrossNotEmpty}},
        {"Crossbak and an empty Crossend: both moves go back",
         {{"Crossbak\\a.dat", "a"}, {"Crossend", kFolder}},
         Layout{{"Cross\\a.dat", "a"}},
         {}},
        {"Crossbak and a Crossend with the client's files: the newer move alone goes back",
         {{"Crossbak\\a.dat", "a"}, {"Crossend\\c.dat", "c"}},
         Layout{{"Crossbak\\a.dat", "a"}, {"Cross\\c.dat", "c"}},
         {texts::kUndoCrossNotEmpty}},
        {"Crossbak, Crossend and a Cross made since",
         {{"Crossbak\\a.dat", "a"}, {"Crossend", kFolder}, {"Cross\\new.dat", "n"}},
         {},
         {texts::kUndoCrossEndBlocked}},
        {"neither Crossbak nor Crossend", {{"Cross\\a.dat", "a"}}, {}, {}},
        {"a file named Crossbak", {{"Crossbak", "file"}, {"Cross\\a.dat", "a"}}, {}, {}},
        // The DX11 key; the game's other settings are the user's and stay as they are now.
        {"a backup with the key",
         {{kCfg, "[General]\r\nDX11BetaTest=1\r\nWindowMode=0\r\n[HUD]\r\nShowFPS=1\r\n"},
          {kCfgBak, "[General]\r\nDX11BetaTest=2\r\nWindowMode=1\r\n"}},
         Layout{{kCfg, "[General]\r\nDX11BetaTest=2\r\nWindowMode=0\r\n[HUD]\r\nShowFPS=1\r\n"},
                {kCfgBak, "[General]\r\nDX11BetaTest=2\r\nWindowMode=1\r\n"}},
         {}},
        {"a backup without the key, names in another case, a UTF-8 mark",
         {{kCfg, "\xEF\xBB\xBF[general]\r\nWindowMode=0\r\ndx11betatest=1\r\n"},
          {kCfgBak, "[General]\r\nWindowMode=1\r\n"}},
         Layout{{kCfg, "\xEF\xBB\xBF[general]\r\nWindowMode=0\r\n"},
                {kCfgBak, "[General]\r\nWindowMode=1\r\n"}},
         {}},
        {"no backup: the key goes to 0 and the user hears the former value is not known",
         {{kCfg, "[General]\r\nDX11BetaTest=1\r\n"}},
         Layout{{kCfg, "[General]\r\nDX11BetaTest=0\r\n"}},
         {texts::kUndoDx11Unknown}},
        {"a folder where the backup belongs counts as none",
         {{kCfg, "[General]\r\nDX11BetaTest=0\r\n"}, {kCfgBak, kFolder}},
         {},
         {texts::kUndoDx11Unknown}},
        {"the key absent now, the backup has it",
         {{kCfg, "[General]\r\nWindowMode=0\r\n"}, {kCfgBak, "[General]\r\nDX11BetaTest=0\r\n"}},
         Layout{{kCfg, "[General]\r\nWindowMode=0\r\nDX11BetaTest=0\r\n"},
                {kCfgBak, "[General]\r\nDX11BetaTest=0\r\n"}},
         {}},
        {"the key absent and no backup: never switched", {{kCfg, "[General]\r\nWindowMode=0\r\n"}}, {}, {}},
        // The home page.
        {"system.yaml is the blank document",
         {{kYaml, BlankHomePageDocument()}, {kYamlBak, "own\r\n"}},
         Layout{{kYaml, "own\r\n"}, {kYamlBak, "own\r\n"}},
         {}},
        {"system.yaml is the US document",
         {{kYaml, UsHomePageDocument()}, {kYamlBak, "own\r\n"}},
         Layout{{kYaml, "own\r\n"}, {kYamlBak, "own\r\n"}},
         {}},
        {"system.yaml written by the client since",
         {{kYaml, "updated\r\n"}, {kYamlBak, "own\r\n"}},
         {},
         {texts::kUndoHomePageChanged}},
        {"a document of ours and no backup",
         {{kYaml, UsHomePageDocument()}},
         {},
         {texts::kUndoHomePageNoBackup}},
        {"the client's own file and no backup", {{kYaml, "own\r\n"}}, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        TempTree tree;
        LayOut(tree, row.before);
        const Layout expected = row.after.value_or(row.before);
        const ProgramState state{tree.Path(), {}};
        FakeControlPort ui;
        ui.captions[Control::标签3] = tree.Path();
        ui.captions[Control::标签4] = "earlier";
        ui.answers = {true, true};

        std::vector<ShownMessage> first;
        for (const char* run : {"first undo", "second undo"}) {
            SCOPED_TRACE(run);
            ui.messages.clear();
            UndoAllChanges(state, ui);
            EXPECT_EQ(Snapshot(tree), expected);
            if (row.notBack.empty()) {
                EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
                EXPECT_EQ(ui.Status(), texts::kUndoDone);
                EXPECT_EQ(ui.StatusColour(), kTeal);
                continue;
            }
            ASSERT_EQ(ui.messages.size(), 1u);
            const ShownMessage& report = ui.messages[0];
            EXPECT_EQ(report.title, texts::kUndoFailedTitle);
            EXPECT_EQ(report.flags, kMessageBoxFlags);
            for (const Text& sentence : row.notBack)
                EXPECT_NE(report.text.find(sentence), std::string::npos) << report.text;
            EXPECT_NE(report.text.find(texts::kUndoLogsNote), std::string::npos)
                << "logs are not claimed back";
            EXPECT_EQ(ui.Status(), "") << "no success text; the status line is cleared";
        }
        ASSERT_EQ(ui.questions.size(), 2u);
        EXPECT_EQ(ui.questions[0].text, texts::kUndoQuestion);
    }
}

TEST(UndoAllTest, RefusalsAndNoChangeNothingAndLeaveTheStatusLineAlone) {
    const LauncherNameLock launcherLock;
    TempTree tree;
    const Layout before = {{"Crossbak\\a.dat", "a"}, {"Cross", kFolder}};
    LayOut(tree, before);
    const auto run = [&](const Text& label, const Text& root, std::deque<bool> answers) {
        FakeControlPort ui;
        ui.captions[Control::标签3] = label;
        ui.answers = std::move(answers);
        UndoAllChanges(ProgramState{root, {}}, ui);
        EXPECT_EQ(Snapshot(tree), before);
        EXPECT_TRUE(ui.operations.empty()) << "the status line is left alone";
        return ui;
    };
    {
        SCOPED_TRACE("no drive chosen");
        const FakeControlPort ui = run(texts::kDrivePrompt, tree.Path(), {true});
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, texts::kNoDriveMessage);
        EXPECT_EQ(ui.messages[0].title, texts::kNoDriveTitle);
        EXPECT_TRUE(ui.questions.empty());
    }
    {
        SCOPED_TRACE("a search that found no client: label and root empty");
        const FakeControlPort ui = run("", "", {true});
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, texts::kNoDriveMessage);
    }
    {
        SCOPED_TRACE("the user answers No");
        const FakeControlPort ui = run(tree.Path(), tree.Path(), {false});
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(ui.questions.size(), 1u);
    }
    {
        SCOPED_TRACE("the launcher runs");
        TempTree launcherFolder;
        const StandInProcess launcher(launcherFolder.Path(), "WeGame.exe");
        ASSERT_NE(launcher.Id(), 0u);
        const FakeControlPort ui = run(tree.Path(), tree.Path(), {true});
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, texts::kLauncherRunningMessage);
        EXPECT_EQ(ui.messages[0].title, texts::kLauncherRunningTitle);
        EXPECT_TRUE(ui.questions.empty());
    }
}

}  // namespace
