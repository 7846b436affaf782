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

// ReplaceFileW as it succeeds: the target goes to the backup name, the new file to the target's.
BOOL Swap(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
    return MoveFileExW(replaced, backup, 0) && MoveFileExW(replacement, replaced, 0);
}

// 1177: the target stands under the backup name, the new file under its own, having taken over the
// target's attributes.
BOOL Fail1177(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup) {
    const DWORD attributes = GetFileAttributesW(replaced);
    if (!MoveFileExW(replaced, backup, 0) || !SetFileAttributesW(replacement, attributes))
        return FALSE;
    return Fail(ERROR_UNABLE_TO_MOVE_REPLACEMENT_2);
}

bool EndsWith(const wchar_t* text, std::wstring_view end) {
    return std::wstring_view(text).ends_with(end);
}

struct Outcome {
    bool ok;
    DWORD error;
    const std::string* content;  // under the target's name; null: the name is empty
    int calls;                   // of the stand-in that answers
};

struct Case {
    const char* what;
    std::function<FileWriteCalls(int& calls)> calls;
    Outcome expected;
};

TEST(FileWriteTest, EveryWayThePlacementFailsLeavesTheTargetWholeUnderItsName) {
    const std::vector<Case> cases = {
        {"ReplaceFileW succeeds; the former content under the backup name goes",
         [](int& calls) {
             return FileWriteCalls{[&](auto a, auto b, auto c) { return ++calls, Swap(a, b, c); }, {}, {}};
         },
         {true, ERROR_SUCCESS, &kNew, 1}},
        {"1175: both files keep their names; tried again, then given up",
         [](int& calls) {
             return FileWriteCalls{
                 [&](auto, auto, auto) { return ++calls, Fail(ERROR_UNABLE_TO_REMOVE_REPLACED); }, {}, {}};
         },
         {false, ERROR_UNABLE_TO_REMOVE_REPLACED, &kOld, 10}},
        {"1176 with a backup name: both files keep their names",
         [](int& calls) {
             return FileWriteCalls{
                 [&](auto, auto, auto) { return ++calls, Fail(ERROR_UNABLE_TO_MOVE_REPLACEMENT); }, {}, {}};
         },
         {false, ERROR_UNABLE_TO_MOVE_REPLACEMENT, &kOld, 10}},
        {"1177: the former content goes back under the target's name",
         [](int& calls) {
             return FileWriteCalls{
                 [&](auto a, auto b, auto c) { return ++calls, Fail1177(a, b, c); }, {}, {}};
         },
         {false, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, &kOld, 1}},
        {"1177 and the former content cannot go back: the new file takes the name",
         [](int& calls) {
             return FileWriteCalls{[&](auto a, auto b, auto c) { return ++calls, Fail1177(a, b, c); },
                                   [](auto from, auto to, DWORD flags) {
                                       return EndsWith(from, L"-replaced") ? Fail(ERROR_ACCESS_DENIED)
                                                                           : MoveFileExW(from, to, flags);
                                   },
                                   {}};
         },
         {true, ERROR_SUCCESS, &kNew, 1}},
        {"1177 and neither can take the name: the former content waits beside it",
         [](int& calls) {
             return FileWriteCalls{[&](auto a, auto b, auto c) { return ++calls, Fail1177(a, b, c); },
                                   [](auto, auto, DWORD) { return Fail(ERROR_ACCESS_DENIED); },
                                   {}};
         },
         {false, kErrorFormerContentSetAside, nullptr, 1}},
        {"a sharing violation that clears after three tries",
         [](int& calls) {
             return FileWriteCalls{[&](auto a, auto b, auto c) {
                                       return ++calls <= 3 ? Fail(ERROR_SHARING_VIOLATION) : Swap(a, b, c);
                                   },
                                   {},
                                   {}};
         },
         {true, ERROR_SUCCESS, &kNew, 4}},
        {"a lock that does not clear",
         [](int& calls) {
             return FileWriteCalls{
                 [&](auto, auto, auto) { return ++calls, Fail(ERROR_LOCK_VIOLATION); }, {}, {}};
         },
         {false, ERROR_LOCK_VIOLATION, &kOld, 10}},
        {"a refusal that is no passing one is not tried again",
         [](int& calls) {
             return FileWriteCalls{[&](auto, auto, auto) { return ++calls, Fail(ERROR_DISK_FULL); }, {}, {}};
         },
         {false, ERROR_DISK_FULL, &kOld, 1}},
    };
    using Writer = std::function<SysResult(const TempTree&, const Text&)>;
    const std::vector<std::pair<const char*, Writer>> writers = {
        {"WriteFileWhole", [](const TempTree&, const Text& target) { return WriteFileWhole(target, kNew); }},
        {"CopyFileWhole", [](const TempTree& tree, const Text& target) {
             return CopyFileWhole(tree.File("source", kNew), target);
         }}};
    for (const auto& [writerName, write] : writers) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(writerName) + ": " + c.what);
            TempTree tree;
            const Text folder = tree.Folder("LeagueClient");
            const Text target = tree.File("LeagueClient\\system.yaml", kOld);
            int calls = 0;
            SysResult result = SysResult::Success();
            {
                const ScopedFileWriteCalls standIns(c.calls(calls));
                result = write(tree, target);
            }
            EXPECT_EQ(result.Ok(), c.expected.ok);
            EXPECT_EQ(result.Error(), c.expected.error);
            EXPECT_EQ(calls, c.expected.calls);
            const std::vector<std::wstring> entries = FolderEntries(folder);
            if (c.expected.content) {
                EXPECT_EQ(ReadBytes(target), *c.expected.content);
                EXPECT_EQ(entries, std::vector<std::wstring>{L"system.yaml"}) << "nothing is left beside";
                continue;
            }
            // Stranded: the one file beside holds the former content, and the next write puts it
            // back under its name before it writes.
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
    struct Command {
        const char* name;
        std::function<void(const ProgramState&, FakeControlPort&)> run;
        const char* file;
        const Text& setAside;
        const Text& unchanged;
    };
    const Command commands[] = {
        {"ReplaceHomePage", ReplaceHomePage, "LeagueClient\\system.yaml", texts::kHomePageSetAsideReplace,
         texts::kHomePageWriteFailed},
        {"RestoreHomePage", RestoreHomePage, "LeagueClient\\system.yaml", texts::kHomePageSetAsideRestore,
         texts::kHomePageRestoreFailed},
        {"EnableDx11TestMode",
         [](const ProgramState& state, FakeControlPort& ui) {
             if (const Dx11Outcome outcome = EnableDx11TestMode(state); !outcome)
                 ui.ShowMessageBox(*outcome.failure, 0, "");
         },
         "Game\\Config\\game.cfg", texts::kDx11SetAsideEnable, texts::kDx11EnableFailed},
        {"DisableDx11TestMode", DisableDx11TestMode, "Game\\Config\\game.cfg", texts::kDx11SetAsideDisable,
         texts::kDx11DisableFailed},
    };
    for (const Command& command : commands) {
        for (const bool movesRefused : {false, true}) {
            SCOPED_TRACE(std::string(command.name) + (movesRefused ? ": set aside" : ": put back"));
            TempTree tree;
            const Text target = tree.File(command.file, kOld);
            WriteBytes(target + ".bak", kOld);
            FakeControlPort ui;
            ui.captions[Control::标签3] = tree.Path();
            {
                const ScopedFileWriteCalls standIns({Fail1177,
                                                     [&](auto from, auto to, DWORD flags) {
                                                         return movesRefused ? Fail(ERROR_ACCESS_DENIED)
                                                                             : MoveFileExW(from, to, flags);
                                                     },
                                                     {}});
                command.run(ProgramState{tree.Path(), {}}, ui);
            }
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].text, movesRefused ? command.setAside : command.unchanged);
            EXPECT_EQ(PathExists(target), !movesRefused);
            EXPECT_NE(ui.Status(), texts::kHomePageReplaced);
            EXPECT_NE(ui.Status(), texts::kHomePageRestored);
        }
    }
}

TEST(FileWriteTest, ARefusalThatPassesIsWaitedOut) {
    {
        // Under Wine a rename over a file that another program holds without FILE_SHARE_DELETE is
        // refused, as Windows refuses ReplaceFileW: a scanner that lets go in time costs nothing.
        SCOPED_TRACE("another program holds the target for 300 ms");
        TempTree tree;
        const Text target = tree.File("game.cfg", kOld);
        UniqueFile held(CreateFileW(ToWide(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held.Valid());
        std::thread scanner([&] {
            Sleep(300);
            held.Reset();
        });
        const SysResult written = WriteFileWhole(target, kNew);
        scanner.join();
        EXPECT_TRUE(written) << written.Error();
        EXPECT_EQ(ReadBytes(target), kNew);
        EXPECT_EQ(FolderEntries(tree.Path()).size(), 1u);
    }
    {
        SCOPED_TRACE("the backup's move is refused three times");
        TempTree tree;
        const Text source = tree.File("game.cfg", kOld);
        int calls = 0;
        const ScopedFileWriteCalls standIns({{},
                                             [&](auto from, auto to, DWORD flags) {
                                                 return ++calls <= 3 ? Fail(ERROR_SHARING_VIOLATION)
                                                                     : MoveFileExW(from, to, flags);
                                             },
                                             {}});
        EXPECT_TRUE(CopyFileOnce(source, source + ".bak"));
        EXPECT_EQ(calls, 4);
        EXPECT_EQ(ReadBytes(source + ".bak"), kOld);
        EXPECT_EQ(FolderEntries(tree.Path()).size(), 2u);
    }
}

TEST(FileWriteTest, LeftoversOfEndedRunsGoAndThoseOfRunningOnesStay) {
    TempTree tree;
    std::uint32_t ended = 0;
    {
        const StandInProcess run(tree.Path(), "ended.exe");
        ended = run.Id();
    }
    const StandInProcess running(tree.Path(), "running.exe");
    ASSERT_NE(ended, 0u);
    ASSERT_NE(running.Id(), 0u);
    const std::string e = std::to_string(ended);
    const std::string r = std::to_string(running.Id());
    const Text folder = tree.Folder("Config");
    const Text target = folder + "\\game.cfg";

    // The target's name is empty: the former content that an ended run left beside goes back first.
    tree.File("Config\\game.cfg.tellwick-" + e + "-7-replaced", kOld);
    tree.File("Config\\game.cfg.tellwick-" + e + "-8", std::string(1 << 20, 'x'));
    EXPECT_TRUE(WriteProfileStringWhole("General", "DX11BetaTest", "1", target));
    EXPECT_EQ(ReadBytes(target), kOld + "DX11BetaTest=1\r\n");
    EXPECT_EQ(FolderEntries(folder), std::vector<std::wstring>{L"game.cfg"});

    const std::vector<std::string> kept = {
        "game.cfg.tellwick-" + r + "-1",     "game.cfg.tellwick-" + r + "-2-replaced",
        "game.cfg.tellwick-notes",           "game.cfg.tellwick-" + e + "-3.txt",
        "game.cfg.tellwick-" + e + "-",      "game.cfg.tellwick-99999999999-1",
        "game.cfg.bak.tellwick-" + e + "-4", "game.cfg.tellwick-" + e + "-5-replaced-2",
    };
    for (const std::string& name : kept)
        tree.File("Config\\" + name, "kept");
    tree.File("Config\\game.cfg.tellwick-" + e + "-6", "a new file of an ended run");
    tree.File("Config\\game.cfg.tellwick-" + e + "-9-replaced", "the former content, now stale");
    EXPECT_TRUE(WriteFileWhole(target, kNew));
    EXPECT_EQ(ReadBytes(target), kNew);
    std::vector<std::wstring> expected = {L"game.cfg"};
    for (const std::string& name : kept)
        expected.push_back(ToWide(name));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderEntries(folder), expected);
}

}  // namespace
