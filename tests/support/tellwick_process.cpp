// Cross-process driving through window messages; strings are marshalled by the system.
#include "support/tellwick_process.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/encoding.h"

namespace {

constexpr wchar_t kWindowCaption[] = L"Tellwick1.4";

struct FindContext {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM data) {
    auto* context = reinterpret_cast<FindContext*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if ((context->processId && owner != context->processId) || !IsWindowVisible(window))
        return TRUE;
    wchar_t text[256] = L"";
    if (context->className) {
        GetClassNameW(window, text, 256);
        if (std::wstring(text) != context->className)
            return TRUE;
    }
    if (context->caption) {
        GetWindowTextW(window, text, 256);
        if (std::wstring(text) != context->caption)
            return TRUE;
    }
    context->found = window;
    return FALSE;
}

// A process id of 0 stands for any process.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, const wchar_t* caption) {
    FindContext context{processId, className, caption, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&context));
    return context.found;
}

// Polls `condition` every 10 ms for up to `timeoutMs`.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = 5000) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
        if (condition())
            return true;
        Sleep(10);
    }
    return condition();
}

Text WindowText(HWND window) {
    wchar_t text[1024] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return WideToAnsi(std::wstring(text, copied));
}

}  // namespace

TellwickProcess::TellwickProcess(const Text& exe, const Text& workingDirectory, bool waitForWindow) {
    std::wstring commandLine = L"\"" + ToWide(exe) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring directory = ToWide(workingDirectory);
    if (!CreateProcessW(ToWide(exe).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
        ADD_FAILURE() << "cannot start " << exe << " (error " << GetLastError() << ")";
        return;
    }
    process_.Reset(info.hProcess);
    CloseHandle(info.hThread);
    processId_ = info.dwProcessId;
    mainThreadId_ = info.dwThreadId;
    if (!waitForWindow)
        return;
    FindWindowOf(processId_);
}

TellwickProcess::TellwickProcess(StartedElsewhere) {
    FindWindowOf(0);
    if (!window_)
        return;
    GetWindowThreadProcessId(window_, &processId_);
    process_.Reset(
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId_));
}

void TellwickProcess::FindWindowOf(DWORD processId) {
    // Up to 30 s: under a loaded machine a start can take seconds; a process that has ended is not
    // waited for.
    for (int i = 0; i < 3000 && !window_; ++i) {
        window_ = FindProcessWindow(processId, nullptr, kWindowCaption);
        if (window_ || (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0))
            break;
        Sleep(10);
    }
    if (window_) {
        threadId_ = GetWindowThreadProcessId(window_, nullptr);
        return;
    }
    ADD_FAILURE() << "Tellwick's window did not appear (" << Describe() << ")";
}

Text TellwickProcess::Describe() const {
    std::string state = "process ";
    DWORD exitCode = STILL_ACTIVE;
    if (!process_)
        state += "not started";
    else if (GetExitCodeProcess(process_.Get(), &exitCode) && exitCode != STILL_ACTIVE)
        state += "ended with exit code " + std::to_string(exitCode);
    else
        state += "still running";
    // The server's record of the started thread's windows, which needs no desktop of this program.
    GUITHREADINFO started{};
    started.cbSize = sizeof started;
    if (mainThreadId_ && GetGUIThreadInfo(mainThreadId_, &started))
        state += started.hwndActive ? ", its first thread has an active window"
                                    : ", its first thread has no active window";
    int visible = 0;
    EnumWindows(
        [](HWND window, LPARAM count) {
            *reinterpret_cast<int*>(count) += IsWindowVisible(window) ? 1 : 0;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&visible));
    state += "; this program sees " + std::to_string(visible) +
             " visible top-level windows and its desktop window ";
    state += IsWindow(GetDesktopWindow()) ? "exists" : "is gone";
    return state;
}

TellwickProcess::~TellwickProcess() {
    if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), 5000);
    }
}

HWND TellwickProcess::ControlWindow(Control control) const {
    // Controls sit on the window or inside a group box.
    const int id = ControlId(control);
    if (HWND direct = GetDlgItem(window_, id))
        return direct;
    for (Control group : {Control::分组框1, Control::分组框2}) {
        if (HWND inside = GetDlgItem(GetDlgItem(window_, ControlId(group)), id))
            return inside;
    }
    return nullptr;
}

std::vector<Text> TellwickProcess::DriveEntries() const {
    HWND combo = ControlWindow(Control::驱动器框2);
    std::vector<Text> entries;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        const LRESULT length =
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.push_back(length > 0 ? WideToAnsi(std::wstring(text, static_cast<size_t>(length))) : Text());
    }
    return entries;
}

Text TellwickProcess::SelectedDrive() const {
    HWND combo = ControlWindow(Control::驱动器框2);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    return Text(1, static_cast<char>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0)));
}

void TellwickProcess::ChooseDrive(char letter) {
    HWND combo = ControlWindow(Control::驱动器框2);
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) != letter)
            continue;
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        // Posted, as the combo box itself notifies: the search runs inside the window's own loop.
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(ControlId(Control::驱动器框2), CBN_SELENDOK),
                     reinterpret_cast<LPARAM>(combo));
        return;
    }
    ADD_FAILURE() << "drive " << letter << " is not in the drive box";
}

bool TellwickProcess::ChooseDriveInList(char letter) {
    HWND combo = ControlWindow(Control::驱动器框2);
    const auto selected = [&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0); };
    LRESULT wanted = CB_ERR;
    for (LRESULT i = 0, count = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < count; ++i) {
        if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == letter)
            wanted = i;
    }
    if (wanted == CB_ERR) {
        ADD_FAILURE() << "drive " << letter << " is not in the drive box";
        return false;
    }
    for (int presses = 0; ThreadState().hwndFocus != combo; ++presses) {
        const HWND before = ThreadState().hwndFocus;
        if (presses == kControlCount) {
            ADD_FAILURE() << "Tab never reached the drive box";
            return false;
        }
        PressKey(VK_TAB);
        WaitUntil([&] { return ThreadState().hwndFocus != before; }, 1000);
    }
    PressKey(VK_F4);
    if (!WaitUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE; })) {
        ADD_FAILURE() << "F4 did not open the list";
        return false;
    }
    while (selected() != wanted) {
        const LRESULT before = selected();
        PressKey(before == CB_ERR || before < wanted ? VK_DOWN : VK_UP);
        if (!WaitUntil([&] { return selected() != before; }, 1000)) {
            ADD_FAILURE() << "the arrow keys do not move the selection";
            return false;
        }
    }
    PressKey(VK_RETURN);
    return true;
}

void TellwickProcess::PressKey(WORD key) const {
    // Into the tool's own queue, for the control with the focus, as the system queues a typed key:
    // the system's input would go to whatever window is in front, and test programs running
    // alongside bring windows of their own to the front.
    HWND target = ThreadState().hwndFocus;
    if (!target)
        target = window_;
    const LPARAM stroke = 1 | static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, stroke);
    PostMessageW(target, WM_KEYUP, key, stroke | LPARAM{3} << 30);
}

GUITHREADINFO TellwickProcess::ThreadState() const {
    GUITHREADINFO state{};
    state.cbSize = sizeof state;
    GetGUIThreadInfo(threadId_, &state);
    return state;
}

void TellwickProcess::Click(Control control) {
    PostMessageW(ControlWindow(control), BM_CLICK, 0, 0);
}

Text TellwickProcess::Caption(Control control) const {
    return WindowText(ControlWindow(control));
}

bool TellwickProcess::Ticked(Control control) const {
    return SendMessageW(ControlWindow(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TellwickProcess::WaitForCaption(Control control, const Text& expected, DWORD timeoutMs) const {
    return WaitUntil([&] { return Caption(control) == expected; }, timeoutMs);
}

void TellwickProcess::Settle() const {
    // A sent message is handled only after everything posted before it.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
}

std::optional<MessageBoxSeen> TellwickProcess::WaitForMessageBox(DWORD timeoutMs, bool answer,
                                                                 int button) const {
    HWND box = nullptr;
    for (DWORD waited = 0; !box; waited += 10) {
        box = FindProcessWindow(processId_, L"#32770", nullptr);
        if (box)
            break;
        if (waited >= timeoutMs)
            return std::nullopt;
        Sleep(10);
    }
    MessageBoxSeen seen{{}, WindowText(box)};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = L"";
        GetClassNameW(child, className, 64);
        if (std::wstring(className) == L"Static") {
            const Text text = WindowText(child);
            if (!text.empty()) {
                seen.text = text;
                break;
            }
        }
    }
    if (answer) {
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
        for (int i = 0; i < 500 && IsWindow(box); ++i)
            Sleep(10);
    }
    return seen;
}

void TellwickProcess::Close() const {
    PostMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void TellwickProcess::Kill() const {
    if (!process_)
        return;
    TerminateProcess(process_.Get(), 9);
    WaitForSingleObject(process_.Get(), 10000);
}

std::optional<DWORD> TellwickProcess::WaitForExit(DWORD timeoutMs) const {
    if (!process_ || WaitForSingleObject(process_.Get(), timeoutMs) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.Get(), &code);
    return code;
}
