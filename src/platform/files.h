// Plain file and folder calls on GBK paths, made through the W functions.
#pragma once

#include <string_view>

#include "platform/result.h"
#include "platform/text.h"

// True when a find-first search on `path` finds any entry, a file or a directory.
bool FileExists(std::string_view path);

// Copies `from` to `to`, replacing an existing file at `to`.
SysResult CopyFileOver(std::string_view from, std::string_view to);

// Renames a file or folder; fails when `to` exists or `from` does not.
SysResult MovePath(std::string_view from, std::string_view to);

SysResult DeleteFileAt(std::string_view path);

// True only for an existing directory; an empty path is not one.
bool IsDirectory(std::string_view path);

// Creates one directory; fails when it exists or its parent is missing.
SysResult MakeDirectory(std::string_view path);

// Sets `key` in `section` of the INI file `file` to `value`.
SysResult WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                             std::string_view file);
