// Writing a new file beside a target, flushed to the disk, before it takes the target's place. For
// the writers of platform/file_write.h only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/result.h"

namespace file_write {

inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// Writes all of `data` to `file`.
bool WriteAll(HANDLE file, const char* data, size_t size);

// Appends the whole content of the file `from` to `to`. With `utf8Mark`, a UTF-8 byte-order mark
// at the start is left out, and `*utf8Mark` says whether there was one.
bool CopyContent(HANDLE to, const std::wstring& from, bool* utf8Mark = nullptr);

// False for a target that stays as it is: a read-only file or a folder.
bool WritableTarget(const std::wstring& target);

// Fills a new file beside `target` with `fill` (given the open file and its name), flushes it to
// the disk, then hands its name to `place`. The new file is removed on every path on which `place`
// did not take it.
SysResult WriteBeside(const std::wstring& target,
                      const std::function<bool(UniqueFile&, const std::wstring&)>& fill,
                      const std::function<SysResult(const std::wstring&)>& place);

}  // namespace file_write
