// Plain file and folder calls on GBK paths, made through the W functions.
#pragma once

#include <string>
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

// True for an entry with the read-only attribute. Windows refuses to write such a file, but Wine
// running as root writes it anyway, so every writer asks first.
bool IsReadOnly(std::string_view path);

// True for a junction or a symbolic link.
bool IsLink(std::string_view path);

// True when the folder's entries can be listed; an empty folder (or drive root) counts.
bool CanListFolder(std::string_view path);

// Creates one directory; fails when it exists or its parent is missing.
SysResult MakeDirectory(std::string_view path);

// True for a folder that holds no entry at all.
bool IsEmptyFolder(std::string_view path);

// Removes a folder only while it is empty; Windows refuses one that holds anything.
SysResult RemoveEmptyFolder(std::string_view path);

// Reads the whole file `path` (up to 64 MB).
SysResult ReadFileBytes(std::string_view path, std::string& bytes);
