// A text file that only grows: one line appended in one write, and the file read back whole. Paths
// are UTF-16, since the user's own folders may hold names that GBK cannot.
#pragma once

#include <string>
#include <string_view>

#include "platform/result.h"

// Appends `line` and CR LF to the file `path` (created when missing, with a UTF-8 mark so that every
// editor takes it as UTF-8) in one write at its end, whatever other programs append meanwhile.
// When the file does not end with a line feed (a line cut short by a kill), a CR LF goes first, so
// that the cut line spoils no other.
SysResult AppendLine(const std::wstring& path, std::string_view line);

// Reads the whole file; fails with ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when there is none.
SysResult ReadWholeFile(const std::wstring& path, std::string& bytes);

// Creates the folder `path` when it is missing; fails when it is not a folder afterwards.
SysResult EnsureFolder(const std::wstring& path);
