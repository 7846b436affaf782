// Start-up steps that talk to the process itself.
#include "platform/process_setup.h"

#include <windows.h>

#include <string>

void UseExecutableFolderAsCurrentDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t lastSeparator = path.rfind(L'\\');
    if (lastSeparator == std::wstring::npos)
        return;
    path.resize(lastSeparator);
    // A drive root keeps its backslash: "C:" alone would mean the drive's current directory.
    if (path.size() == 2 && path[1] == L':')
        path += L'\\';
    SetCurrentDirectoryW(path.c_str());
}

void QuietCriticalErrors() {
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}
