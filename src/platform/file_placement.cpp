// Putting a new file in place of a target by ReplaceFileW or a move that replaces nothing, and
// making the state whole again after a swap that failed half-way.
#include "platform/file_placement.h"

#include <atomic>

#include "platform/file_write.h"
#include "platform/handles.h"
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

// A file's identity: its volume and its index there. ReplaceFileW's documentation says that the
// file under the target's name afterwards "has the same file ID as the replacement file".
struct FileId {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    bool operator==(const FileId&) const = default;
};

bool IdOf(const std::wstring& path, FileId& id) {
    const UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file.Valid() || !GetFileInformationByHandle(file.Get(), &info))
        return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// After a failed ReplaceFileW, makes the state whole again by what is on the disk, whatever the
// code said. 1175, and 1176 with a backup name, leave both files under their names. 1177 leaves
// the target under the backup name (`displaced`) and the new file, with the target's attributes,
// under its own: the former content goes back, or failing that the new file takes the name, so the
// name is never left empty while either can be put there. The target counts as replaced only when
// it is the new file (`replacement`): a new file that vanished was taken by something else (a
// scanner's quarantine), and the target still holds its former bytes.
enum class Settled { kUnchanged, kReplaced, kStranded, kReplacementGone };

Settled SettleFailedSwap(const std::wstring& temporary, const FileId& replacement, const std::wstring& target,
                         const std::wstring& displaced) {
    if (!Exists(target) && Exists(displaced))
        Move(displaced, target, MOVEFILE_WRITE_THROUGH);
    if (FileId id; IdOf(target, id) && id == replacement)
        return Settled::kReplaced;
    if (!Exists(temporary))
        return Exists(target) || !Exists(displaced) ? Settled::kReplacementGone : Settled::kStranded;
    if (Exists(target))
        return Settled::kUnchanged;
    if (Move(temporary, target, MOVEFILE_WRITE_THROUGH))
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
    FileId replacement;
    if (!IdOf(temporary, replacement))
        return SysResult::LastError();
    for (int attempt = 1;; ++attempt) {
        const std::wstring displaced = BesideName(target, kDisplacedSuffix);
        const BOOL swapped =
            calls.replace
                ? calls.replace(target.c_str(), temporary.c_str(), displaced.c_str())
                : ReplaceFileW(target.c_str(), temporary.c_str(), displaced.c_str(), 0, nullptr, nullptr);
        const SysResult result = SysResult::FromBool(swapped);
        switch (swapped ? Settled::kReplaced : SettleFailedSwap(temporary, replacement, target, displaced)) {
            case Settled::kReplaced:
                RemoveFile(displaced);
                return SysResult::Success();
            case Settled::kStranded:
                return SysResult::Failure(kErrorFormerContentSetAside);
            case Settled::kReplacementGone:
                return result;
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

bool RetryRefusals(const std::function<bool()>& step) {
    for (int attempt = 1;; ++attempt) {
        if (step())
            return true;
        const DWORD error = GetLastError();
        if (!IsTransient(error) || attempt == kPlacementAttempts)
            return false;
        Sleep(kPlacementRetryMs);
    }
}

SysResult Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
    const FileWriteCalls& calls = InstalledCalls<FileWriteCalls>();
    return SysResult::FromBool(RetryRefusals([&] {
        return (calls.move ? calls.move(from.c_str(), to.c_str(), flags)
                           : MoveFileExW(from.c_str(), to.c_str(), flags)) != FALSE;
    }));
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
