// Leftovers beside a target: the new files and set-aside former contents of runs that have ended.
#include "platform/file_leftovers.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/encoding.h"
#include "platform/file_placement.h"
#include "platform/file_write.h"
#include "platform/handles.h"
#include "platform/processes.h"

namespace file_write {

namespace {

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

// Whether the two files hold the same bytes; false when either cannot be read.
bool SameBytes(const std::wstring& a, const std::wstring& b) {
    const auto open = [](const std::wstring& path) {
        return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    };
    const UniqueFile first = open(a);
    const UniqueFile second = open(b);
    LARGE_INTEGER firstSize, secondSize;
    if (!first.Valid() || !second.Valid() || !GetFileSizeEx(first.Get(), &firstSize) ||
        !GetFileSizeEx(second.Get(), &secondSize) || firstSize.QuadPart != secondSize.QuadPart)
        return false;
    static constexpr DWORD kBufferSize = 1 << 16;
    std::string firstBytes(kBufferSize, '\0'), secondBytes(kBufferSize, '\0');
    for (;;) {
        DWORD firstRead = 0, secondRead = 0;
        if (!ReadFile(first.Get(), firstBytes.data(), kBufferSize, &firstRead, nullptr) ||
            !ReadFile(second.Get(), secondBytes.data(), kBufferSize, &secondRead, nullptr) ||
            firstRead != secondRead ||
            std::string_view(firstBytes).substr(0, firstRead) !=
                std::string_view(secondBytes).substr(0, secondRead))
            return false;
        if (firstRead == 0)
            return true;
    }
}

// File times can be coarse or from another clock (FAT keeps a creation time to 10 ms, a network
// share takes its server's): a process counts as the file's maker unless it started clearly after.
constexpr std::uint64_t kClockSlack = 2 * 10'000'000ull;  // 2 s in FILETIME ticks

std::uint64_t Ticks(const FILETIME& time) {
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

}  // namespace

// A run killed in the middle of a write leaves its new file beside the target, as large as the
// file; one killed while Windows swapped the two can leave the target's former content there with
// the target's name empty. The files of runs that have ended are dealt with before the next write:
// a new file is removed; a former content goes back under the target's name while that is free,
// and once the target stands it is removed only when the target or its backup holds the same
// bytes, since it may be the only copy left (the user's edits since the backup). Files of a
// running process are its own business; a process that started after a file was made did not make
// it, whatever its id. Called before a writer looks at the target, so that it sees the file the
// user had.
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
        const bool ownerRuns = ProcessRunsSince(leftover.process, Ticks(entry.ftCreationTime) + kClockSlack);
        const bool own = ownerRuns && leftover.process == GetCurrentProcessId();
        if (ownerRuns && !own)
            continue;
        const std::wstring path = folder + std::wstring(name);
        if (leftover.displaced && !Exists(target))
            Move(path, target, MOVEFILE_WRITE_THROUGH);
        else if (!own &&
                 (!leftover.displaced || SameBytes(path, target) || SameBytes(path, target + L".bak")))
            RemoveFile(path);
    } while (FindNextFileW(find.Get(), &entry));
}

}  // namespace file_write

void SettleLeftovers(std::string_view path) {
    if (const std::wstring target = ToWide(path); !target.empty())
        file_write::SettleLeftoversOf(target);
}
