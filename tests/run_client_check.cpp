// The Windows side of run_client_test.sh: started in the Wine prefix where scripts/run.sh --client
// started the tool, it checks that the letter the script printed is in the drive box and that
// choosing it finds the client in the user's folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/encoding.h"
#include "support/tellwick_process.h"

namespace {

Text Environment(const wchar_t* name) {
    // Read wide: Wine 8's GetEnvironmentVariableA cuts a double-byte text after as many bytes as
    // it has characters.
    wchar_t value[1024] = L"";
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length < 1024 ? WideToAnsi(std::wstring(value, length)) : Text();
}

TEST(RunClient, ThePrintedLetterIsListedAndFindsTheClient) {
    const Text letter = Environment(L"TELLWICK_CLIENT_DRIVE");
    const Text root = Environment(L"TELLWICK_CLIENT_ROOT");
    ASSERT_EQ(letter.size(), 1u) << "TELLWICK_CLIENT_DRIVE names no drive letter";
    TellwickProcess tool{TellwickProcess::StartedElsewhere{}};
    ASSERT_TRUE(tool.Started());

    const std::vector<Text> entries = tool.DriveEntries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(),
                            [&](const Text& entry) { return entry.rfind(letter + ":", 0) == 0; }))
        << "drive " << letter << " is not in the drive box";
    tool.ChooseDrive(letter[0]);
    EXPECT_TRUE(tool.WaitForCaption(Control::标签3, root)) << tool.Caption(Control::标签3);

    tool.Close();
    EXPECT_EQ(tool.WaitForExit(), std::optional<DWORD>(0));
}

}  // namespace
