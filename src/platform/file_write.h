// Writing whole files: a file holds either its former content or the new one, never a part, and a
// backup, once there, is never replaced.
#pragma once

#include <string_view>

#include "platform/result.h"

// Replaces the content of `path` (created when missing) with `bytes`. The bytes go to a new file
// beside it first, flushed to the disk, which then takes the target's place with ReplaceFileW, so
// the target keeps its attributes and security (under Wine: a rename that carries the attributes);
// on any failure the target is as it was and the new file is gone. Fails when another program holds the
// target open without letting others delete it, and when the target is read-only or a folder.
SysResult WriteFileWhole(std::string_view path, std::string_view bytes);

// The same with the content of the file `from`.
SysResult CopyFileWhole(std::string_view from, std::string_view to);

// Sets `key` in `section` of the INI file `file` to `value` the same way: the platform's INI writer
// rewrites the whole file in place, so it works on a copy beside the file, which then takes the
// file's place. A missing file is created holding the section and key alone.
SysResult WriteProfileStringWhole(std::string_view section, std::string_view key, std::string_view value,
                                  std::string_view file);

// Makes `to` a whole copy of `from`, never replacing anything: the copy is written and flushed
// beside `to` and then moved to its name only while that name is free. True when `to` is a file
// afterwards, also when another program put it there a moment earlier (that file is left alone).
SysResult CopyFileOnce(std::string_view from, std::string_view to);
