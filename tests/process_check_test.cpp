// The running-process check against real processes started under chosen names.
#include "tuning/process_check.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/stand_in_process.h"
#include "support/temp_tree.h"

namespace {

// A name no other program on the machine uses, built around this test's own process id.
Text UniqueName(const char* prefix, const char* suffix) {
    return prefix + std::to_string(GetCurrentProcessId()) + suffix;
}

TEST(ProcessCheckTest, FindsTheLauncherWhateverTheLetterCase) {
    LauncherNameLock lock;
    TempTree tree;
    StandInProcess launcher(tree.Path(), "WeGame.EXE");
    ASSERT_NE(launcher.Id(), 0u);
    EXPECT_EQ(FindProcessByName("wegame.exe"), launcher.Id());
    EXPECT_EQ(FindProcessByName("WEGAME.EXE"), launcher.Id());
}

TEST(ProcessCheckTest, OnlyTheWholeNameMatches) {
    TempTree tree;
    const Text name = UniqueName("twprobe", ".exe");
    // Names that contain the wanted one, or lack part of it, each as a running process.
    StandInProcess longer(tree.Path(), name + ".bak.exe");
    StandInProcess prefixed(tree.Path(), "x" + name);
    StandInProcess withoutExtension(tree.Path(), UniqueName("twprobe", ""));
    ASSERT_NE(longer.Id(), 0u);
    ASSERT_NE(prefixed.Id(), 0u);
    ASSERT_NE(withoutExtension.Id(), 0u);
    EXPECT_EQ(FindProcessByName(name), 0u);
    EXPECT_EQ(FindProcessByName(name + ".bak"), 0u);
    // Each of them is found by its own name, so their absence above is not an accident.
    EXPECT_EQ(FindProcessByName(name + ".bak.exe"), longer.Id());
    EXPECT_EQ(FindProcessByName("X" + name), prefixed.Id());
}

TEST(ProcessCheckTest, LauncherNameInsideOtherNamesIsNotTheLauncher) {
    LauncherNameLock lock;
    TempTree tree;
    StandInProcess longer(tree.Path(), "wegame.exe.bak.exe");
    StandInProcess prefixed(tree.Path(), "xwegame.exe");
    StandInProcess withoutExtension(tree.Path(), "wegame");
    ASSERT_NE(longer.Id(), 0u);
    EXPECT_EQ(FindProcessByName("wegame.exe"), 0u);
}

TEST(ProcessCheckTest, NameOfNoProcessGivesZero) {
    EXPECT_EQ(FindProcessByName(UniqueName("twnobody", ".exe")), 0u);
    EXPECT_EQ(FindProcessByName(""), 0u);
}

}  // namespace
