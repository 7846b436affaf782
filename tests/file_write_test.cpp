// Whole-file writes when putting the new file in place fails: each way Windows documents for
// ReplaceFileW, acted out on real files through the platform's stand-ins, refusals that pass, and
// what killed runs leave beside a file.
#include "platform/file_write.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/handles.h"
#include "support/fake_control_port.h"
#include "support/stand_in_process.h"
#include "support/temp_tree.h"
#include "tuning/dx11_switch.h"
#include "tuning/home_page.h"

namespace {

const std::string kOld = "[General]\r\nWindowMode=2\r\n";
const std::string kNew = "the new content\r\n";

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

// What the stand-in ReplaceFileW does: swap the names (the target to the backup name, the new file
// to the target's), fail leaving both names as they were, or fail with 1177 as Windows documents
// it: the target under the backup name, the new file under its own with the target's attributes;
// or fail after another program (a scanner's quarantine) took the new file away.
enum class Replace { kSwap, kFail, k1177, kSharingThenSwap, kNewFileTaken };
// Which moves the stand-in MoveFileExW refuses.
enum class Moves { kNone, kBack, kAll };

FileWriteCalls StandIns(Replace replace, DWORD failure, Moves refused, int& calls) {
    const auto swap = [](const wchar_t* target, const wchar_t* replacement, const wchar_t* backup) {
        return MoveFileExW(target, backup, 0) && MoveFileExW(replacement, target, 0) ? TRUE : FALSE;
    };
    return {[=, &calls](const wchar_t* target, const wchar_t* replacement, const wchar_t* backup) {
                ++calls;
                if (replace == Replace::kSwap || (replace == Replace::kSharingThenSwap && calls > 3))
                    return swap(target, replacement, backup);
                if (replace == Replace::k1177) {
                    const DWORD attributes = GetFileAttributesW(target);
                    MoveFileExW(target, backup, 0);
                    SetFileAttributesW(replacement, attributes);
                }
                if (replace == Replace::kNewFileTaken)
                    DeleteFileW(replacement);
                return Fail(failure);
            },
            [=](const wchar_t* from, const wchar_t* to, DWORD flags) {
                const bool back = std::wstring_view(from).ends_with(L"-replaced");
                if (refused == Moves::kAll || (refused == Moves::kBack && back))
                    return Fail(ERROR_ACCESS_DENIED);
                return MoveFileExW(from, to, flags);
            },
            {}};
}

TEST(FileWriteTest, EveryWayThePlacementFailsLeavesTheTargetWholeUnderItsName) {
    struct Case {
        const char* what;
        Replace replace;
        DWORD failure;
        Moves refused;
        DWORD error;                 // the write's; ERROR_SUCCESS for a write that took
        const std::string* content;  // under the target's name; null: the former content is set aside
        int calls;                   // of ReplaceFileW
        bool readOnly = false;       // the target
    };
    const Case cases[] = {
        {"success: the former content under the backup name goes", Replace::kSwap, 0, Moves::kNone,
         ERROR_SUCCESS, &kNew, 1},
        {"1175: tried again, then given up", Replace::kFail, ERROR_UNABLE_TO_REMOVE_REPLACED, Moves::kNone,
         ERROR_UNABLE_TO_REMOVE_REPLACED, &kOld, 10},
        {"1176 with a backup name", Replace::kFail, ERROR_UNABLE_TO_MOVE_REPLACEMENT, Moves::kNone,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT, &kOld, 10},
        {"1177: the former content goes back", Replace::k1177, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2,
         Moves::kNone, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, &kOld, 1},
        {"1177, no way back: the new file takes the name", Replace::k1177, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2,
         Moves::kBack, ERROR_SUCCESS, &kNew, 1},
        {"1177, neither can take the name", Replace::k1177, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, Moves::kAll,
         kErrorFormerContentSetAside, nullptr, 1},
        {"a sharing violation that clears after three tries", Replace::kSharingThenSwap,
         ERROR_SHARING_VIOLATION, Moves::kNone, ERROR_SUCCESS, &kNew, 4},
        {"a lock that does not clear", Replace::kFail, ERROR_LOCK_VIOLATION, Moves::kNone,
         ERROR_LOCK_VIOLATION, &kOld, 10},
        {"no passing refusal: not tried again", Replace::kFail, ERROR_DISK_FULL, Moves::kNone,
         ERROR_DISK_FULL, &kOld, 1},
        {"the new file taken away: the target was not replaced", Replace::kNewFileTaken,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT, Moves::kNone, ERROR_UNABLE_TO_MOVE_REPLACEMENT, &kOld, 1},
        {"a read-only target stays as it is", Replace::kSwap, 0, Moves::kNone, ERROR_ACCESS_DENIED, &kOld, 0,
         true},
    };
    for (const bool copy : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(copy ? "CopyFileWhole: " : "WriteFileWhole: ") + c.what);
            TempTree tree;
            const Text source = tree.File("source", kNew);
            const Text folder = tree.Folder("LeagueClient");
            const Text target = tree.File("LeagueClient\\system.yaml", kOld);
            if (c.readOnly)
                SetFileAttributesW(ToWide(target).c_str(), FILE_ATTRIBUTE_READONLY);
            int calls = 0;
            SysResult result = SysResult::Success();
            {
                const ScopedFileWriteCalls standIns(StandIns(c.replace, c.failure, c.refused, calls));
                result = copy ? CopyFileWhole(source, target) : WriteFileWhole(target, kNew);
            }
            EXPECT_EQ(result.Error(), c.error);
            EXPECT_EQ(calls, c.calls);
            const std::vector<std::wstring> entries = FolderEntries(folder);
            if (c.content) {
                EXPECT_EQ(ReadBytes(target), *c.content);
                EXPECT_EQ(entries, std::vector<std::wstring>{L"system.yaml"}) << "nothing is left beside";
                continue;
            }
            // The one file beside holds the former content; the next write puts it back first.
            ASSERT_EQ(entries.size(), 1u);
            EXPECT_TRUE(entries[0].starts_with(L"system.yaml.tellwick-") &&
                        entries[0].ends_with(L"-replaced"));
            EXPECT_EQ(ReadBytes(folder + "\\" + WideToAnsi(entries[0])), kOld);
            EXPECT_TRUE(WriteProfileStringWhole("General", "DX11BetaTest", "1", target));
            EXPECT_EQ(ReadBytes(target), kOld + "DX11BetaTest=1\r\n");
            EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"system.yaml"});
        }
    }
}

TEST(FileWriteTest, EachCommandSaysWhereTheFileIsWhenWindowsCannotPutItBack) {
    const auto enable = [](const ProgramState& state, FakeControlPort& ui) {
        if (const Dx11Outcome outcome = EnableDx11TestMode(state); !outcome)
            ui.ShowMessageBox(*outcome.failure, 0, "");
    };
    struct Command {
        std::function<void(const ProgramState&, FakeControlPort&)> run;
        const char* file;
        const Text& setAside;
        const Text& putBack;
    };
    const Command commands[] = {
        {ReplaceHomePage, "LeagueClient\\system.yaml", texts::kHomePageSetAsideReplace,
         texts::kHomePageWriteFailed},
        {RestoreHomePage, "LeagueClient\\system.yaml", texts::kHomePageSetAsideRestore,
         texts::kHomePageRestoreFailed},
        {enable, "Game\\Config\\game.cfg", texts::kDx11SetAsideEnable, texts::kDx11EnableFailed},
        {DisableDx11TestMode, "Game\\Config\\game.cfg", texts::kDx11SetAsideDisable,
         texts::kDx11DisableFailed},
    };
    for (const Command& command : commands) {
        for (const Moves refused : {Moves::kNone, Moves::kAll}) {
            SCOPED_TRACE(std::string(command.file) + (refused == Moves::kAll ? ": set aside" : ": put back"));
            TempTree tree;
            const Text target = tree.File(command.file, kOld);
            WriteBytes(target + ".bak", kOld);
            FakeControlPort ui;
            ui.captions[Control::标签3] = tree.Path();
            int calls = 0;
            {
                const ScopedFileWriteCalls standIns(
                    StandIns(Replace::k1177, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, refused, calls));
                command.run(ProgramState{tree.Path(), {}}, ui);
            }
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, refused == Moves::kAll ? command.setAside : command.putBack);
            EXPECT_EQ(PathExists(target), refused == Moves::kNone);
            EXPECT_EQ(ui.Status(), "") << "no success text";
        }
    }
}

TEST(FileWriteTest, ARefusalThatPassesIsWaitedOut) {
    // Wine refuses a rename over a file that another program holds open, as Windows refuses
    // ReplaceFileW over one held without FILE_SHARE_DELETE: a scanner that lets go in time costs
    // nothing.
    TempTree tree;
    const Text target = tree.File("game.cfg", kOld);
    UniqueFile held(CreateFileW(ToWide(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr));
    ASSERT_TRUE(held.Valid());
    std::thread scanner([&] {
        Sleep(300);
        held.Reset();
    });
    const SysResult written = WriteFileWhole(target, kNew);
    scanner.join();
    EXPECT_TRUE(written) << written.Error();
    EXPECT_EQ(ReadBytes(target), kNew);

    // The backup's move, refused three times.
    int refusals = 0;
    const ScopedFileWriteCalls standIns({{},
                                         [&](const wchar_t* from, const wchar_t* to, DWORD flags) {
                                             return ++refusals <= 3 ? Fail(ERROR_SHARING_VIOLATION)
                                                                    : MoveFileExW(from, to, flags);
                                         },
                                         {}});
    EXPECT_TRUE(CopyFileOnce(target, target + ".bak"));
    EXPECT_EQ(ReadBytes(target + ".bak"), kNew);
    EXPECT_EQ(FolderEntries(tree.Path()), (std::vector<std::wstring>{L"game.cfg", L"game.cfg.bak"}));

    // Windows' INI writer refused three times, and the copy it wrote then held by a scanner.
    const Text config = tree.File("other.cfg", kOld);
    int writerRefusals = 0;
    std::thread release;
    {
        const ScopedFileWriteCalls writer(
            {{},
             {},
             [&](const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* file) {
                 if (++writerRefusals <= 3)
                     return Fail(ERROR_SHARING_VIOLATION);
                 const BOOL written = WritePrivateProfileStringW(section, key, value, file);
                 held.Reset(
                     CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
                 release = std::thread([&] {
                     Sleep(300);
                     held.Reset();
                 });
                 return written;
             }});
        EXPECT_TRUE(WriteProfileStringWhole("General", "DX11BetaTest", "1", config));
    }
    if (release.joinable())
        release.join();
    EXPECT_EQ(ReadBytes(config), kOld + "DX11BetaTest=1\r\n");
}

TEST(FileWriteTest, ABackupAnotherCopyMadeMeanwhileStands) {
    TempTree tree;
    const Text target = tree.File("game.cfg", kNew);
    // The other copy takes the backup's name just before this one's move.
    const ScopedFileWriteCalls standIns({{},
                                         [](const wchar_t* from, const wchar_t* to, DWORD flags) {
                                             WriteBytes(WideToAnsi(to), kOld);
                                             return MoveFileExW(from, to, flags);
                                         },
                                         {}});
    EXPECT_TRUE(CopyFileOnce(target, target + ".bak"));
    EXPECT_EQ(ReadBytes(target + ".bak"), kOld);
    EXPECT_EQ(FolderEntries(tree.Path()), (std::vector<std::wstring>{L"game.cfg", L"game.cfg.bak"}));
}

TEST(FileWriteTest, LeftoversOfEndedRunsGoAndThoseOfRunningOnesStay) {
    TempTree tree;
    std::uint32_t ended = 0;
    {
        const StandInProcess run(tree.Path(), "ended.exe");
        ended = run.Id();
    }
    // Files made before `running` started and then given its id, as a run whose id was reused
    // left them; past the slack allowed for coarse file times.
    tree.File("made\\put back", kOld);
    tree.File("made\\new", "a new file of a run whose id was reused");
    tree.File("made\\as the target", kOld + "DX11BetaTest=1\r\n");
    Sleep(2100);
    const StandInProcess running(tree.Path(), "running.exe");
    ASSERT_NE(ended, 0u);
    ASSERT_NE(running.Id(), 0u);
    const std::string e = "game.cfg.tellwick-" + std::to_string(ended);
    const std::string r = "game.cfg.tellwick-" + std::to_string(running.Id());
    const Text folder = tree.Folder("Config");
    const Text target = folder + "\\game.cfg";
    const auto reused = [&](const char* made, const std::string& name) {
        EXPECT_TRUE(MoveFileW(ToWide(tree / (std::string("made\\") + made)).c_str(),
                              ToWide(folder + "\\" + name).c_str()));
    };

    // The target's name is empty: the former content that an ended run set aside (its id now
    // another process's) goes back first, and a command backs that up before it writes.
    reused("put back", r + "-7-replaced");
    tree.File("Config\\" + e + "-8", std::string(1 << 20, 'x'));
    EXPECT_TRUE(WriteProfileStringWhole("General", "DX11BetaTest", "1", target));
    EXPECT_EQ(ReadBytes(target), kOld + "DX11BetaTest=1\r\n");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"game.cfg"});
    const Text yaml = tree.Folder("LeagueClient") + "\\system.yaml";
    tree.File("LeagueClient\\system.yaml.tellwick-" + std::to_string(ended) + "-1-replaced", kOld);
    FakeControlPort ui;
    ReplaceHomePage(ProgramState{tree.Path(), {}}, ui);
    EXPECT_EQ(ReadBytes(yaml + ".bak"), kOld);
    tree.File("Game\\Config\\game.cfg.tellwick-" + std::to_string(ended) + "-1-replaced", kOld);
    EXPECT_TRUE(EnableDx11TestMode(ProgramState{tree.Path(), {}}));
    EXPECT_EQ(ReadBytes(tree / "Game\\Config\\game.cfg.bak"), kOld);

    // The target stands: a former content goes only where the target or its backup holds its bytes.
    std::vector<std::string> kept = {r + "-1",
                                     r + "-2-replaced",
                                     "game.cfg.tellwick-notes",
                                     e + "-3.txt",
                                     e + "-",
                                     e + "-5-replaced-2",
                                     "game.cfg.tellwick-99999999999-1",
                                     "game.cfg.bak.tellwick-" + std::to_string(ended) + "-4",
                                     "game.cfg.bak"};
    for (const std::string& name : kept)
        tree.File("Config\\" + name, "kept");
    tree.File("Config\\" + e + "-6", "a new file of an ended run");
    tree.File("Config\\" + e + "-9-replaced", kOld + "DX11BetaTest=1\r\n");
    tree.File("Config\\" + e + "-10-replaced", "kept");
    tree.File("Config\\" + e + "-11-replaced", "the only copy of a former content");
    reused("new", r + "-12");
    reused("as the target", r + "-13-replaced");
    EXPECT_TRUE(WriteFileWhole(target, kNew));
    kept.push_back("game.cfg");
    kept.push_back(e + "-11-replaced");
    std::vector<std::wstring> expected;
    for (const std::string& name : kept)
        expected.push_back(ToWide(name));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(folder), expected);
}

}  // namespace
