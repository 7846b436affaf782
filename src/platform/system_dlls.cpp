// Run-time loading of the DLLs that are not KnownDLLs, from the system folder.
#include "platform/system_dlls.h"

#include <uxtheme.h>

#include <string>

namespace {

// Windows 7 gained LOAD_LIBRARY_SEARCH_SYSTEM32 and SetDefaultDllDirectories with an update
// (KB2533623); without it the flag is refused and the function is missing.
constexpr DWORD kSystemFolderOnly = LOAD_LIBRARY_SEARCH_SYSTEM32;

}  // namespace

HMODULE LoadSystemDll(const wchar_t* name) {
    // By name, so that the manifest's Common Controls 6 is what loads.
    HMODULE module = LoadLibraryExW(name, nullptr, kSystemFolderOnly);
    if (module || GetLastError() != ERROR_INVALID_PARAMETER)
        return module;
    // By full path on a system without the flag: no version redirection, but never a planted copy.
    std::wstring path(MAX_PATH, L'\0');
    const UINT length = GetSystemDirectoryW(path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    path.resize(length);
    return LoadLibraryW((path + L'\\' + name).c_str());
}

namespace {

// Older COMCTL32 versions export the subclassing functions by ordinal only.
template <typename Function>
Function Export(HMODULE module, const char* name, WORD ordinal = 0) {
    FARPROC address = GetProcAddress(module, name);
    if (!address && ordinal)
        address = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

struct CommonControls {
    SysResult loaded = SysResult::Failure(ERROR_MOD_NOT_FOUND);
    decltype(&::SetWindowSubclass) setWindowSubclass = nullptr;
    decltype(&::RemoveWindowSubclass) removeWindowSubclass = nullptr;
    decltype(&::DefSubclassProc) defSubclassProc = nullptr;
    decltype(&::SetWindowTheme) setWindowTheme = nullptr;
};

CommonControls Load() {
    CommonControls dlls;
    HMODULE comctl32 = LoadSystemDll(L"comctl32.dll");
    if (!comctl32) {
        dlls.loaded = SysResult::LastError();
        return dlls;
    }
    dlls.setWindowSubclass = Export<decltype(dlls.setWindowSubclass)>(comctl32, "SetWindowSubclass", 410);
    dlls.removeWindowSubclass =
        Export<decltype(dlls.removeWindowSubclass)>(comctl32, "RemoveWindowSubclass", 412);
    dlls.defSubclassProc = Export<decltype(dlls.defSubclassProc)>(comctl32, "DefSubclassProc", 413);
    if (!dlls.setWindowSubclass || !dlls.removeWindowSubclass || !dlls.defSubclassProc) {
        dlls.loaded = SysResult::Failure(ERROR_PROC_NOT_FOUND);
        return dlls;
    }
    // Loading Common Controls 6 registers its classes already; this is for older versions.
    if (auto initCommonControlsEx =
            Export<decltype(&::InitCommonControlsEx)>(comctl32, "InitCommonControlsEx")) {
        // The tab classes bring the tooltip.
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
        initCommonControlsEx(&classes);
    }
    if (HMODULE uxtheme = LoadSystemDll(L"uxtheme.dll"))
        dlls.setWindowTheme = Export<decltype(dlls.setWindowTheme)>(uxtheme, "SetWindowTheme");
    dlls.loaded = SysResult::Success();
    return dlls;
}

const CommonControls& Loaded() {
    static const CommonControls dlls = Load();
    return dlls;
}

}  // namespace

void LoadDllsFromSystemFolderOnly() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories =
        Export<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDllDirectories && setDefaultDllDirectories(kSystemFolderOnly))
        return;
    // At least the current folder, often Downloads as well, is then no longer searched.
    SetDllDirectoryW(L"");
}

SysResult LoadCommonControls() {
    return Loaded().loaded;
}

SysResult SubclassWindow(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    const CommonControls& dlls = Loaded();
    if (!dlls.loaded)
        return dlls.loaded;
    return SysResult::FromBool(dlls.setWindowSubclass(window, procedure, id, data));
}

void RemoveSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    if (const CommonControls& dlls = Loaded(); dlls.loaded)
        dlls.removeWindowSubclass(window, procedure, id);
}

LRESULT DefaultSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const CommonControls& dlls = Loaded();
    // Without COMCTL32 no subclass was set, so nothing calls this; plain handling is the safe answer.
    if (!dlls.loaded)
        return DefWindowProcW(window, message, wParam, lParam);
    return dlls.defSubclassProc(window, message, wParam, lParam);
}

void UseClassicLook(HWND control) {
    if (const auto setWindowTheme = Loaded().setWindowTheme)
        setWindowTheme(control, L"", L"");
}
