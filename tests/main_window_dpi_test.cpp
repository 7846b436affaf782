// The window at 150 % display scale: every figure is the 96-DPI one times 1.5; and the window's
// scale as each Windows gives it (its own DPI, its monitor's on Windows 8.1, a move to another
// monitor).
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/dpi.h"
#include "support/test_data.h"

namespace {

void ExpectControlsLaidOutAt(const MainWindow& window, unsigned dpi) {
    for (const ControlFigure& figure : kControlFigures) {
        HWND control = window.ControlHandle(figure.name);
        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        const int id = static_cast<int>(figure.name);
        EXPECT_EQ(rect.left, ScaleForDpi(figure.left, dpi)) << id;
        EXPECT_EQ(rect.top, ScaleForDpi(figure.top, dpi)) << id;
        EXPECT_EQ(rect.right - rect.left, ScaleForDpi(figure.width, dpi)) << id;
        EXPECT_EQ(rect.bottom - rect.top, ScaleForDpi(figure.height, dpi)) << id;
    }
}

// What Windows 8.1 answers: no DPI of the window's own, and 120 DPI for the monitor it is on.
UINT NoWindowDpi(HWND) {
    return 0;
}

HRESULT MonitorAt120(HMONITOR, int type, UINT* dpiX, UINT* dpiY) {
    if (type != kEffectiveDpi)
        return E_INVALIDARG;
    *dpiX = *dpiY = 120;
    return S_OK;
}

TEST(MainWindowDpiTest, LaysOutEveryFigureAtTheWindowsScale) {
    // The tool declares per-monitor awareness in its manifest; this test program does it here.
    using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    auto setContext = reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
    ASSERT_TRUE(setContext);
    setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    struct Case {
        const char* what;
        std::optional<DpiCalls> calls;
        unsigned dpi;
    };
    const Case cases[] = {
        {"the window's own DPI, from the prefix set to 150 %", std::nullopt, 144},
        {"Windows 8.1: the DPI of the window's monitor",
         DpiCalls{.GetDpiForWindow = NoWindowDpi, .GetDpiForMonitor = MonitorAt120}, 120},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::optional<ScopedDpiCalls> standIns;
        if (c.calls)
            standIns.emplace(*c.calls);
        ProgramState state;
        MainWindow window(state);
        ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
        ASSERT_EQ(WindowDpi(window.Handle()), c.dpi) << "the prefix is not set to 150 %";
        RECT outer;
        GetWindowRect(window.Handle(), &outer);
        EXPECT_EQ(outer.right - outer.left, ScaleForDpi(kWindowOuterWidth, c.dpi));
        EXPECT_EQ(outer.bottom - outer.top, ScaleForDpi(kWindowOuterHeight, c.dpi));
        ExpectControlsLaidOutAt(window, c.dpi);
    }

    // Moved to a monitor at 200 %: Windows suggests where the window goes and how large it is, and
    // the window takes that rectangle as it stands.
    ProgramState state;
    MainWindow window(state);
    ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL));
    RECT suggested = {40, 30, 40 + ScaleForDpi(kWindowOuterWidth, 192) + 3,
                      30 + ScaleForDpi(kWindowOuterHeight, 192) + 5};
    SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT outer;
    GetWindowRect(window.Handle(), &outer);
    EXPECT_TRUE(EqualRect(&outer, &suggested))
        << outer.left << "," << outer.top << " " << outer.right << "," << outer.bottom;
    ExpectControlsLaidOutAt(window, 192);
    EXPECT_EQ(ScaleForDpi(328, 144), 492);
}

TEST(MainWindowDpiTest, ScalingRoundsHalvesAwayFromZero) {
    EXPECT_EQ(ScaleForDpi(369, 96), 369);
    EXPECT_EQ(ScaleForDpi(369, 144), 554);
    EXPECT_EQ(ScaleForDpi(21, 144), 32);
    EXPECT_EQ(ScaleForDpi(20, 120), 25);
}

}  // namespace
