// Whole-file writes through a file beside the target and MoveFileExW.
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

}  // namespace

SysResult WriteFileWhole(std::string_view path, std::string_view bytes) {
    const std::wstring target = ToWide(path);
    if (target.empty() || bytes.size() > MAXDWORD)
        return SysResult::Failure(ERROR_INVALID_PARAMETER);

    // A read-only target stays as it is, as it would for a write in place. Windows refuses to move
    // over one anyway; Wine's rename does not ask.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return SysResult::Failure(ERROR_ACCESS_DENIED);

    std::wstring temporary;
    UniqueFile file = CreateFileBeside(target, temporary);
    if (!file.Valid())
        return SysResult::LastError();
    ScopeExit removeTemporary([&] {
        file.Reset();
        DeleteFileW(temporary.c_str());
    });

    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return SysResult::LastError();
    if (written != bytes.size())
        return SysResult::Failure(ERROR_WRITE_FAULT);
    // On the disk before the move, so that a crash cannot leave the target empty.
    if (!FlushFileBuffers(file.Get()))
        return SysResult::LastError();
    file.Reset();

    // Replacing the target needs the right to delete it, which a program holding it open without
    // FILE_SHARE_DELETE withholds: the move then fails and the target keeps its content.
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return SysResult::LastError();
    removeTemporary.Dismiss();
    return SysResult::Success();
}
