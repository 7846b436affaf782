// Putting a new file in place of a target by ReplaceFileW or a move that replaces nothing, and
// making the state whole again after a swap that failed half-way.
#include "platform/file_placement.h"

#include <atomic>

#include "platform/file_write.h"
#include "platform/seam.h"
#include "platform/wine.h"

namespace file_write {

namespace {

// Wine's ReplaceFileW moves the target away and deletes it before it moves the new file in, so a
// crash in between leaves no file at all, and a failure leaves an empty "rf*.tmp" behind. There a
// rename over the target is the whole-or-nothing step (Wine keeps no access lists to lose), with
// the attributes that ReplaceFileW would have carried over set on the new file first.
SysResult RenameOver(const std::wstring& temporary, const std::wstring& target, DWORD attributes) {
    constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if ((attributes & kCarried) != 0 && !SetFileAttributesW(temporary.c_str(), attributes & kCarried))
        return SysResult::LastError();
    return Move(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// After a failed ReplaceFileW, makes the state whole again by what is on the disk, whatever the
// code said. 1175, and 1176 with a backup name, leave both files under their names. 1177 leaves
// the target under the backup name (`displaced`) and the new file, with the target's attributes,
// under its own: the former content goes back, or failing that the new file takes the name, so the
// name is never left empty while either can be put there.
enum class Settled { kUnchanged, kReplaced, kStranded };

Settled SettleFailedSwap(const std::wstring& temporary, const std::wstring& target,
                         const std::wstring& displaced) {
    if (!Exists(target) && Exists(displaced))
        Move(displaced, target, MOVEFILE_WRITE_THROUGH);
    if (Exists(target))
        return Exists(temporary) ? Settled::kUnchanged : Settled::kReplaced;
    if (Exists(temporary) && Move(temporary, target, MOVEFILE_WRITE_THROUGH))
        return Settled::kReplaced;
    return Exists(displaced) ? Settled::kStranded : Settled::kUnchanged;
}

// ReplaceFileW gives the new file the target's attributes and security and swaps the names; it
// needs the right to delete the target, which a program holding it open without FILE_SHARE_DELETE
// withholds, and then the target keeps its content. The target's former content goes to a backup
// name of ours: without one, Windows may leave it under a name no one knows. No merge errors are
// ignored: a file that would lose its security is not replaced.
SysResult SwapIn(const std::wstring& temporary, const std::wstring& target) {
    const FileWriteCalls& calls = InstalledCalls<FileWriteCalls>();
    for (int attempt = 1;; ++attempt) {
        const std::wstring displaced = BesideName(target, kDisplacedSuffix);
        const BOOL swapped =
            calls.replace
                ? calls.replace(target.c_str(), temporary.c_str(), displaced.c_str())
                : ReplaceFileW(target.c_str(), temporary.c_str(), displaced.c_str(), 0, nullptr, nullptr);
        const SysResult result = SysResult::FromBool(swapped);
        switch (swapped ? Settled::kReplaced : SettleFailedSwap(temporary, target, displaced)) {
            case Settled::kReplaced:
                RemoveFile(displaced);
                return SysResult::Success();
            case Settled::kStranded:
                return SysResult::Failure(kErrorFormerContentSetAside);
            case Settled::kUnchanged:
                break;
        }
        const bool nameIntact = result.Error() == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                                result.Error() == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
        if (!(IsTransient(result.Error()) || nameIntact) || attempt == kPlacementAttempts)
            return result;
        Sleep(kPlacementRetryMs);
    }
}

}  // namespace

bool IsTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

SysResult Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
    const FileWriteCalls& calls = InstalledCalls<FileWriteCalls>();
    for (int attempt = 1;; ++attempt) {
        const BOOL moved = calls.move ? calls.move(from.c_str(), to.c_str(), flags)
                                      : MoveFileExW(from.c_str(), to.c_str(), flags);
        const SysResult result = SysResult::FromBool(moved);
        if (result || !IsTransient(result.Error()) || attempt == kPlacementAttempts)
            return result;
        Sleep(kPlacementRetryMs);
    }
}

std::wstring BesideName(const std::wstring& target, std::wstring_view suffix) {
    static std::atomic<unsigned> counter{0};
    return target + std::wstring(kBesideMark) + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + std::wstring(suffix);
}

SysResult ReplaceTarget(const std::wstring& temporary, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Move(temporary, target, MOVEFILE_WRITE_THROUGH);
    if (RunningUnderWine() && !InstalledCalls<FileWriteCalls>().replace)
        return RenameOver(temporary, target, attributes);
    return SwapIn(temporary, target);
}

}  // namespace file_write
