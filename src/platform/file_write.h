// Writing whole files: a file holds either its former content or the new one, never a part, and a
// backup, once there, is never replaced.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "platform/result.h"
#include "platform/seam.h"

// Replaces the content of `path` (created when missing) with `bytes`. The bytes go to a new file
// beside it first, flushed to the disk, which then takes the target's place with ReplaceFileW, so
// the target keeps its attributes and security (under Wine: a rename that carries the attributes).
// On any failure the target holds its former bytes under its own name and the new file is gone;
// the one exception is kErrorFormerContentSetAside below: Windows moved the target aside and
// neither it nor the new file could be put back under its name, and the former content stands
// beside it as "<path>.tellwick-<process>-<n>-replaced" (the next write puts it back). Refusals
// that pass (a virus scanner or the indexer opening a file just written) are waited out for about a
// second. Fails when another program keeps the target open without letting others delete it, and
// when the target is read-only or a folder. What runs that were killed left beside the target is
// settled first (SettleLeftovers).
SysResult WriteFileWhole(std::string_view path, std::string_view bytes);

// The failure above in which the former content stands beside the file, not under its name: an
// application-defined code (bit 29), so that no code of the platform's is mistaken for it.
inline constexpr DWORD kErrorFormerContentSetAside = 0x20000000 | ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
inline bool FormerContentSetAside(const SysResult& written) {
    return written.Error() == kErrorFormerContentSetAside;
}

// Deals with what runs killed in the middle of a write of `path` left beside it, as every writer
// here does first: their new files go, and a former content set aside goes back under the file's
// name while that is empty; once the file stands, it goes only when the file or "<path>.bak" holds
// the same bytes, and otherwise stays. A caller that looks at the file before it writes calls this
// first.
void SettleLeftovers(std::string_view path);

// The same with the content of the file `from`.
SysResult CopyFileWhole(std::string_view from, std::string_view to);

// Sets `key` in `section` of the INI file `file` to `value` the same way: the platform's INI writer
// rewrites the whole file in place, so it works on a copy beside the file, which then takes the
// file's place. A missing file is created holding the section and key alone. A UTF-8 byte-order
// mark at the start stays, and the key still lands in the section of the file's first line. The INI
// writer's refusals that pass, and those of the copy's reopening after it, are waited out too.
SysResult WriteProfileStringWhole(std::string_view section, std::string_view key, std::string_view value,
                                  std::string_view file);

// Removes `key` from `section` of the INI file `file` the same way (the platform's INI writer given
// no value); every other line stays. A missing file is left missing.
SysResult RemoveProfileKeyWhole(std::string_view section, std::string_view key, std::string_view file);

// Makes `to` a whole copy of `from`, never replacing anything: the copy is written and flushed
// beside `to` and then moved to its name only while that name is free. True when `to` is a file
// afterwards, also when another program put it there a moment earlier (that file is left alone).
SysResult CopyFileOnce(std::string_view from, std::string_view to);

// The calls whose answers only Windows gives, as the writers above make them: ReplaceFileW
// (replaced, replacement, backup name; no flags), which leaves three different states behind when
// it fails; MoveFileExW; and WritePrivateProfileStringW (section, key, value, file), whose reading
// of a UTF-8 mark differs from Wine's. A test installs stand-ins that answer as Windows documents,
// acting on the real files. While a replace stand-in is installed, the writers take the Windows
// path on every platform.
struct FileWriteCalls {
    std::function<BOOL(const wchar_t* replaced, const wchar_t* replacement, const wchar_t* backup)> replace;
    std::function<BOOL(const wchar_t* from, const wchar_t* to, DWORD flags)> move;
    std::function<BOOL(const wchar_t* section, const wchar_t* key, const wchar_t* value, const wchar_t* file)>
        writeProfileString;
};

using ScopedFileWriteCalls = ScopedCalls<FileWriteCalls>;
