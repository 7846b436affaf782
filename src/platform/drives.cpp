// Drive enumeration through the W functions.
#include "platform/drives.h"

#include <windows.h>

#include <cwctype>

#include "platform/encoding.h"

std::vector<DriveInfo> ListDrives() {
    std::vector<DriveInfo> drives;
    const DWORD needed = GetLogicalDriveStringsW(0, nullptr);
    if (needed == 0)
        return drives;
    std::wstring buffer(needed + 1, L'\0');
    const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length > buffer.size())
        return drives;
    for (const wchar_t* root = buffer.c_str(); *root; root += wcslen(root) + 1) {
        DriveInfo drive{static_cast<char>(std::towupper(root[0])), GetDriveTypeW(root), {}};
        if (drive.type == DRIVE_FIXED) {
            wchar_t label[MAX_PATH + 1] = L"";
            if (GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
                drive.label = WideToAnsi(label);
        }
        drives.push_back(std::move(drive));
    }
    return drives;
}

Text CurrentDriveLetter() {
    wchar_t directory[MAX_PATH] = L"";
    const DWORD length = GetCurrentDirectoryW(MAX_PATH, directory);
    if (length == 0 || length >= MAX_PATH || directory[1] != L':')
        return {};
    return Text(1, static_cast<char>(std::towupper(directory[0])));
}
