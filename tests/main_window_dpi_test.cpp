// The window at 150 % display scale: every figure is the 96-DPI one times 1.5.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include "platform/dpi.h"

namespace {

struct Figure {
    Control name;
    RECT rect;  // left, top, width, height at 96 DPI
};

const Figure kFigures[] = {
    {Control::超级按钮1, {133, 54, 64, 24}},   {Control::选择框5, {232, 21, 88, 24}},
    {Control::选择框_ALL, {24, 89, 112, 21}},  {Control::选择框_log, {128, 16, 88, 32}},
    {Control::选择框_Cross, {24, 14, 88, 36}}, {Control::选择框_DX11, {24, 51, 114, 32}},
    {Control::按钮3, {262, 26, 64, 28}},       {Control::标签4, {70, 260, 227, 32}},
    {Control::标签3, {21, 32, 296, 24}},       {Control::驱动器框2, {256, 11, 88, 20}},
    {Control::标签1, {21, 8, 216, 24}},        {Control::单选框2, {100, 30, 80, 24}},
    {Control::单选框1, {14, 29, 80, 24}},      {Control::按钮2, {182, 26, 64, 28}},
    {Control::分组框2, {14, 190, 336, 66}},    {Control::按钮1, {264, 76, 64, 28}},
    {Control::分组框1, {14, 64, 336, 120}},
};

TEST(MainWindowDpiTest, LaysOutEveryFigureAtOneAndAHalfTimes) {
    // The tool declares per-monitor awareness in its manifest; this test program does it here.
    using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    ASSERT_TRUE(setContext);
    setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    ProgramState state;
    MainWindow window(state);
    ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
    ASSERT_EQ(WindowDpi(window.Handle()), 144u) << "the prefix is not set to 150 %";

    RECT outer;
    GetWindowRect(window.Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, ScaleForDpi(369, 144));
    EXPECT_EQ(outer.bottom - outer.top, ScaleForDpi(328, 144));
    EXPECT_EQ(ScaleForDpi(328, 144), 492);

    for (const Figure& figure : kFigures) {
        HWND control = window.ControlHandle(figure.name);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        const int id = static_cast<int>(figure.name);
        EXPECT_EQ(rect.left, ScaleForDpi(figure.rect.left, 144)) << id;
        EXPECT_EQ(rect.top, ScaleForDpi(figure.rect.top, 144)) << id;
        EXPECT_EQ(rect.right - rect.left, ScaleForDpi(figure.rect.right, 144)) << id;
        EXPECT_EQ(rect.bottom - rect.top, ScaleForDpi(figure.rect.bottom, 144)) << id;
    }
}

TEST(MainWindowDpiTest, ScalingRoundsHalvesAwayFromZero) {
    EXPECT_EQ(ScaleForDpi(369, 96), 369);
    EXPECT_EQ(ScaleForDpi(369, 144), 554);
    EXPECT_EQ(ScaleForDpi(21, 144), 32);
    EXPECT_EQ(ScaleForDpi(20, 120), 25);
}

}  // namespace
