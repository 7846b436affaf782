// File and folder calls: every path is converted from GBK explicitly before it reaches Windows.
#include "platform/files.h"

#include <windows.h>

#include <shlwapi.h>

#include "platform/encoding.h"
#include "platform/handles.h"

bool FileExists(std::string_view path) {
    const WideBlock widePath = AnsiToWide(path);
    if (widePath.Empty())
        return false;
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW(widePath.Data(), &data));
    return find.Valid();
}

bool CopyFileOver(std::string_view from, std::string_view to) {
    return CopyFileW(AnsiToWide(from).Data(), AnsiToWide(to).Data(), FALSE) != 0;
}

bool MovePath(std::string_view from, std::string_view to) {
    return MoveFileW(AnsiToWide(from).Data(), AnsiToWide(to).Data()) != 0;
}

bool DeleteFileAt(std::string_view path) {
    return DeleteFileW(AnsiToWide(path).Data()) != 0;
}

bool IsDirectory(std::string_view path) {
    const WideBlock widePath = AnsiToWide(path);
    if (widePath.Empty())
        return false;
    // PathIsDirectoryW answers with the attribute bit itself; only exactly that counts.
    return PathIsDirectoryW(widePath.Data()) == FILE_ATTRIBUTE_DIRECTORY;
}

bool MakeDirectory(std::string_view path) {
    return CreateDirectoryW(AnsiToWide(path).Data(), nullptr) != 0;
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        std::string_view file) {
    return WritePrivateProfileStringW(AnsiToWide(section).Data(), AnsiToWide(key).Data(),
                                      AnsiToWide(value).Data(), AnsiToWide(file).Data()) != 0;
}
