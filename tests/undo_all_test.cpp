// "撤销全部优化" over real client folders: what each part puts back from each state it can find,
// what the user is told, and that a second undo changes nothing.
#include "tuning/undo_all.h"

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "platform/access_grant.h"
#include "platform/encoding.h"
#include "support/fake_control_port.h"
#include "support/stand_in_process.h"
#include "support/temp_tree.h"
#include "tuning/change_record.h"
#include "tuning/dx11_switch.h"
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
        {"system.yaml written by the client since",
         {{kYaml, "updated\r\n"}, {kYamlBak, "own\r\n"}},
         {},
         {texts::kUndoHomePageChanged}},
        {"a document of ours and no backup",
         {{kYaml, UsHomePageDocument()}},
         {},
         {texts::kUndoHomePageNoBackup}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.state);
        TempTree tree;
        LayOut(tree, row.before);
        // The first switch-on records its backup; the grant, which comes just before, wrote nothing.
        if (row.before.contains(kCfgBak) && row.before.at(kCfgBak) != kFolder)
            RecordChange(tree.Path(), texts::kRecordDx11BackedUp);
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
    TempTree tree, launcherFolder;
    const Layout before = {{"Crossbak\\a.dat", "a"}, {"Cross", kFolder}};
    LayOut(tree, before);
    struct Case {
        const char* state;
        Text label, root, message;  // the message box shown instead of the question, if any
        bool launcher;
    };
    const Case cases[] = {
        {"no drive chosen", texts::kDrivePrompt, tree.Path(), texts::kNoDriveMessage, false},
        {"the user answers No", tree.Path(), tree.Path(), "", false},
        {"the launcher runs", tree.Path(), tree.Path(), texts::kLauncherRunningMessage, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        const std::optional<StandInProcess> launcher =
            c.launcher ? std::make_optional<StandInProcess>(launcherFolder.Path(), "WeGame.exe")
                       : std::nullopt;
        FakeControlPort ui;
        ui.captions[Control::标签3] = c.label;
        ui.answers = {false};
        UndoAllChanges(ProgramState{c.root, {}}, ui);
        EXPECT_EQ(Snapshot(tree), before);
        EXPECT_TRUE(ui.operations.empty()) << "the status line is left alone";
        EXPECT_EQ(ui.questions.size(), c.message.empty() ? 1u : 0u);
        ASSERT_EQ(ui.messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(ui.messages[0].text, c.message);
        }
    }
}

// Windows' answers for Game\Config, whose list is kept here as SDDL; every path below it has an
// empty list, which the grant and its undo can write over without anyone losing an entry.
struct WindowsLists {
    std::wstring folder;
    std::wstring sddl;

    static std::wstring Normalised(const std::wstring& sddl) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor,
                                                             nullptr);
        const UniqueLocal owned(descriptor);
        return Sddl(descriptor);
    }
    static std::wstring Sddl(PSECURITY_DESCRIPTOR descriptor) {
        wchar_t* text = nullptr;
        ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr);
        const UniqueLocal owned(text);
        return text ? text : L"";
    }
    AccessGrantCalls Calls() {
        return {.getNamedSecurityInfo =
                    [this](const wchar_t* path, PACL* dacl, PSECURITY_DESCRIPTOR* descriptor) {
                        const std::wstring text = path == folder ? sddl : L"D:";
                        ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                                             descriptor, nullptr);
                        BOOL present = FALSE, defaulted = FALSE;
                        GetSecurityDescriptorDacl(*descriptor, &present, dacl, &defaulted);
                        return static_cast<DWORD>(ERROR_SUCCESS);
                    },
                .setNamedSecurityInfo =
                    [this](const wchar_t* path, PACL dacl) {
                        SECURITY_DESCRIPTOR descriptor;
                        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
                        SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
                        if (path == folder)
                            sddl = Sddl(&descriptor);
                        return static_cast<DWORD>(ERROR_SUCCESS);
                    },
                .getDriveType = [](const wchar_t*) { return static_cast<UINT>(DRIVE_FIXED); },
                .underWine = [] { return false; }};
    }
};

TEST(UndoAllTest, TheGrantsListComesBackFromTheRecordWhileItIsTheOneTheGrantWrote) {
    const LauncherNameLock launcherLock;
    const std::wstring users = WindowsLists::Normalised(L"D:(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)");
    const std::wstring changed = WindowsLists::Normalised(L"D:(A;OICI;FA;;;SY)");
    struct Case {
        const char* state;
        bool recordWritable;        // while the grant wrote
        const wchar_t* since;       // the list someone wrote after the grant, if any
        std::wstring after;         // the folder's list after the undo; empty: as the grant wrote it
        std::vector<Text> notBack;  // the grant's sentence in the report
    };
    const Case cases[] = {
        {"still the list the grant wrote", true, nullptr, users, {}},
        {"changed since", true, changed.c_str(), changed, {texts::kUndoGrantChanged}},
        {"the record could not be written then", false, nullptr, L"", {texts::kUndoGrantNoRecord}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        TempTree tree;
        tree.File(kCfg, "[General]\r\n");
        WindowsLists windows{ToWide(tree / "Game\\Config"), users};
        const ScopedAccessGrantCalls standIns(windows.Calls());
        const TestChangeRecord record;
        const ProgramState state{tree.Path(), {}};
        {
            const ScopedKnownFolderCalls unwritable(
                c.recordWritable ? InstalledCalls<KnownFolderCalls>()
                                 : KnownFolderCalls{[](const GUID&, std::wstring&) { return E_FAIL; }});
            ASSERT_TRUE(EnableDx11TestMode(state));
        }
        const std::wstring written = windows.sddl;
        ASSERT_NE(written, users) << "the grant wrote";
        if (c.since)
            windows.sddl = c.since;
        FakeControlPort ui;
        ui.captions[Control::标签3] = tree.Path();
        ui.answers = {true, true};
        for (const char* run : {"first undo", "second undo"}) {
            SCOPED_TRACE(run);
            ui.messages.clear();
            UndoAllChanges(state, ui);
            EXPECT_EQ(windows.sddl, c.after.empty() ? written : c.after);
            if (c.notBack.empty()) {
                EXPECT_TRUE(ui.messages.empty());
                EXPECT_EQ(ui.Status(), texts::kUndoDone);
            } else {
                ASSERT_EQ(ui.messages.size(), 1u);
                EXPECT_NE(ui.messages[0].text.find(c.notBack[0]), std::string::npos) << ui.messages[0].text;
            }
        }
    }

    // Wine keeps no lists, so there the grant never wrote one: a backup that no record line tells
    // of (an earlier version made it) leaves the grant nothing to put back. Depends on Wine.
    TempTree tree;
    tree.File(kCfg, "[General]\r\n");
    tree.File(kCfgBak, "[General]\r\n");
    const TestChangeRecord record;
    FakeControlPort ui;
    ui.captions[Control::标签3] = tree.Path();
    ui.answers = {true};
    UndoAllChanges(ProgramState{tree.Path(), {}}, ui);
    EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
    EXPECT_EQ(ui.Status(), texts::kUndoDone);
}

}  // namespace
