// Known folders through SHGetKnownFolderPath, whose string the caller frees with CoTaskMemFree.
#include "platform/known_folder.h"

#include <knownfolders.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

HRESULT GetKnownFolderPath(const GUID& id, std::wstring& path) {
    if (const KnownFolderCalls& calls = InstalledCalls<KnownFolderCalls>(); calls.getKnownFolderPath)
        return calls.getKnownFolderPath(id, path);
    // KF_FLAG_DONT_VERIFY is left out: the folder is created for us when it does not exist yet, as
    // it may not in a profile that no program has used it in.
    PWSTR found = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &found);
    // The string is allocated even on some failures, and must be freed on every path.
    if (SUCCEEDED(result) && found)
        path = found;
    CoTaskMemFree(found);
    return result;
}

}  // namespace

std::optional<std::wstring> LocalAppDataFolder() {
    std::wstring path;
    if (FAILED(GetKnownFolderPath(FOLDERID_LocalAppData, path)) || path.empty())
        return std::nullopt;
    while (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}
