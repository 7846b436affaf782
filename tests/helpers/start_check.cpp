// Starts a program and checks that it really got going: its main window (by class and caption)
// appears, and closing that window ends the program with exit code 0. A program stuck on a
// start-up error box fails, although it keeps running. scripts/release.sh runs this on the
// unpacked package.
//   start_check PROGRAM WINDOW-CLASS WINDOW-CAPTION
// Exit code 0 when every step held; otherwise 1, with what went wrong on standard error.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* caption;
    HWND found;
    std::wstring seen;  // the process's other windows, for the failure message
};

BOOL CALLBACK Inspect(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    wchar_t className[256] = L"";
    wchar_t caption[256] = L"";
    GetClassNameW(window, className, 256);
    GetWindowTextW(window, caption, 256);
    if (std::wstring(className) == search->className && std::wstring(caption) == search->caption) {
        search->found = window;
        return FALSE;
    }
    search->seen += std::wstring(L" [") + className + L" \"" + caption + L"\"]";
    return TRUE;
}

int Fail(HANDLE process, const std::wstring& message) {
    std::fwprintf(stderr, L"start_check: %ls\n", message.c_str());
    if (process) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
    return 1;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args || count != 4)
        return Fail(nullptr, L"usage: start_check PROGRAM WINDOW-CLASS WINDOW-CAPTION");
    const std::wstring program = args[1];

    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return Fail(nullptr,
                    L"cannot start " + program + L" (error " + std::to_wstring(GetLastError()) + L")");
    CloseHandle(info.hThread);

    // A fresh Wine prefix can take a while to start its first window.
    Search search{info.dwProcessId, args[2], args[3], nullptr, {}};
    for (int waited = 0; waited < 30000 && !search.found; waited += 100) {
        search.seen.clear();
        EnumWindows(Inspect, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            break;
        DWORD code = 0;
        if (WaitForSingleObject(info.hProcess, 100) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(info.hProcess, &code))
            return Fail(info.hProcess, program + L" ended with exit code " +
                                           std::to_wstring(static_cast<int>(code)) +
                                           L" before its window appeared");
    }
    if (!search.found) {
        return Fail(info.hProcess, L"no window of class " + std::wstring(args[2]) + L" captioned \"" +
                                       args[3] + L"\" after 30 seconds; the program shows:" +
                                       (search.seen.empty() ? L" nothing" : search.seen));
    }

    // As the close box does.
    PostMessageW(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0)
        return Fail(info.hProcess, program + L" still runs 10 seconds after its window was closed");
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    if (code != 0)
        return Fail(nullptr, L"closing the window ended " + program + L" with exit code " +
                                 std::to_wstring(static_cast<int>(code)));
    std::fwprintf(stdout, L"start_check: the window came up and closing it gave exit code 0\n");
    return 0;
}
