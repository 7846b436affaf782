// Whether the process runs under Wine, whose file calls differ from Windows' in ways the writers
// and the access grant must know of.
#pragma once

#include <windows.h>

// Wine's ntdll exports its version; Windows' does not.
inline bool RunningUnderWine() {
    static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return wine;
}
