// Appending through a handle opened for FILE_APPEND_DATA alone: Windows puts every write at the
// file's end, so lines of two programs never overwrite each other.
#include "platform/append_file.h"

#include <windows.h>

#include <optional>

#include "platform/handles.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";
// Far more than any record grows to; a larger file is not read into memory.
constexpr LONGLONG kLargestRead = 64ll << 20;

// The file's last byte, or nothing for an empty file or one that cannot be read.
std::optional<char> LastByte(HANDLE file, LONGLONG size) {
    LARGE_INTEGER at;
    at.QuadPart = size - 1;
    char last = 0;
    DWORD read = 0;
    if (size <= 0 || !SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
        !ReadFile(file, &last, 1, &read, nullptr) || read != 1)
        return std::nullopt;
    return last;
}

}  // namespace

SysResult AppendLine(const std::wstring& path, std::string_view line) {
    // Reading is shared so that an editor can show the file meanwhile, writing so that a second
    // copy of the tool can append too.
    const UniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | SYNCHRONIZE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return SysResult::LastError();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return SysResult::LastError();
    std::string bytes;
    if (size.QuadPart == 0)
        bytes = kUtf8Mark;
    else if (LastByte(file.Get(), size.QuadPart) != '\n')
        bytes = kLineEnd;
    bytes.append(line).append(kLineEnd);
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return SysResult::LastError();
    return written == bytes.size() ? SysResult::Success() : SysResult::Failure(ERROR_WRITE_FAULT);
}

SysResult ReadWholeFile(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return SysResult::LastError();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size))
        return SysResult::LastError();
    if (size.QuadPart > kLargestRead)
        return SysResult::Failure(ERROR_FILE_TOO_LARGE);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() &&
        !ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
        return SysResult::LastError();
    // A file that shrank meanwhile gives what it still held.
    bytes.resize(read);
    return SysResult::Success();
}

SysResult EnsureFolder(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr))
        return SysResult::Success();
    const SysResult created = SysResult::LastError();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return SysResult::Success();
    return created.Error() == ERROR_ALREADY_EXISTS ? SysResult::Failure(ERROR_DIRECTORY) : created;
}
