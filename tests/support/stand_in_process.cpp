// Starts copies of tests/helpers/idle_child.exe under the names a test needs.
#include "support/stand_in_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "platform/encoding.h"
#include "platform/files.h"
#include "support/wine_host.h"

LauncherNameLock::LauncherNameLock() : mutex_(CreateMutexW(nullptr, FALSE, L"Tellwick.Tests.LauncherName")) {
    if (!mutex_) {
        ADD_FAILURE() << "cannot create the launcher name lock";
        return;
    }
    const DWORD result = WaitForSingleObject(mutex_.Get(), 120000);
    owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
    if (!owned_)
        ADD_FAILURE() << "another test held the launcher name for two minutes";
}

LauncherNameLock::~LauncherNameLock() {
    if (owned_)
        ReleaseMutex(mutex_.Get());
}

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
