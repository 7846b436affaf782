// The main window created for real: layout, captions, initial states, colours and the control
// operations the commands use.
#include "app/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts.h"
#include "platform/encoding.h"
#include "platform/gdi.h"
#include "support/refused_control.h"
#include "support/test_data.h"

namespace {

struct Expected {
    Control name;
    const wchar_t* className;
    Control parent;  // 标签1 stands for the window itself
    const char* caption;
};

constexpr Control kWindow = Control::标签1;

// The layout as users know it.
const Expected kLayout[] = {
    {Control::超级按钮1, L"Button", Control::分组框1, "点我恢复"},
    {Control::选择框5, L"Button", Control::分组框1, "待添加"},
    {Control::选择框_ALL, L"Button", Control::分组框1, "以上全选"},
    {Control::选择框_log, L"Button", Control::分组框1, "log文件清除"},
    {Control::选择框_Cross, L"Button", Control::分组框1, "Cross:提帧"},
    {Control::选择框_DX11, L"Button", Control::分组框1, "DX11测试模式 ->"},
    {Control::按钮3, L"Button", Control::分组框2, "时光机"},
    {Control::标签4, L"Static", kWindow, ""},
    {Control::标签3, L"Static", kWindow, "友情提示：请选择驱动器，再进行操作"},
    {Control::驱动器框2, L"ComboBox", kWindow, nullptr},
    {Control::标签1, L"Static", kWindow, "为了加快优化速度，请指定LOL安装盘符：\r\n"},
    {Control::单选框2, L"Button", Control::分组框2, "美服主页"},
    {Control::单选框1, L"Button", Control::分组框2, "空白主页"},
    {Control::按钮2, L"Button", Control::分组框2, "确定"},
    {Control::分组框2, L"Button", kWindow, "LOL国服主页替换"},
    {Control::按钮1, L"Button", Control::分组框1, "确定"},
    {Control::分组框1, L"Button", kWindow, "优化相关"},
};

class MainWindowTest : public ::testing::Test {
   protected:
    void SetUp() override { ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL)); }

    HWND Handle(Control control) { return window.ControlHandle(control); }
    HWND ParentOf(Control parent) { return parent == kWindow ? window.Handle() : Handle(parent); }
    int ButtonType(Control control) {
        return static_cast<int>(GetWindowLongPtrW(Handle(control), GWL_STYLE) & BS_TYPEMASK);
    }

    ProgramState state;
    MainWindow window{state};
};

TEST_F(MainWindowTest, WindowHasItsCaptionSizeAndFixedFrame) {
    wchar_t caption[64] = L"";
    GetWindowTextW(window.Handle(), caption, 64);
    EXPECT_STREQ(caption, L"Tellwick1.4");

    RECT outer;
    GetWindowRect(window.Handle(), &outer);
    EXPECT_EQ(outer.right - outer.left, kWindowOuterWidth);
    EXPECT_EQ(outer.bottom - outer.top, kWindowOuterHeight);

    const LONG_PTR style = GetWindowLongPtrW(window.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(GetWindowLongPtrW(window.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Centred on the screen.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(outer.left, (screenWidth - kWindowOuterWidth) / 2, 1);
    EXPECT_NEAR(outer.top, (screenHeight - kWindowOuterHeight) / 2, 1);
}

TEST_F(MainWindowTest, EveryControlHasItsTypeParentRectangleAndCaption) {
    for (const Expected& expected : kLayout) {
        const std::string name = "control " + std::to_string(static_cast<int>(expected.name));
        HWND control = Handle(expected.name);
        ASSERT_TRUE(control) << name;
        wchar_t className[64] = L"";
        GetClassNameW(control, className, 64);
        EXPECT_STREQ(className, expected.className) << name;
        EXPECT_EQ(GetParent(control), ParentOf(expected.parent)) << name;

        RECT rect;
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        const ControlFigure& figure = FigureOf(expected.name);
        EXPECT_EQ(rect.left, figure.left) << name;
        EXPECT_EQ(rect.top, figure.top) << name;
        EXPECT_EQ(rect.right, figure.left + figure.width) << name;
        EXPECT_EQ(rect.bottom, figure.top + figure.height) << name;

        if (expected.caption) {
            EXPECT_EQ(window.Caption(expected.name), expected.caption) << name;
        }
        EXPECT_TRUE(IsWindowVisible(control)) << name;
        EXPECT_TRUE(IsWindowEnabled(control)) << name;
    }
}

TEST_F(MainWindowTest, ControlsHaveTheirKindsAndInitialStates) {
    EXPECT_EQ(ButtonType(Control::超级按钮1), BS_OWNERDRAW);
    EXPECT_EQ(ButtonType(Control::按钮1), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(Control::按钮2), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(Control::按钮3), BS_PUSHBUTTON);
    EXPECT_EQ(ButtonType(Control::分组框1), BS_GROUPBOX);
    EXPECT_EQ(ButtonType(Control::分组框2), BS_GROUPBOX);
    EXPECT_EQ(ButtonType(Control::单选框1), BS_AUTORADIOBUTTON);
    EXPECT_EQ(ButtonType(Control::单选框2), BS_AUTORADIOBUTTON);
    for (Control box : {Control::选择框5, Control::选择框_ALL, Control::选择框_log, Control::选择框_Cross,
                        Control::选择框_DX11}) {
        EXPECT_EQ(ButtonType(box), BS_AUTOCHECKBOX);
        EXPECT_EQ(window.TickState(box), 0);
    }
    EXPECT_EQ(window.TickState(Control::单选框1), 1);
    EXPECT_EQ(window.TickState(Control::单选框2), 0);
    EXPECT_EQ(GetWindowLongPtrW(Handle(Control::驱动器框2), GWL_STYLE) & 3, CBS_DROPDOWNLIST);

    // Tab stops: every clickable control, no label or group box.
    for (const Expected& expected : kLayout) {
        const bool tabStop = (GetWindowLongPtrW(Handle(expected.name), GWL_STYLE) & WS_TABSTOP) != 0;
        const bool passive = expected.name == Control::标签1 || expected.name == Control::标签3 ||
                             expected.name == Control::标签4 || expected.name == Control::分组框1 ||
                             expected.name == Control::分组框2;
        EXPECT_EQ(tabStop, !passive) << static_cast<int>(expected.name);
    }
}

TEST_F(MainWindowTest, StackingOrderFollowsTheLayoutWithinEachParent) {
    for (Control parent : {kWindow, Control::分组框1, Control::分组框2}) {
        std::vector<HWND> expected;
        for (const Expected& control : kLayout) {
            if (control.parent == parent)
                expected.push_back(Handle(control.name));
        }
        std::vector<HWND> actual;
        for (HWND child = GetWindow(ParentOf(parent), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            actual.push_back(child);
        EXPECT_EQ(actual, expected) << static_cast<int>(parent);
    }
}

TEST_F(MainWindowTest, TabMovesThroughTheControlsInOrder) {
    // From the drive box, Tab visits each group's controls in the window's order and comes back around.
    std::vector<HWND> visited;
    HWND current = Handle(Control::驱动器框2);
    for (int i = 0; i < 13; ++i) {
        current = GetNextDlgTabItem(window.Handle(), current, FALSE);
        visited.push_back(current);
    }
    const std::vector<HWND> expected = {
        Handle(Control::按钮3),       Handle(Control::单选框2),    Handle(Control::单选框1),
        Handle(Control::按钮2),       Handle(Control::超级按钮1),  Handle(Control::选择框5),
        Handle(Control::选择框_ALL),  Handle(Control::选择框_log), Handle(Control::选择框_Cross),
        Handle(Control::选择框_DX11), Handle(Control::按钮1),      Handle(Control::驱动器框2),
        Handle(Control::按钮3),
    };
    EXPECT_EQ(visited, expected);
}

TEST_F(MainWindowTest, SelectAllTicksAndClearsTheThreeTuningBoxes) {
    const auto click = [&](Control control) { SendMessageW(Handle(control), BM_CLICK, 0, 0); };
    const auto ticks = [&] {
        return std::vector<int>{window.TickState(Control::选择框_DX11),
                                window.TickState(Control::选择框_Cross),
                                window.TickState(Control::选择框_log), window.TickState(Control::选择框5)};
    };
    click(Control::选择框_log);
    click(Control::选择框5);
    click(Control::选择框_ALL);
    EXPECT_EQ(ticks(), (std::vector<int>{1, 1, 1, 1}));
    click(Control::选择框_ALL);
    EXPECT_EQ(ticks(), (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(window.TickState(Control::选择框_ALL), 0);

    // Boxes changed by hand afterwards leave the select-all box as it is.
    click(Control::选择框_ALL);
    click(Control::选择框_Cross);
    EXPECT_EQ(window.TickState(Control::选择框_ALL), 1);
    EXPECT_EQ(window.TickState(Control::选择框_Cross), 0);
}

TEST_F(MainWindowTest, RadioBoxesFormOneGroup) {
    SendMessageW(Handle(Control::单选框2), BM_CLICK, 0, 0);
    EXPECT_EQ(window.TickState(Control::单选框2), 1);
    EXPECT_EQ(window.TickState(Control::单选框1), 0);
    SendMessageW(Handle(Control::单选框1), BM_CLICK, 0, 0);
    EXPECT_EQ(window.TickState(Control::单选框1), 1);
    EXPECT_EQ(window.TickState(Control::单选框2), 0);
}

TEST_F(MainWindowTest, CaptionsAndColoursReachTheControls) {
    // The colour a control is painted with is the one its parent answers with, compared with what
    // RGB() makes of its red, green and blue: a colour written as 0xRRGGBB paints another one.
    const auto paintedColour = [&](Control control) {
        HDC dc = GetDC(Handle(control));
        SendMessageW(GetParent(Handle(control)), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(Handle(control)));
        const COLORREF colour = GetTextColor(dc);
        ReleaseDC(Handle(control), dc);
        return colour;
    };
    EXPECT_EQ(paintedColour(Control::标签3), RGB(255, 0, 255));
    EXPECT_EQ(paintedColour(Control::标签4), GetSysColor(COLOR_BTNTEXT));

    window.SetTextColour(Control::标签4, kTeal);
    window.SetCaption(Control::标签4, texts::kLogsDone);
    EXPECT_EQ(window.Caption(Control::标签4), texts::kLogsDone);
    EXPECT_EQ(paintedColour(Control::标签4), RGB(0, 128, 128)) << "teal";
    window.SetTextColour(Control::标签4, kBlue);
    EXPECT_EQ(paintedColour(Control::标签4), RGB(0, 0, 255)) << "blue";
    window.SetCaption(Control::标签4, "");
    EXPECT_EQ(window.Caption(Control::标签4), "");

    window.SetTextColour(Control::单选框2, kRed);
    EXPECT_EQ(paintedColour(Control::单选框2), RGB(255, 0, 0)) << "red";

    window.SetTickState(Control::选择框_DX11, 1);
    EXPECT_EQ(window.TickState(Control::选择框_DX11), 1);
    window.SetTickState(Control::选择框_DX11, 0);
    EXPECT_EQ(window.TickState(Control::选择框_DX11), 0);
}

TEST_F(MainWindowTest, DriveBoxSelectsTheCurrentDrive) {
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    EXPECT_EQ(window.CurrentDrive(), Text(1, static_cast<char>(towupper(directory[0]))));
    EXPECT_GE(SendMessageW(Handle(Control::驱动器框2), CB_GETCOUNT, 0, 0), 1);
}

TEST_F(MainWindowTest, GroupBoxCaptionsArePaintedBlue) {
    for (Control group : {Control::分组框1, Control::分组框2}) {
        HWND box = Handle(group);
        RECT client;
        GetClientRect(box, &client);
        // The null driver has no screen to read back; the group box paints into a memory DC.
        const ScopedGetDC screen(nullptr);
        const UniqueGdiObject bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
        HDC memory = CreateCompatibleDC(screen.Get());
        {
            const ScopedSelectObject selected(memory, bitmap.Get());
            SendMessageW(box, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
            // The caption sits on the frame's top edge, within the font's height.
            int blue = 0;
            for (int y = 0; y < 24; ++y) {
                for (int x = 0; x < client.right; ++x)
                    blue += GetPixel(memory, x, y) == 0x00FF0000 ? 1 : 0;
            }
            EXPECT_GT(blue, 0) << "group " << static_cast<int>(group);
        }
        DeleteDC(memory);
    }
}

// Every message box the window opens, seen from inside: its style, and whether the main
// window still took input. Each box is answered with OK as soon as it is up.
struct BoxSeen {
    UINT style;
    bool windowEnabled;
};
std::vector<BoxSeen> boxesSeen;
HWND mainWindow = nullptr;

LRESULT CALLBACK WatchMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG) {
        // Wine, as Windows, hands the box's own parameters to its dialog procedure here; this is
        // the one place the style can be read back from.
        const auto* box = reinterpret_cast<const MSGBOXPARAMSW*>(call->lParam);
        boxesSeen.push_back({box->dwStyle, IsWindowEnabled(mainWindow) != FALSE});
        PostMessageW(call->hwnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainWindowTest, EveryMessageBoxIsTaskModalWithTheErrorIcon) {
    mainWindow = window.Handle();
    boxesSeen.clear();
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchMessageBoxes, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(hook);
    // Before a drive is chosen, each of the four command buttons answers with a box.
    for (Control button : {Control::按钮1, Control::超级按钮1, Control::按钮2, Control::按钮3})
        SendMessageW(Handle(button), BM_CLICK, 0, 0);
    // And so does "撤销全部优化" of the system menu, whose command the system may flag in its low bits.
    SendMessageW(window.Handle(), WM_SYSCOMMAND, 0x0110 | 0x2, 0);
    UnhookWindowsHookEx(hook);

    ASSERT_EQ(boxesSeen.size(), 5u);
    for (const BoxSeen& box : boxesSeen) {
        EXPECT_EQ(box.style & 0xF0, 0x10u) << "the error icon";
        EXPECT_EQ(box.style & 0x2000, 0x2000u) << "task-modal";
        EXPECT_FALSE(box.windowEnabled) << "the main window took input while the box was open";
    }
    EXPECT_TRUE(IsWindowEnabled(window.Handle())) << "closing the box gives the window back";
}

TEST_F(MainWindowTest, SystemMenuEndsWithASeparatorAndTheTwoEntriesOfTheTool) {
    HMENU menu = GetSystemMenu(window.Handle(), FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 4);
    int close = 0;
    while (close < count && GetMenuItemID(menu, close) != SC_CLOSE)
        ++close;
    EXPECT_LT(close, count - 3) << "after the standard entries";
    MENUITEMINFOW separator{};
    separator.cbSize = sizeof separator;
    separator.fMask = MIIM_FTYPE;
    ASSERT_TRUE(GetMenuItemInfoW(menu, count - 3, TRUE, &separator));
    EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
    const std::pair<UINT, const char*> entries[] = {{0x0110, "撤销全部优化"}, {0x0120, "查看更改记录"}};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(GetMenuItemID(menu, count - 2 + i), entries[i].first);
        wchar_t text[64] = L"";
        GetMenuStringW(menu, count - 2 + i, text, 64, MF_BYPOSITION);
        EXPECT_EQ(WideToAnsi(text), entries[i].second);
    }
}

TEST(MainWindowStartTest, AControlThatCannotBeCreatedFailsTheStart) {
    MSG quit;
    // Windows of earlier tests, destroyed, have asked to quit.
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    for (const wchar_t* className : {L"Button", L"Static", L"ComboBox"}) {
        const RefusedControl refused(className);
        ASSERT_TRUE(refused.Active());
        ProgramState state;
        MainWindow window(state);
        EXPECT_FALSE(window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) << className;
        EXPECT_EQ(window.Handle(), nullptr);
        // This thread's windows only: the end-to-end tests may show the real tool meanwhile.
        bool left = false;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND found, LPARAM flag) {
                wchar_t name[64] = L"";
                GetClassNameW(found, name, 64);
                *reinterpret_cast<bool*>(flag) |= std::wstring_view(name) == L"TellwickMainWindow";
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&left));
        EXPECT_FALSE(left) << "a window was left";
        EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            << "a quit was left behind: it would close the start-up error at once";
    }
}

// Paints `label` into a bitmap as it paints itself on screen (with `text` drawn there instead when
// given, through DrawTextW's path ellipsis) and returns the pixels and the text as modified.
struct Painting {
    std::vector<std::uint32_t> pixels;
    std::wstring drawn;
};
Painting Paint(HWND label, std::wstring text = {}) {
    RECT client;
    GetClientRect(label, &client);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const ScopedGetDC screen(nullptr);
    const std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&DeleteDC)> dc(
        CreateCompatibleDC(screen.Get()), DeleteDC);
    const UniqueGdiObject bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const ScopedSelectObject selected(dc.get(), bitmap.Get());
    if (text.empty()) {
        SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT | PRF_ERASEBKGND);
    } else {
        const ScopedSelectObject font(dc.get(),
                                      reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
        text.append(4, L'\0');  // room for the ellipsis
        DrawTextW(dc.get(), text.data(), -1, &client,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_PATH_ELLIPSIS | DT_MODIFYSTRING);
        text.resize(wcslen(text.c_str()));
    }
    const auto* first = static_cast<const std::uint32_t*>(bits);
    return {std::vector<std::uint32_t>(first, first + client.right * client.bottom), text};
}

TEST_F(MainWindowTest, LongRootIsShortenedInTheMiddleOnScreenButReadsBackWhole) {
    const Text root = "X:\\WeGameApps\\腾讯游戏\\英雄联盟客户端安装目录\\正式服\\Games\\Riot\\英雄联盟";
    HWND label = Handle(Control::标签3);
    window.SetCaption(Control::标签3, root);
    EXPECT_EQ(window.Caption(Control::标签3), root);

    // The text that fits, by the platform's own path ellipsis: it must keep the last folder.
    const std::wstring fits = Paint(label, ToWide(root)).drawn;
    ASSERT_NE(fits, ToWide(root)) << "the root fits the label: make it longer";
    EXPECT_NE(fits.find(L"..."), std::wstring::npos);
    EXPECT_EQ(fits.substr(fits.size() - 5), L"\\英雄联盟");
    // The label shows exactly that: its pixels are those of the shortened text as its caption.
    const Painting shown = Paint(label);
    window.SetCaption(Control::标签3, WideToAnsi(fits));
    EXPECT_EQ(shown.pixels, Paint(label).pixels);
    window.SetCaption(Control::标签3, root);

    // The tooltip over the label shows the whole root.
    struct Search {
        HWND owner, tip;
    } search{window.Handle(), nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND candidate, LPARAM data) {
            auto* search = reinterpret_cast<Search*>(data);
            wchar_t name[64] = L"";
            GetClassNameW(candidate, name, 64);
            if (std::wstring(name) == TOOLTIPS_CLASSW && GetWindow(candidate, GW_OWNER) == search->owner)
                search->tip = candidate;
            return search->tip ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    ASSERT_TRUE(search.tip) << "no tooltip";
    wchar_t tipText[256] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = tipText;
    SendMessageW(search.tip, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(WideToAnsi(tipText), root);
}

}  // namespace
