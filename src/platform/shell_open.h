// Opening a document with the program the user chose for its kind, as a double click does.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/seam.h"

// Opens `path` with the "open" verb of its file type; false when Windows could not start anything.
bool OpenWithUsersProgram(const std::wstring& path);

// ShellExecuteW (verb, file), answering as it does: a value above 32 for a program started. A test
// sees what was asked without starting an editor, and answers as a failure would.
struct ShellOpenCalls {
    std::function<INT_PTR(const wchar_t* verb, const wchar_t* file)> shellExecute;
};
using ScopedShellOpenCalls = ScopedCalls<ShellOpenCalls>;
