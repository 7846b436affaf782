// A stand-in DLL that the planted-DLL test copies beside Tellwick.exe under the names of system
// DLLs: whenever a process loads it, it leaves "<its own path>.loaded" behind as evidence.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size())
        return TRUE;
    path.resize(length);
    path += L".loaded";
    HANDLE marker = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (marker != INVALID_HANDLE_VALUE)
        CloseHandle(marker);
    return TRUE;
}
