// File and folder calls: every path is converted from GBK explicitly before it reaches Windows.
#include "platform/files.h"

#include <windows.h>

#include <shlwapi.h>

#include "platform/append_file.h"
#include "platform/directory.h"
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

SysResult CopyFileOver(std::string_view from, std::string_view to) {
    return SysResult::FromBool(CopyFileW(AnsiToWide(from).Data(), AnsiToWide(to).Data(), FALSE));
}

SysResult MovePath(std::string_view from, std::string_view to) {
    return SysResult::FromBool(MoveFileW(AnsiToWide(from).Data(), AnsiToWide(to).Data()));
}

SysResult DeleteFileAt(std::string_view path) {
    return SysResult::FromBool(DeleteFileW(AnsiToWide(path).Data()));
}

bool IsDirectory(std::string_view path) {
    const WideBlock widePath = AnsiToWide(path);
    if (widePath.Empty())
        return false;
    // PathIsDirectoryW answers with the attribute bit itself; only exactly that counts.
    return PathIsDirectoryW(widePath.Data()) == FILE_ATTRIBUTE_DIRECTORY;
}

namespace {

DWORD AttributesOf(std::string_view path) {
    const WideBlock widePath = AnsiToWide(path);
    return widePath.Empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(widePath.Data());
}

}  // namespace

bool IsReadOnly(std::string_view path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool IsLink(std::string_view path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool CanListFolder(std::string_view path) {
    if (path.empty())
        return false;
    WIN32_FIND_DATAW data;
    const UniqueFind find(FindFirstFileW(ToWide(JoinPath(path, "*")).c_str(), &data));
    // A drive root has no "." entry: an empty one lists nothing, and that is no failure.
    return find.Valid() || GetLastError() == ERROR_FILE_NOT_FOUND;
}

SysResult MakeDirectory(std::string_view path) {
    return SysResult::FromBool(CreateDirectoryW(AnsiToWide(path).Data(), nullptr));
}

bool IsEmptyFolder(std::string_view path) {
    if (!IsDirectory(path))
        return false;
    // A folder that cannot be listed may hold anything. Removing it stays safe either way: Windows
    // refuses to remove a folder that is not empty.
    DirectoryListing entries(ToWide(JoinPath(path, "*")));
    if (!entries.Valid())
        return false;
    for (bool more = true; more; more = entries.Next()) {
        if (!entries.IsDotOrDotDot())
            return false;
    }
    return true;
}

SysResult RemoveEmptyFolder(std::string_view path) {
    return SysResult::FromBool(RemoveDirectoryW(AnsiToWide(path).Data()));
}

SysResult ReadFileBytes(std::string_view path, std::string& bytes) {
    const std::wstring widePath = ToWide(path);
    if (widePath.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    return ReadWholeFile(widePath, bytes);
}
