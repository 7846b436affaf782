// MainWindow: controls built from one table, and each control event routed to its handler.
#include "app/main_window.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <string_view>

#include "app/drive_box.h"
#include "app/select_all.h"
#include "locate/install_root.h"
#include "platform/dpi.h"
#include "platform/drives.h"
#include "platform/encoding.h"
#include "tuning/dx11_switch.h"
#include "tuning/home_page.h"
#include "tuning/optimize_command.h"
#include "tuning/texts.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TellwickMainWindow";
constexpr char kWindowCaption[] = "Tellwick1.4";
constexpr int kWindowWidth = 369;
constexpr int kWindowHeight = 328;
// The drive box's opened list.
constexpr int kDriveListHeight = 120;

enum class ControlType { Button, CheckBox, RadioBox, DriverBox, SuperBtn, Label, GroupBox };
enum class Parent { Window, 分组框1, 分组框2 };

struct ControlSpec {
    Control name;
    ControlType type;
    Parent parent;
    int left, top, width, height;
    const char* caption;
    DWORD extraStyle;
};

// The window's controls in order: within each parent this is also the tab and stacking order.
// Positions are relative to the parent's client area.
constexpr ControlSpec kControls[] = {
    {Control::超级按钮1, ControlType::SuperBtn, Parent::分组框1, 133, 54, 64, 24, "点我恢复", 0},
    {Control::选择框5, ControlType::CheckBox, Parent::分组框1, 232, 21, 88, 24, "待添加", 0},
    {Control::选择框_ALL, ControlType::CheckBox, Parent::分组框1, 24, 89, 112, 21, "以上全选", 0},
    {Control::选择框_log, ControlType::CheckBox, Parent::分组框1, 128, 16, 88, 32, "log文件清除", 0},
    {Control::选择框_Cross, ControlType::CheckBox, Parent::分组框1, 24, 14, 88, 36, "Cross:提帧", 0},
    {Control::选择框_DX11, ControlType::CheckBox, Parent::分组框1, 24, 51, 114, 32, "DX11测试模式 ->", 0},
    {Control::按钮3, ControlType::Button, Parent::分组框2, 262, 26, 64, 28, "时光机", WS_GROUP},
    {Control::标签4, ControlType::Label, Parent::Window, 70, 260, 227, 32, "", SS_CENTER},
    {Control::标签3, ControlType::Label, Parent::Window, 21, 32, 296, 24, nullptr, SS_LEFT},
    {Control::驱动器框2, ControlType::DriverBox, Parent::Window, 256, 11, 88, 20, "", 0},
    {Control::标签1, ControlType::Label, Parent::Window, 21, 8, 216, 24,
     "为了加快优化速度，请指定LOL安装盘符：\r\n", SS_LEFT},
    {Control::单选框2, ControlType::RadioBox, Parent::分组框2, 100, 30, 80, 24, "美服主页", WS_GROUP},
    {Control::单选框1, ControlType::RadioBox, Parent::分组框2, 14, 29, 80, 24, "空白主页", 0},
    {Control::按钮2, ControlType::Button, Parent::分组框2, 182, 26, 64, 28, "确定", WS_GROUP},
    {Control::分组框2, ControlType::GroupBox, Parent::Window, 14, 190, 336, 66, "LOL国服主页替换", 0},
    {Control::按钮1, ControlType::Button, Parent::分组框1, 264, 76, 64, 28, "确定", 0},
    {Control::分组框1, ControlType::GroupBox, Parent::Window, 14, 64, 336, 120, "优化相关", 0},
};
static_assert(std::size(kControls) == kControlCount);

constexpr bool TableFollowsEnum() {
    for (size_t i = 0; i < std::size(kControls); ++i) {
        if (static_cast<size_t>(kControls[i].name) != i)
            return false;
    }
    return true;
}
static_assert(TableFollowsEnum(), "the control table and the Control enum list the controls in one order");

const wchar_t* ClassOf(ControlType type) {
    switch (type) {
        case ControlType::Label:
            return WC_STATICW;
        case ControlType::DriverBox:
            return WC_COMBOBOXW;
        default:
            return WC_BUTTONW;
    }
}

DWORD StyleOf(const ControlSpec& spec) {
    DWORD style = WS_CHILD | WS_VISIBLE | spec.extraStyle;
    switch (spec.type) {
        case ControlType::Button:
            return style | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
        case ControlType::CheckBox:
            return style | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER;
        case ControlType::RadioBox:
            return style | WS_TABSTOP | BS_AUTORADIOBUTTON | BS_LEFT | BS_VCENTER;
        case ControlType::SuperBtn:
            return style | WS_TABSTOP | BS_OWNERDRAW;
        case ControlType::DriverBox:
            return style | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case ControlType::Label:
            // One line, vertically centred; a line break in the caption does not start a new line.
            return style | SS_CENTERIMAGE | SS_NOPREFIX;
        case ControlType::GroupBox:
            return style | BS_GROUPBOX | BS_LEFT;
    }
    return style;
}

HFONT DefaultGuiFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

MainWindow::MainWindow(ProgramState& state) : state_(state) {
    colours_[Index(Control::标签3)] = kMagenta;
    colours_[Index(Control::分组框1)] = kBlue;
    colours_[Index(Control::分组框2)] = kBlue;
}

MainWindow::~MainWindow() {
    if (window_)
        DestroyWindow(window_);
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&common);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    // Fixed frame with a caption bar, system menu and minimize box; no maximize box.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    dpi_ = SystemDpi();
    CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, ToWide(kWindowCaption).c_str(), style, 0, 0,
                    Scaled(kWindowWidth), Scaled(kWindowHeight), nullptr, nullptr, instance, this);
    if (!window_)
        return false;
    // The monitor the window lands on decides its scale.
    dpi_ = WindowDpi(window_);
    const int width = Scaled(kWindowWidth);
    const int height = Scaled(kWindowHeight);
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    CreateControls(instance);
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    return true;
}

void MainWindow::CreateControls(HINSTANCE instance) {
    // The group boxes must exist before their children, so the window's own children come first;
    // each parent's children are still created in table order.
    for (const bool windowChildren : {true, false}) {
        for (const ControlSpec& spec : kControls) {
            if ((spec.parent == Parent::Window) != windowChildren)
                continue;
            HWND parent = window_;
            if (spec.parent == Parent::分组框1)
                parent = controls_[Index(Control::分组框1)];
            else if (spec.parent == Parent::分组框2)
                parent = controls_[Index(Control::分组框2)];
            const Text caption = spec.caption ? Text(spec.caption) : texts::kDrivePrompt;
            const DWORD exStyle = spec.type == ControlType::GroupBox ? WS_EX_CONTROLPARENT : 0;
            HWND control = CreateWindowExW(
                exStyle, ClassOf(spec.type), ToWide(caption).c_str(), StyleOf(spec), 0, 0, 0, 0, parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(spec.name))), instance, nullptr);
            controls_[Index(spec.name)] = control;
            // Themed group boxes and radio buttons ignore the text colour they are given.
            if (spec.type == ControlType::GroupBox || spec.type == ControlType::RadioBox)
                SetWindowTheme(control, L"", L"");
            // Controls inside a group box report to the group box; it passes their events on.
            if (spec.type == ControlType::GroupBox)
                SetWindowSubclass(control, GroupBoxProc, 0, reinterpret_cast<DWORD_PTR>(this));
        }
    }
    LayOutControls();
    SendMessageW(controls_[Index(Control::单选框1)], BM_SETCHECK, BST_CHECKED, 0);
    FillDriveBox();
}

void MainWindow::LayOutControls() {
    // At 96 DPI every figure is the table's own and the font is the platform's default GUI font.
    HFONT font = DefaultGuiFont();
    if (dpi_ != SystemDpi()) {
        LOGFONTW description{};
        GetObjectW(font, sizeof description, &description);
        description.lfHeight =
            MulDiv(description.lfHeight, static_cast<int>(dpi_), static_cast<int>(SystemDpi()));
        scaledFont_.reset(CreateFontIndirectW(&description));
        font = scaledFont_.get();
    } else {
        scaledFont_.reset();
    }
    for (const ControlSpec& spec : kControls) {
        HWND control = controls_[Index(spec.name)];
        const int height = spec.type == ControlType::DriverBox ? spec.height + kDriveListHeight : spec.height;
        SetWindowPos(control, nullptr, Scaled(spec.left), Scaled(spec.top), Scaled(spec.width),
                     Scaled(height), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }

    // The closed drive box is as high as its row in the table. Platforms differ in how the
    // selection field's height maps to the control's, so measure.
    const int wanted = Scaled(kControls[Index(Control::驱动器框2)].height);
    HWND combo = controls_[Index(Control::驱动器框2)];
    int fieldHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT closed{};
        GetWindowRect(combo, &closed);
        const int difference = wanted - (closed.bottom - closed.top);
        if (difference == 0 || fieldHeight + difference <= 0)
            break;
        fieldHeight += difference;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight);
    }
}

int MainWindow::Scaled(int value) const {
    return ScaleForDpi(value, dpi_);
}

void MainWindow::FillDriveBox() {
    HWND combo = controls_[Index(Control::驱动器框2)];
    const Text current = CurrentDriveLetter();
    for (const DriveInfo& drive : ListDrives()) {
        const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0,
                                           reinterpret_cast<LPARAM>(ToWide(DriveEntryText(drive)).c_str()));
        if (index < 0)
            continue;
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(drive.letter));
        // Selecting by message raises no notification, so no search runs at start.
        if (!current.empty() && drive.letter == current[0])
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = self->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        self->controls_.fill(nullptr);
    }
    return result;
}

LRESULT CALLBACK MainWindow::GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR data) {
    auto* self = reinterpret_cast<MainWindow*>(data);
    switch (message) {
        case WM_COMMAND:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (self->window_)
                return self->HandleMessage(message, wParam, lParam);
            break;
        case WM_PAINT:
            if (self->window_) {
                self->PaintGroupBox(window);
                return 0;
            }
            break;
        case WM_ERASEBKGND: {
            // A group box paints only its frame and caption; the area behind its children is ours.
            RECT client;
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            return TRUE;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, GroupBoxProc, 0);
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            if (wParam == static_cast<WPARAM>(ControlId(Control::超级按钮1))) {
                DrawSuperButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_SETCURSOR:
            if (OnSetCursor(lParam))
                return TRUE;
            break;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top, Scaled(kWindowWidth),
                         Scaled(kWindowHeight), SWP_NOZORDER | SWP_NOACTIVATE);
            LayOutControls();
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
    const auto is = [id](Control control) { return id == ControlId(control); };
    if (is(Control::驱动器框2)) {
        if (code == CBN_SELENDOK)
            OnDriveBoxChosen();
        return;
    }
    if (code != BN_CLICKED)
        return;
    if (is(Control::按钮1))
        OptimizeCommand(state_, *this);
    else if (is(Control::超级按钮1))
        DisableDx11TestMode(state_, *this);
    else if (is(Control::按钮2))
        ReplaceHomePage(state_, *this);
    else if (is(Control::按钮3))
        RestoreHomePage(state_, *this);
    else if (is(Control::选择框_ALL))
        OnSelectAll(*this);
}

void MainWindow::OnDriveBoxChosen() {
    // While the drive is walked the pointer says that work goes on; the window stays usable.
    ++searches_;
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    if (under == window_ || IsChild(window_, under))
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    OnDriveChosen(state_, *this);
    --searches_;
}

bool MainWindow::OnSetCursor(LPARAM lParam) {
    if (searches_ == 0 || LOWORD(lParam) != HTCLIENT)
        return false;
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
}

LRESULT MainWindow::OnControlColour(HDC dc, HWND control) {
    SetTextColor(dc, TextColourOf(control));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::PaintGroupBox(HWND groupBox) {
    // Drawn here rather than by the control: a themed group box paints its caption in the theme's
    // colour, whatever colour the window asks for.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(groupBox, &paint);
    RECT client;
    GetClientRect(groupBox, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(groupBox, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

    const int length = GetWindowTextLengthW(groupBox);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(groupBox, caption.data(), length + 1)));
    if (!caption.empty()) {
        RECT text{client.left + 8, client.top, client.right - 8, client.top + metrics.tmHeight};
        DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        SetTextColor(dc, TextColourOf(groupBox));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc, OPAQUE);
        InflateRect(&text, 2, 0);
        DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CENTER);
    }
    SelectObject(dc, oldFont);
    EndPaint(groupBox, &paint);
}

COLORREF MainWindow::TextColourOf(HWND control) const {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i] == control && colours_[i])
            return static_cast<COLORREF>(*colours_[i]);
    }
    return GetSysColor(COLOR_BTNTEXT);
}

void MainWindow::DrawSuperButton(const DRAWITEMSTRUCT& item) {
    // Flat: the face in the system's button colour, a one-pixel border, no focus rectangle.
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &face, GetSysColorBrush(pressed ? COLOR_3DLIGHT : COLOR_BTNFACE));
    FrameRect(item.hDC, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    wchar_t caption[64] = L"";
    GetWindowTextW(item.hwndItem, caption, 64);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    HGDIOBJ oldFont =
        SelectObject(item.hDC, reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    if (pressed)
        OffsetRect(&face, 1, 1);
    DrawTextW(item.hDC, caption, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(item.hDC, oldFont);
}

int MainWindow::TickState(Control control) {
    return SendMessageW(ControlHandle(control), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void MainWindow::SetTickState(Control control, int state) {
    SendMessageW(ControlHandle(control), BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

Text MainWindow::Caption(Control control) {
    HWND handle = ControlHandle(control);
    const int length = GetWindowTextLengthW(handle);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(handle, caption.data(), length + 1);
    caption.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return WideToAnsi(caption);
}

void MainWindow::SetCaption(Control control, const Text& caption) {
    HWND handle = ControlHandle(control);
    if (!handle)
        return;
    SetWindowTextW(handle, ToWide(caption).c_str());
    InvalidateRect(handle, nullptr, TRUE);
}

void MainWindow::SetTextColour(Control control, Colour colour) {
    colours_[Index(control)] = colour;
    if (HWND handle = ControlHandle(control))
        InvalidateRect(handle, nullptr, TRUE);
}

Text MainWindow::CurrentDrive() {
    HWND combo = ControlHandle(Control::驱动器框2);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return CurrentDriveLetter();
    const LRESULT letter = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (letter == CB_ERR)
        return CurrentDriveLetter();
    return Text(1, static_cast<char>(letter));
}

void MainWindow::ShowMessageBox(const Text& text, unsigned flags, const Text& title) {
    // No owner: task-modal keeps every window of the tool from taking input until it is closed.
    MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(title).c_str(), flags | MB_TASKMODAL);
}
