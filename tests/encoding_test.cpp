// AnsiToWide decodes GBK whatever the process's code page is.
#include "platform/encoding.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(EncodingTest, EmptyTextGivesTheEmptyBlock) {
    const WideBlock block = AnsiToWide("");
    EXPECT_TRUE(block.Empty());
    EXPECT_EQ(block.Bytes(), 0u);
    EXPECT_EQ(block.Data(), nullptr);
}

TEST(EncodingTest, AsciiPathGivesItsUnitsAndOneNul) {
    const WideBlock block = AnsiToWide("\\Game\\Config");
    EXPECT_EQ(block.Bytes(), 26u);
    EXPECT_EQ(block.Units(), 13u);
    EXPECT_EQ(std::wstring(block.Data()), L"\\Game\\Config");
    EXPECT_EQ(block.Data()[12], L'\0');
}

TEST(EncodingTest, ChineseTextGivesOneUnitPerCharacter) {
    const Text gbk = "游戏英雄联盟";  // six characters, twelve bytes in GBK
    ASSERT_EQ(gbk.size(), 12u);
    const WideBlock block = AnsiToWide(gbk);
    EXPECT_EQ(block.Units(), 7u);
    EXPECT_EQ(block.View(), L"游戏英雄联盟");
    EXPECT_EQ(WideToAnsi(block.View()), gbk);
}

TEST(EncodingTest, DecodesAsGbkWhateverTheProcessCodePage) {
    // The literal is GBK, so under code page 1252 the system's own conversion would differ.
    const Text gbk = "\xD3\xCE\xCF\xB7";  // 游戏
    EXPECT_EQ(AnsiToWide(gbk).View(), L"游戏");
    if (GetACP() != 936) {
        wchar_t acp[8] = {};
        MultiByteToWideChar(CP_ACP, 0, gbk.c_str(), -1, acp, 8);
        EXPECT_NE(std::wstring(acp), L"游戏");
    }
}

TEST(EncodingTest, ANameGbkCannotHoldIsNeverAnotherName) {
    // Best fit would make "Games²" the name of another folder, "Games2".
    EXPECT_EQ(WideToAnsi(L"Games\u00b2"), "Games?");
    EXPECT_EQ(WideToAnsiExact(L"Games\u00b2"), std::nullopt);
    EXPECT_EQ(WideToAnsiExact(L"Bj\u00f6rn"), std::nullopt);
    EXPECT_EQ(WideToAnsiExact(L"\uac8c\uc784"), std::nullopt);
    EXPECT_EQ(WideToAnsiExact(L"游戏\\LeagueClient"), std::optional<Text>("游戏\\LeagueClient"));
    EXPECT_EQ(WideToAnsiExact(L""), std::optional<Text>(""));
}

}  // namespace
