// Whole-file writes through a flushed file beside the target, put in place by ReplaceFileW or a
// move that replaces nothing.
#include "platform/file_write.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/encoding.h"
#include "platform/handles.h"
#include "platform/processes.h"
#include "platform/wine.h"

namespace {

// Virus scanners and the search indexer open a file the moment it is closed, often without
// sharing it, for a fraction of a second: a refusal is tried again for about a second in all.
constexpr int kPlacementAttempts = 10;
constexpr DWORD kPlacementRetryMs = 100;

// Files beside the target are named "<target>.tellwick-<process>-<n>": the new content while it is
// written, and with kDisplacedSuffix the former content while ReplaceFileW swaps the two.
constexpr std::wstring_view kBesideMark = L".tellwick-";
constexpr std::wstring_view kDisplacedSuffix = L"-replaced";

FileWriteCalls& InstalledCalls() {
    static FileWriteCalls calls;
    return calls;
}

bool IsTransient(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file that inherited the target's read-only attribute would refuse to go.
void RemoveFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

SysResult Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
    const FileWriteCalls& calls = InstalledCalls();
    for (int attempt = 1;; ++attempt) {
        const BOOL moved = calls.move ? calls.move(from.c_str(), to.c_str(), flags)
                                      : MoveFileExW(from.c_str(), to.c_str(), flags);
        const SysResult result = SysResult::FromBool(moved);
        if (result || !IsTransient(result.Error()) || attempt == kPlacementAttempts)
            return result;
        Sleep(kPlacementRetryMs);
    }
}

std::wstring BesideName(const std::wstring& target, std::wstring_view suffix = {}) {
    static std::atomic<unsigned> counter{0};
    return target + std::wstring(kBesideMark) + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter) + std::wstring(suffix);
}

// Creates a file of a name no one else uses, in the target's folder so that the move stays on
// one volume.
UniqueFile CreateFileBeside(const std::wstring& target, std::wstring& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = BesideName(target);
        UniqueFile file(
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.Valid() || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return UniqueFile();
}

// What a name beside the target says of itself: the process that made it, and whether it holds
// the target's former content. Anything not made by a writer here is nobody's leftover.
struct Leftover {
    DWORD process = 0;
    bool displaced = false;
};

// Takes a run of decimal digits off the front of `text`; false when there is none or it is too long
// for a process id.
bool TakeNumber(std::wstring_view& text, DWORD& number) {
    unsigned long long value = 0;
    size_t digits = 0;
    for (; digits < text.size() && text[digits] >= L'0' && text[digits] <= L'9'; ++digits) {
        value = value * 10 + static_cast<unsigned>(text[digits] - L'0');
        if (value > MAXDWORD)
            return false;
    }
    text.remove_prefix(digits);
    number = static_cast<DWORD>(value);
    return digits > 0;
}

// `rest` is what follows "<target>.tellwick-": "<process>-<n>", or "<process>-<n>-replaced".
bool ParseLeftover(std::wstring_view rest, Leftover& leftover) {
    DWORD counter = 0;
    if (!TakeNumber(rest, leftover.process) || rest.empty() || rest.front() != L'-')
        return false;
    rest.remove_prefix(1);
    if (!TakeNumber(rest, counter))
        return false;
    leftover.displaced = rest == kDisplacedSuffix;
    return rest.empty() || leftover.displaced;
}

// A run killed in the middle of a write leaves its new file beside the target, as large as the
// file; one killed while Windows swapped the two can leave the target's former content there with
// the target's name empty. The files of runs that have ended are dealt with before the next write:
// a new file is removed, a former content goes back under the target's name while that is free
// (and is removed once the target stands again). Files of a running process are its own business.
// Called before a writer looks at the target, so that it sees the file the user had.
void SettleLeftoversOf(const std::wstring& target) {
    const size_t slash = target.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);
    const std::wstring prefix = target.substr(folder.size()) + std::wstring(kBesideMark);
    WIN32_FIND_DATAW entry;
    const UniqueFind find(FindFirstFileExW((target + std::wstring(kBesideMark) + L"*").c_str(),
                                           FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find)
        return;
    do {
        const std::wstring_view name = entry.cFileName;
        Leftover leftover;
        if ((entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
            name.size() <= prefix.size() ||
            CompareStringOrdinal(name.data(), static_cast<int>(prefix.size()), prefix.data(),
                                 static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL ||
            !ParseLeftover(name.substr(prefix.size()), leftover))
            continue;
        const bool own = leftover.process == GetCurrentProcessId();
        if (!own && ProcessIsRunning(leftover.process))
            continue;
        const std::wstring path = folder + std::wstring(name);
        if (leftover.displaced && !Exists(target))
            Move(path, target, MOVEFILE_WRITE_THROUGH);
        else if (!own)
            RemoveFile(path);
    } while (FindNextFileW(find.Get(), &entry));
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

// Reads the whole source from byte `skip` on while no one else may write it, so the copy is of one
// state of the file.
bool CopyContent(HANDLE to, const std::wstring& from, LONG skip = 0) {
    const UniqueFile source(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.Valid())
        return false;
    if (skip > 0 && SetFilePointer(source.Get(), skip, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
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
        RemoveFile(temporary);
    });
    if (!fill(file, temporary) || !FlushFileBuffers(file.Get()))
        return SysResult::LastError();
    file.Reset();
    const SysResult placed = place(temporary);
    if (!Exists(temporary))
        removeTemporary.Dismiss();
    return placed;
}

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
    const FileWriteCalls& calls = InstalledCalls();
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

SysResult ReplaceTarget(const std::wstring& temporary, const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Move(temporary, target, MOVEFILE_WRITE_THROUGH);
    if (RunningUnderWine() && !InstalledCalls().replace)
        return RenameOver(temporary, target, attributes);
    return SwapIn(temporary, target);
}

// A read-only target stays as it is. Windows refuses to replace one anyway; Wine as root does not.
bool WritableTarget(const std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ||
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

bool WriteProfileString(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                        const std::wstring& file) {
    const FileWriteCalls& calls = InstalledCalls();
    if (calls.writeProfileString)
        return calls.writeProfileString(section.c_str(), key.c_str(), value.c_str(), file.c_str());
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool StartsWithUtf8Mark(const std::wstring& path) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    char head[3] = {};
    DWORD read = 0;
    return file.Valid() && ReadFile(file.Get(), head, sizeof head, &read, nullptr) && read == sizeof head &&
           std::string_view(head, sizeof head) == kUtf8Mark;
}

// Puts the mark back in front of what the INI writer left in `path`.
bool PrependUtf8Mark(const std::wstring& path, UniqueFile& file) {
    file.Reset(
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size;
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size))
        return false;
    if (size.QuadPart > (1ll << 30)) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    std::string content(kUtf8Mark);
    content.resize(kUtf8Mark.size() + static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.Get(), content.data() + kUtf8Mark.size(), static_cast<DWORD>(size.QuadPart), &read,
                  nullptr) ||
        read != size.QuadPart)
        return false;
    return SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           WriteAll(file.Get(), content.data(), content.size());
}

}  // namespace

ScopedFileWriteCalls::ScopedFileWriteCalls(FileWriteCalls calls)
    : previous_(std::exchange(InstalledCalls(), std::move(calls))) {}

ScopedFileWriteCalls::~ScopedFileWriteCalls() {
    InstalledCalls() = std::move(previous_);
}

void SettleLeftovers(std::string_view path) {
    if (const std::wstring target = ToWide(path); !target.empty())
        SettleLeftoversOf(target);
}

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

SysResult WriteProfileStringWhole(std::string_view section, std::string_view key, std::string_view value,
                                  std::string_view file) {
    const std::wstring target = ToWide(file);
    if (target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    SettleLeftoversOf(target);
    if (!WritableTarget(target))
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    const bool exists = Exists(target);
    // Windows' INI writer takes a UTF-8 mark for part of the first line, so the section there is not
    // found and a second one is added; Wine's knows the mark. The writer works on the content
    // without it, on both alike, and the mark goes back in front afterwards.
    const bool marked = exists && StartsWithUtf8Mark(target);
    return WriteBeside(
        target,
        [&](UniqueFile& copy, const std::wstring& name) {
            if (exists && !CopyContent(copy.Get(), target, marked ? static_cast<LONG>(kUtf8Mark.size()) : 0))
                return false;
            // The INI writer opens the copy by its name; it is closed meanwhile and opened again
            // for the flush.
            copy.Reset();
            if (!WriteProfileString(ToWide(section), ToWide(key), ToWide(value), name))
                return false;
            if (marked)
                return PrependUtf8Mark(name, copy);
            copy.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            return copy.Valid();
        },
        [&](const std::wstring& temporary) { return ReplaceTarget(temporary, target); });
}

SysResult RemoveProfileKeyWhole(std::string_view section, std::string_view key, std::string_view file) {
    const std::wstring target = ToWide(file);
    if (target.empty())
        return SysResult::Failure(ERROR_INVALID_PARAMETER);
    SettleLeftoversOf(target);
    // Without a file there is no key; the INI writer would create one.
    if (!Exists(target))
        return SysResult::Success();
    if (!WritableTarget(target))
        return SysResult::Failure(ERROR_ACCESS_DENIED);
    // The mark is set aside as for a write: Windows' INI writer would not find the first section.
    const bool marked = StartsWithUtf8Mark(target);
    return WriteBeside(
        target,
        [&](UniqueFile& copy, const std::wstring& name) {
            if (!CopyContent(copy.Get(), target, marked ? static_cast<LONG>(kUtf8Mark.size()) : 0))
                return false;
            copy.Reset();
            const FileWriteCalls& calls = InstalledCalls();
            const std::wstring wideSection = ToWide(section);
            const std::wstring wideKey = ToWide(key);
            const BOOL removed =
                calls.writeProfileString
                    ? calls.writeProfileString(wideSection.c_str(), wideKey.c_str(), nullptr, name.c_str())
                    : WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), nullptr, name.c_str());
            if (!removed)
                return false;
            if (marked)
                return PrependUtf8Mark(name, copy);
            copy.Reset(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            return copy.Valid();
        },
        [&](const std::wstring& temporary) { return ReplaceTarget(temporary, target); });
}
