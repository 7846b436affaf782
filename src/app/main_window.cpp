// MainWindow: each control event routed to its handler, and the ControlPort over the controls.
#include "app/main_window.h"

#include <commctrl.h>

#include "app/control_table.h"
#include "app/drive_box.h"
#include "app/select_all.h"
#include "app/system_menu.h"
#include "locate/install_root.h"
#include "platform/dpi.h"
#include "platform/drives.h"
#include "platform/encoding.h"
#include "platform/system_dlls.h"
#include "tuning/change_record.h"
#include "tuning/dx11_switch.h"
#include "tuning/home_page.h"
#include "tuning/optimize_command.h"
#include "tuning/undo_all.h"
#include "win/drive_combo.h"
#include "win/flat_button.h"
#include "win/path_label.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TellwickMainWindow";
// Posted by the drive box's choice; the search runs when it arrives.
constexpr UINT kDriveChosenMessage = WM_APP + 1;

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
    // The group boxes cannot pass their children's events on without COMCTL32's subclassing.
    if (!LoadCommonControls())
        return false;

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
    CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, ToWide(texts::kWindowCaption).c_str(), style, 0, 0,
                    Scaled(kWindowWidth), Scaled(kWindowHeight), nullptr, nullptr, instance, this);
    if (!window_)
        return false;
    // The monitor the window lands on decides its scale.
    dpi_ = WindowDpi(window_);
    const int width = Scaled(kWindowWidth);
    const int height = Scaled(kWindowHeight);
    SetWindowPos(window_, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // A window with a control missing would let the commands act on controls that are not there.
    if (!CreateControls(window_, instance, controls_)) {
        DestroyWindow(window_);
        return false;
    }
    LayOutControls(controls_, dpi_, font_);
    // 标签3 shows the install root, which the user must be able to check to its last folder. The
    // root is still shown without the tooltip, so a missing tooltip does not stop the start.
    MakePathLabel(ControlHandle(Control::标签3));
    SendMessageW(ControlHandle(Control::单选框1), BM_SETCHECK, BST_CHECKED, 0);
    FillDriveBox(ControlHandle(Control::驱动器框2));
    AddSystemMenuEntries(window_);
    started_ = true;
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    return true;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SYSCOMMAND:
            if (OnSystemCommand(wParam))
                return 0;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM:
            if (wParam == static_cast<WPARAM>(ControlId(Control::超级按钮1))) {
                DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_SETCURSOR:
            if (OnSetCursor(lParam))
                return TRUE;
            break;
        case kDriveChosenMessage:
            OnDriveBoxChosen();
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            // A window destroyed by a failed start leaves no quit behind: it would close the
            // start-up error the moment it opens.
            if (started_)
                PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            controls_.fill(nullptr);
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
    const auto is = [id](Control control) { return id == ControlId(control); };
    if (is(Control::驱动器框2)) {
        // The box closes its list and lets go of the mouse only after this notification returns;
        // a search run from here would leave the list open over a window that seems frozen.
        if (code == CBN_SELENDOK)
            PostMessageW(window_, kDriveChosenMessage, 0, 0);
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

bool MainWindow::OnSystemCommand(WPARAM command) {
    // The system uses the low four bits of a command itself.
    switch (command & 0xFFF0) {
        case kUndoAllCommand:
            UndoAllChanges(state_, *this);
            return true;
        case kShowRecordCommand:
            ShowChangeRecord(*this);
            return true;
        default:
            return false;
    }
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

void MainWindow::OnDpiChanged(unsigned dpi, const RECT& suggested) {
    dpi_ = dpi;
    // The suggested rectangle keeps the window where the user moved it, at the new scale; a size of
    // our own could put it back across the monitor's edge and start the change again.
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutControls(controls_, dpi_, font_);
}

int MainWindow::Scaled(int value) const {
    return ScaleForDpi(value, dpi_);
}

LRESULT MainWindow::OnControlColour(HDC dc, HWND control) {
    // The control's identifier names it; a colour set for it wins over the system's text colour.
    COLORREF colour = GetSysColor(COLOR_BTNTEXT);
    const int index = GetDlgCtrlID(control) - ControlId(Control{});
    if (index >= 0 && index < kControlCount && controls_[static_cast<size_t>(index)] == control &&
        colours_[static_cast<size_t>(index)])
        colour = static_cast<COLORREF>(*colours_[static_cast<size_t>(index)]);
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
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
    const char letter = SelectedDriveLetter(ControlHandle(Control::驱动器框2));
    return letter ? Text(1, letter) : CurrentDriveLetter();
}

void MainWindow::ShowMessageBox(const Text& text, unsigned flags, const Text& title) {
    // No owner: task-modal keeps every window of the tool from taking input until it is closed.
    MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(title).c_str(), flags | MB_TASKMODAL);
}

bool MainWindow::AskYesNo(const Text& text, const Text& title) {
    return MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(title).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) == IDYES;
}
