// The window at 150 % display scale: every figure is the 96-DPI one times 1.5.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include "platform/dpi.h"
#include "support/test_data.h"

namespace {

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
    EXPECT_EQ(outer.right - outer.left, ScaleForDpi(kWindowOuterWidth, 144));
    EXPECT_EQ(outer.bottom - outer.top, ScaleForDpi(kWindowOuterHeight, 144));
    EXPECT_EQ(ScaleForDpi(328, 144), 492);

    for (const ControlFigure& figure : kControlFigures) {
        HWND control = window.ControlHandle(figure.name);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        const int id = static_cast<int>(figure.name);
        EXPECT_EQ(rect.left, ScaleForDpi(figure.left, 144)) << id;
        EXPECT_EQ(rect.top, ScaleForDpi(figure.top, 144)) << id;
        EXPECT_EQ(rect.right - rect.left, ScaleForDpi(figure.width, 144)) << id;
        EXPECT_EQ(rect.bottom - rect.top, ScaleForDpi(figure.height, 144)) << id;
    }
}

TEST(MainWindowDpiTest, ScalingRoundsHalvesAwayFromZero) {
    EXPECT_EQ(ScaleForDpi(369, 96), 369);
    EXPECT_EQ(ScaleForDpi(369, 144), 554);
    EXPECT_EQ(ScaleForDpi(21, 144), 32);
    EXPECT_EQ(ScaleForDpi(20, 120), 25);
}

}  // namespace
