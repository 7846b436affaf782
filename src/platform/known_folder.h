// The user's own folders as Windows names them (known folders), for what the tool keeps of its own.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/seam.h"

// The user's local application data folder (%LOCALAPPDATA%), without a trailing backslash; nothing
// when Windows cannot say (no profile loaded, a redirection that fails).
std::optional<std::wstring> LocalAppDataFolder();

// SHGetKnownFolderPath (folder id, path): a test points the folder at a temporary one of its own.
struct KnownFolderCalls {
    std::function<HRESULT(const GUID& id, std::wstring& path)> getKnownFolderPath;
};
using ScopedKnownFolderCalls = ScopedCalls<KnownFolderCalls>;
