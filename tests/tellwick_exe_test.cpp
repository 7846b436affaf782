// The built Tellwick.exe driven from this separate program, as a user would drive it.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/texts.h"
#include "locate/install_root.h"
#include "platform/append_file.h"
#include "platform/encoding.h"
#include "platform/known_folder.h"
#include "platform/text.h"
#include "support/fake_control_port.h"
#include "support/ntfs_images.h"
#include "support/stand_in_process.h"
#include "support/tellwick_process.h"
#include "support/temp_tree.h"
#include "support/wine_host.h"
#include "tuning/change_record.h"

namespace {

// Drive letters of this test program: W holds the tool, X and Y are extra drives.
constexpr char kToolDrive = 'W';

// Copies Tellwick.exe onto a test drive, since the drive box selects the drive the tool runs from.
class TellwickExeTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_FALSE(TellwickExePath().empty()) << "TELLWICK_EXE is not set";
        CreateFolders(toolTree / "Tools");
        ASSERT_TRUE(CopyFileW(ToWide(TellwickExePath()).c_str(),
                              ToWide(toolTree / "Tools\\Tellwick.exe").c_str(), FALSE));
        ASSERT_TRUE(toolDrive.Ready());
    }

    Text ToolPath() const { return toolDrive.Root() + "Tools\\Tellwick.exe"; }

    // Picks drive X (with a client at X:\Games\LOL), ticks 以上全选 and clicks 确定.
    static void OptimizeAllOnClientDrive(TellwickProcess& tool) {
        tool.ChooseDrive('X');
        ASSERT_TRUE(tool.WaitForCaption(Control::标签3, "X:\\Games\\LOL"));
        tool.Click(Control::选择框_ALL);
        tool.Click(Control::按钮1);
    }

    TempTree toolTree;
    TestDrive toolDrive{kToolDrive, toolTree.Path()};
};

TEST_F(TellwickExeTest, StartsFromAnyWorkingDirectoryAndClosesWithExitCodeZero) {
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    // The tool works from its own folder, so its own drive is the one selected.
    EXPECT_EQ(tool.SelectedDrive(), "W");
    EXPECT_EQ(tool.Caption(Control::标签3), texts::kDrivePrompt);
    EXPECT_EQ(tool.Caption(Control::标签4), "");
    EXPECT_FALSE(tool.Ticked(Control::选择框_ALL));
    EXPECT_TRUE(tool.Ticked(Control::单选框1));

    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(TellwickExeTest, DriveBoxNamesEachDriveByItsType) {
    // The test set-up declares Y: a CD-ROM drive and labels X: "GAMES".
    TempTree labelled, cdrom;
    TestDrive labelledDrive('X', labelled.Path());
    TestDrive cdromDrive('Y', cdrom.Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    const std::vector<Text> entries = tool.DriveEntries();
    const auto has = [&](const Text& entry) {
        return std::find(entries.begin(), entries.end(), entry) != entries.end();
    };
    EXPECT_TRUE(has("W: （硬盘）"));
    EXPECT_TRUE(has("X: （硬盘） GAMES"));
    EXPECT_TRUE(has("Y: （光驱）"));
    EXPECT_TRUE(has("C: （硬盘）"));
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

TEST(TellwickStartTest, AControlThatCannotBeCreatedEndsTheStartWithTheStartUpError) {
    // The helper runs the tool's own start with the drive box's creation refused.
    TellwickProcess tool(JoinPath(TestHelpersFolder(), "start_without_drive_box.exe"), "C:\\", false);
    const std::optional<MessageBoxSeen> box = tool.WaitForMessageBox();
    ASSERT_TRUE(box) << "no start-up error (" << tool.Describe() << ")";
    EXPECT_EQ(box->text, "载入启动窗口失败");
    EXPECT_EQ(box->title, "Tellwick1.4");
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(static_cast<DWORD>(-1)));
}

}  // namespace

namespace {

// A drive wide enough that its walk lasts well beyond a few round trips to the tool, with a client
// at X:\\Games. Laid out once for the tests that need it: under Wine that takes many seconds.
const TempTree& WideDrive() {
    static const TempTree tree;
    static const bool laidOut = [] {
        for (int i = 0; i < 40; ++i) {
            for (int j = 0; j < 40; ++j) {
                Text relative = "d";
                relative.append(std::to_string(i)).append("\\e").append(std::to_string(j)).append("\\f\\g");
                CreateFolders(tree / relative);
            }
        }
        tree.File("Other\\system.yaml", "other software\r\n");
        tree.File("Games\\LeagueClient\\system.yaml", "---\r\n");
        return true;
    }();
    (void)laidOut;
    return tree;
}

// Polls until `condition` holds, for up to five seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 500 && !condition(); ++i)
        Sleep(10);
    return condition();
}

TEST_F(TellwickExeTest, ChoosingADriveInItsListSearchesWhileTheWindowStaysUsable) {
    TestDrive gameDrive('X', WideDrive().Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    ASSERT_TRUE(tool.ChooseDriveInList('X'));

    // The list closes and lets go of the mouse at once, not when the walk is over.
    HWND combo = tool.ControlWindow(Control::驱动器框2);
    EXPECT_TRUE(Eventually([&] { return !SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0); }));
    ASSERT_EQ(tool.Caption(Control::标签3), texts::kDrivePrompt)
        << "the list stayed open for the whole search";
    EXPECT_EQ(tool.ThreadState().hwndCapture, nullptr);
    // Tab moves the focus on while the drive is walked.
    tool.PressKey(VK_TAB);
    HWND next = tool.ControlWindow(Control::按钮3);
    EXPECT_TRUE(Eventually([&] { return tool.ThreadState().hwndFocus == next; }));
    EXPECT_EQ(tool.Caption(Control::标签3), texts::kDrivePrompt) << "Tab took effect only after the search";

    EXPECT_TRUE(tool.WaitForCaption(Control::标签3, "X:\\Games")) << tool.Caption(Control::标签3);
    // Finding the root reports nothing else.
    EXPECT_EQ(tool.Caption(Control::标签4), "");
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

// Wine lets the tool open \\.\P: when the prefix names an image as P's device, as Windows lets an
// administrator open a volume: the tool then reads the image's file table instead of walking.
TEST_F(TellwickExeTest, ChoosingAnNtfsDriveThatOpensAsAVolumeShowsTheRootTheWalkFinds) {
    TestDrive ntfsDrive('P', NtfsMount("mixed"), "Games");
    ASSERT_TRUE(ntfsDrive.Ready());
    ProgramState walked;
    FakeControlPort walkedUi;
    walkedUi.drive = "P";
    OnDriveChosen(walked, walkedUi);
    ASSERT_FALSE(walked.InstallRoot.empty());

    TestVolumeDevice device('P', NtfsImage("mixed"));
    ASSERT_TRUE(device.Ready());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    tool.ChooseDrive('P');
    EXPECT_TRUE(tool.WaitForCaption(Control::标签3, walked.InstallRoot)) << tool.Caption(Control::标签3);
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(TellwickExeTest, ClosingTheWindowDuringASearchEndsTheProcessPromptly) {
    TestDrive bigDrive('X', WideDrive().Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());

    tool.ChooseDrive('X');
    Sleep(100);
    const DWORD closedAt = GetTickCount();
    tool.Close();
    EXPECT_EQ(tool.WaitForExit(5000), std::optional<DWORD>(0));
    EXPECT_LT(GetTickCount() - closedAt, 1500u);
}

}  // namespace

namespace {

// A client install as the game leaves it: configuration, Cross folder, logs, home page.
void LayOutClient(const TempTree& drive) {
    drive.File("Games\\LOL\\Game\\Config\\game.cfg", "[General]\r\nWindowMode=2\r\nHeight=1080\r\n");
    drive.File("Games\\LOL\\Cross\\Data\\cross.dat", "cross");
    drive.File("Games\\LOL\\LeagueClient\\system.yaml", "---\r\nclient: own\r\n");
    drive.File("Games\\LOL\\LeagueClient\\LeagueClient.log", "log");
    drive.File("Games\\LOL\\Logs\\patcher.log", "log");
    drive.File("Games\\LOL\\Logs\\notes.txt", "keep");
}

TEST_F(TellwickExeTest, OptimizeRunsEveryTickedStepOnTheChosenDrive) {
    LauncherNameLock launcherName;
    TempTree games;
    LayOutClient(games);
    TestDrive gameDrive('X', games.Path());
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    OptimizeAllOnClientDrive(tool);
    ASSERT_TRUE(tool.WaitForCaption(Control::标签4, texts::kOptimizeDone)) << tool.Caption(Control::标签4);
    EXPECT_TRUE(tool.Ticked(Control::选择框_DX11));

    const Text root = games / "Games\\LOL";
    EXPECT_EQ(ReadBytes(JoinPath(root, "Game\\Config\\game.cfg.bak")),
              "[General]\r\nWindowMode=2\r\nHeight=1080\r\n");
    EXPECT_NE(ReadBytes(JoinPath(root, "Game\\Config\\game.cfg")).find("DX11BetaTest=1"), std::string::npos);
    EXPECT_EQ(ReadBytes(JoinPath(root, "Crossbak\\Data\\cross.dat")), "cross");
    EXPECT_TRUE(IsFolder(JoinPath(root, "Cross")));
    EXPECT_FALSE(PathExists(JoinPath(root, "Cross\\Data")));
    EXPECT_FALSE(PathExists(JoinPath(root, "LeagueClient\\LeagueClient.log")));
    EXPECT_FALSE(PathExists(JoinPath(root, "Logs\\patcher.log")));
    EXPECT_TRUE(PathExists(JoinPath(root, "Logs\\notes.txt")));
    EXPECT_EQ(ReadBytes(JoinPath(root, "LeagueClient\\system.yaml")), "---\r\nclient: own\r\n");

    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

// The way back through the system menu, as a script or the user reaches it, on the client the
// optimize command changed: everything of it back, and the record of both in the user's own
// %LOCALAPPDATA% of the prefix.
TEST_F(TellwickExeTest, UndoFromTheSystemMenuPutsTheClientBackAndRecordsBoth) {
    LauncherNameLock launcherName;
    TempTree games;
    LayOutClient(games);
    TestDrive gameDrive('X', games.Path());
    std::optional<std::wstring> recordPath;
    {
        const ScopedKnownFolderCalls platformsOwn({});
        recordPath = ChangeRecordPath();
    }
    ASSERT_TRUE(recordPath);
    std::string before;
    ReadWholeFile(*recordPath, before);
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    OptimizeAllOnClientDrive(tool);
    ASSERT_TRUE(tool.WaitForCaption(Control::标签4, texts::kOptimizeDone)) << tool.Caption(Control::标签4);

    PostMessageW(tool.Window(), WM_SYSCOMMAND, 0x0110, 0);
    const std::optional<MessageBoxSeen> question = tool.WaitForMessageBox(30000, true, IDYES);
    ASSERT_TRUE(question);
    EXPECT_EQ(question->title, texts::kUndoQuestionTitle);
    ASSERT_TRUE(tool.WaitForCaption(Control::标签4, texts::kUndoDone)) << tool.Caption(Control::标签4);

    const Text root = games / "Games\\LOL";
    EXPECT_EQ(ReadBytes(JoinPath(root, "Game\\Config\\game.cfg")),
              "[General]\r\nWindowMode=2\r\nHeight=1080\r\n");
    EXPECT_EQ(ReadBytes(JoinPath(root, "Cross\\Data\\cross.dat")), "cross");
    EXPECT_FALSE(PathExists(JoinPath(root, "Crossbak")));
    EXPECT_FALSE(PathExists(JoinPath(root, "LeagueClient\\LeagueClient.log"))) << "logs do not come back";
    std::string after;
    ASSERT_TRUE(ReadWholeFile(*recordPath, after));
    const std::string added = after.substr(before.size());
    EXPECT_NE(added.find("\tX:\\Games\\LOL\tCross "), std::string::npos) << added;
    EXPECT_NE(added.find("\tX:\\Games\\LOL\t" + ToUtf8(texts::kRecordUndoPrefix)), std::string::npos)
        << added;

    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

TEST_F(TellwickExeTest, OptimizeRefusesWhileTheLauncherRuns) {
    LauncherNameLock launcherName;
    TempTree games, launcherFolder;
    LayOutClient(games);
    TestDrive gameDrive('X', games.Path());
    StandInProcess launcher(launcherFolder.Path(), "WeGame.exe");
    ASSERT_NE(launcher.Id(), 0u);
    TellwickProcess tool(ToolPath(), "C:\\");
    ASSERT_TRUE(tool.Started());
    OptimizeAllOnClientDrive(tool);
    const std::optional<MessageBoxSeen> refusal = tool.WaitForMessageBox();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, texts::kLauncherRunningMessage);
    EXPECT_EQ(refusal->title, texts::kLauncherRunningTitle);
    tool.Settle();
    EXPECT_EQ(tool.Caption(Control::标签4), "");
    EXPECT_TRUE(IsFolder(games / "Games\\LOL\\Cross\\Data"));
    EXPECT_FALSE(PathExists(games / "Games\\LOL\\Game\\Config\\game.cfg.bak"));

    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace

namespace {

// A string of the executable's version resource, as Explorer's Details tab reads it.
Text VersionString(const std::vector<BYTE>& info, const char* block, const char* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\" + ToWide(block) + L"\\" + ToWide(name);
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0)
        return "(missing)";
    return WideToAnsi(static_cast<const wchar_t*>(value));
}

TEST(TellwickExeVersionTest, NamesThePublisherAndDescribesItselfInEnglishAndChinese) {
    const std::wstring exe = ToWide(TellwickExePath());
    std::vector<BYTE> info(GetFileVersionInfoSizeW(exe.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    const std::pair<const char*, Text> languages[] = {{"040904B0", "Tellwick game client tuner"},
                                                      {"080404B0", "Tellwick 游戏客户端优化工具"}};
    for (const auto& [block, description] : languages) {
        EXPECT_EQ(VersionString(info, block, "FileDescription"), description) << block;
        EXPECT_EQ(VersionString(info, block, "CompanyName"), "The Tellwick authors") << block;
        EXPECT_EQ(VersionString(info, block, "LegalCopyright"), "Copyright (c) 2026 The Tellwick authors")
            << block;
        EXPECT_EQ(VersionString(info, block, "ProductVersion"), "1.4") << block;
    }
}

}  // namespace
