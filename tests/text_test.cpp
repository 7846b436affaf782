// GBK text operations: positions, joins, slices and backslash tests on double-byte text.
#include "platform/text.h"

#include <gtest/gtest.h>

#include "support/test_data.h"

namespace {

TEST(TextTest, FindsOnCharacterBoundariesOnly) {
    EXPECT_EQ(FindText("abc", "b"), 2);
    EXPECT_EQ(FindText("abc", "abc"), 1);
    EXPECT_EQ(FindText("abc", "x"), -1);
    EXPECT_EQ(FindText("ab", "abc"), -1);
    EXPECT_EQ(FindText("", "a"), -1);
    // The backslash inside the double-byte character is not a match; the real one after it is.
    EXPECT_EQ(FindText(kTrickyCharacter, "\\"), -1);
    EXPECT_EQ(FindText(kTrickyCharacter + "\\x", "\\"), 3);
    EXPECT_EQ(FindText("游戏\\LeagueClient", "\\LeagueClient"), 5);
}

TEST(TextTest, TextBeforeCutsInFrontOfTheFirstDelimiter) {
    EXPECT_EQ(TextBefore("D:\\Games\\LeagueClient\\system.yaml", "\\LeagueClient"), "D:\\Games");
    EXPECT_EQ(TextBefore("\\LeagueClient\\x", "\\LeagueClient"), "");
    EXPECT_EQ(TextBefore("D:\\x", "\\LeagueClient"), "");
    EXPECT_EQ(TextBefore("a|b|c", "|"), "a");
}

TEST(TextTest, JoinsAndSlices) {
    EXPECT_EQ(JoinText("D:", "\\Cross"), "D:\\Cross");
    EXPECT_EQ(JoinText("", ""), "");
    EXPECT_EQ(LeftBytes("abcdef", 2), "ab");
    EXPECT_EQ(LeftBytes("abc", 0), "");
    EXPECT_EQ(LeftBytes("abc", -1), "");
    EXPECT_EQ(LeftBytes("abc", 9), "abc");
    EXPECT_EQ(RightBytes("abcdef", 2), "ef");
    EXPECT_EQ(RightBytes("abc", 0), "");
    EXPECT_EQ(RightBytes("abc", 9), "abc");
}

TEST(TextTest, BackslashTestsLookAtTheLastCharacter) {
    EXPECT_TRUE(EndsWithBackslash("D:\\"));
    EXPECT_FALSE(EndsWithBackslash("D:\\Games"));
    EXPECT_FALSE(EndsWithBackslash(""));
    EXPECT_FALSE(EndsWithBackslash("D:\\" + kTrickyCharacter));
    EXPECT_TRUE(EndsWithBackslash("D:\\" + kTrickyCharacter + "\\"));

    EXPECT_EQ(WithTrailingBackslash("D:\\"), "D:\\");
    EXPECT_EQ(WithTrailingBackslash("D:\\Games"), "D:\\Games\\");
    EXPECT_EQ(WithTrailingBackslash(""), "\\");
    EXPECT_EQ(WithTrailingBackslash("D:\\" + kTrickyCharacter), "D:\\" + kTrickyCharacter + "\\");
    EXPECT_EQ(JoinPath("D:\\", "x"), "D:\\x");
    EXPECT_EQ(JoinPath("D:\\Games", "x"), "D:\\Games\\x");
}

}  // namespace
