// Whole-file writes through a flushed file beside the target, put in place by ReplaceFileW or a
// move that replaces nothing.
#include "platform/file_write.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/encoding.h"
#include "platform/handles.h"

namespace {

// Creates a file of a name no one else uses, in the target's folder so that the move stays on
// one volume.
UniqueFile CreateFileBeside(const std::wstring& target, std::wstring& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + L".tellwick-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(++counter);
        UniqueFile file(
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid() || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return UniqueFile();
}

bool WriteAll(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr))
            return false;
        if (written != chunk) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += chunk;
        size -= chunk;
    }
    return true;
}

// Reads the whole source while no one else may write it, so the copy is of one state of the file.
bool CopyContent(HANDLE to, const std::wstring& from) {
    const UniqueFile source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.Valid())
        return false;
    static constexpr DWORD kBufferSize = 1 << 16;
    std::string buffer(kBufferSize, '\0');
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source.Get(), buffer.data(), kBufferSize, &read, nullptr))
            return false;
        if (read == 0)
            return true;
        if (!WriteAll(to, buffer.data(), read))
            return false;
    }
}

// Fills a new file beside `target` with `fill` (given the open file and its name), flushes it to the disk (so
// that a crash after the next step cannot leave an empty or partial file under the target's name), then hands
// its name to `place`. The new file is removed on every path on which `place` did not take it.
template <typename Fill, typename Place>
SysResult WriteBeside(const std::wstring& target, Fill fill, Place place) {
    std::wstring temporary;
    UniqueFile file = CreateFileBeside(target, temporary);
    if (!file.Valid())
        return SysResult::LastError();
    ScopeExit removeTemporary([&] {
        file.Reset();
        DeleteFileW(temporary.c_str());
    });
    if (!fill(file, temporary) || !FlushFileBuffers(file.Get()))
        return SysResult::LastError();
    file.Reset();
    if (!place(temporary))
        return SysResult::LastError();
    removeTemporary.Dismiss();
    return SysResult::Success();
}

// Wine's ReplaceFileW moves the target away and deletes it before it moves the new file in, so a
// crash in between leaves no file at all, and a failure leaves an empty "rf*.tmp" behind. There a
// rename over the target is the whole-or-nothing step (Wine keeps no access lists to lose), with
// the attributes that ReplaceFileW would have carried over set on the new file first.
bool UnderWine() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}

// ReplaceFileW gives the new file the target's attributes and security and swaps the names; it
// needs the right to delete the target, which a program holding it open without FILE_SHARE_DELETE
// withholds, and then the target keeps its content. No merge errors are ignored: a file that would
// lose its security is not replaced.
bool ReplaceTarget(const std::wstring& temporary, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!UnderWine())
        return ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, 0, nullptr, nullptr) != 0;
    constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((attributes & kCarried) != 0 && !SetFileAttributesW(temporary.c_str(), attributes & kCarried))
        return false;
    return MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// A read-only target stays as it is. Windows refuses to replace one anyway; Wine as root does not.
bool WritableTarget(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace

SysResult WriteFileWhole(std::string_view path, std::string_view bytes) {
    const std::wstring target = ToWide(path);
    if (target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    if (!WritableTarget(target))
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    return WriteBeside(
        target,
        [&](UniqueFile& file, const std::wstring&) {
            return WriteAll(file.Get(), bytes.data(), bytes.size());
        },
        [&](const std::wstring& temporary) { return ReplaceTarget(temporary, target); });
}

SysResult CopyFileWhole(std::string_view from, std::string_view to) {
    const std::wstring source = ToWide(from);
    const std::wstring target = ToWide(to);
    if (source.empty() || target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    if (!WritableTarget(target))
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    return WriteBeside(
        target, [&](UniqueFile& file, const std::wstring&) { return CopyContent(file.Get(), source); },
        [&](const std::wstring& temporary) { return ReplaceTarget(temporary, target); });
}

SysResult CopyFileOnce(std::string_view from, std::string_view to) {
    const std::wstring source = ToWide(from);
    const std::wstring target = ToWide(to);
    if (source.empty() || target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    const auto isFile = [&] {
        const DWORD attributes = GetFileAttributesW(target.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    };
    if (isFile())
        return SysResult::Success();
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name was taken meanwhile (a second
    // copy of the tool made the backup a moment earlier): that backup stands, and ours is dropped.
    const SysResult made = WriteBeside(
        target, [&](UniqueFile& file, const std::wstring&) { return CopyContent(file.Get(), source); },
        [&](const std::wstring& temporary) {
            return MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        });
    return made || !isFile() ? made : SysResult::Success();
}

SysResult WriteProfileStringWhole(std::string_view section, std::string_view key, std::string_view value,
                                  std::string_view file) {
    const std::wstring target = ToWide(file);
    if (target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    if (!WritableTarget(target))
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    const bool exists = GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES;
    return WriteBeside(
        target,
        [&](UniqueFile& copy, const std::wstring& name) {
            if (exists && !CopyContent(copy.Get(), target))
                return false;
            // The INI writer opens the copy by its name; it is closed meanwhile and opened again
            // for the flush.
            copy.Reset();
            if (!WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                            ToWide(value).c_str(), name.c_str()))
                return false;
            copy.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            return copy.Valid();
        },
        [&](const std::wstring& temporary) { return ReplaceTarget(temporary, target); });
}
