// Starts copies of tests/helpers/idle_child.exe under the names a test needs.
#include "support/stand_in_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/files.h"
#include "support/wine_host.h"

LauncherNameLock::LauncherNameLock() {
    wchar_t temporary[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temporary);
    const std::wstring path = std::wstring(temporary) + L"tellwick-launcher-name.lock";
    for (int waited = 0; waited < 120000; waited += 20) {
        file_.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_)
            return;
        Sleep(20);
    }
    ADD_FAILURE() << "another test held the launcher name for two minutes";
}

LauncherNameLock::~LauncherNameLock() = default;

StandInProcess::StandInProcess(const Text& folder, const Text& exeName) {
    const Text helper = JoinPath(TestHelpersFolder(), "idle_child.exe");
    const Text program = JoinPath(folder, exeName);
    if (!CopyFileOver(helper, program)) {
        ADD_FAILURE() << "cannot copy " << helper;
        return;
    }
    std::wstring commandLine = L"\"" + ToWide(program) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(ToWide(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "cannot start the stand-in process, error " << GetLastError();
        return;
    }
    CloseHandle(info.hThread);
    process_.Reset(info.hProcess);
    id_ = info.dwProcessId;
}

StandInProcess::~StandInProcess() {
    if (!process_)
        return;
    TerminateProcess(process_.Get(), 0);
    WaitForSingleObject(process_.Get(), 10000);
}
