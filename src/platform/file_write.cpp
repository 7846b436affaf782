// Whole-file writes through a flushed file beside the target, put in place by ReplaceFileW or a
// move that replaces nothing.
#include "platform/file_write.h"

#include <windows.h>

#include <string>

#include "platform/encoding.h"
#include "platform/file_leftovers.h"
#include "platform/file_placement.h"
#include "platform/write_beside.h"

using namespace file_write;

SysResult WriteFileWhole(std::string_view path, std::string_view bytes) {
    const std::wstring target = ToWide(path);
    if (target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    SettleLeftoversOf(target);
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
    SettleLeftoversOf(target);
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
    SettleLeftoversOf(target);
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
        [&](const std::wstring& temporary) { return Move(temporary, target, MOVEFILE_WRITE_THROUGH); });
    return made || !isFile() ? made : SysResult::Success();
}
