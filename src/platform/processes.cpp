// Process snapshot through the tool-help calls, with the wide entry.
#include "platform/processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include "platform/encoding.h"
#include "platform/handles.h"

std::vector<ProcessEntry> RunningProcesses() {
    std::vector<ProcessEntry> processes;
    const UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return processes;
    // The entry's size differs between 32- and 64-bit builds; any other value makes the calls fail.
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        entry.szExeFile[MAX_PATH - 1] = L'\0';
        processes.push_back({entry.th32ProcessID, WideToAnsi(entry.szExeFile)});
    }
    return processes;
}

bool ProcessRunsSince(std::uint32_t id, std::uint64_t time) {
    const UniqueKernel process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;
    // An ended process stays openable while anyone holds a handle to it; it is signalled then.
    if (WaitForSingleObject(process.Get(), 0) != WAIT_TIMEOUT)
        return false;
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process.Get(), &created, &exited, &kernel, &user))
        return true;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime) <= time;
}
