// DPI queries. GetDpiForWindow exists from Windows 10 on, GetDpiForMonitor (SHCore) from Windows
// 8.1 on; older systems have one DPI for all.
#include "platform/dpi.h"

#include "platform/gdi.h"
#include "platform/system_dlls.h"

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

// The platform's own calls, looked up once; a null one is missing on this Windows.
struct PlatformDpiCalls {
    GetDpiForWindowFn forWindow = nullptr;
    GetDpiForMonitorFn forMonitor = nullptr;
};

const PlatformDpiCalls& Platform() {
    static const PlatformDpiCalls calls = [] {
        PlatformDpiCalls found;
        found.forWindow = Export<GetDpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
        // SHCore is no KnownDLL: it comes from the system folder only, and only where it is needed.
        if (!found.forWindow)
            found.forMonitor = Export<GetDpiForMonitorFn>(LoadSystemDll(L"shcore.dll"), "GetDpiForMonitor");
        return found;
    }();
    return calls;
}

UINT DpiForWindow(HWND window) {
    const DpiCalls& calls = InstalledCalls<DpiCalls>();
    if (calls.GetDpiForWindow)
        return calls.GetDpiForWindow(window);
    return Platform().forWindow ? Platform().forWindow(window) : 0;
}

// 0 when neither a stand-in nor the platform answers.
UINT DpiForMonitor(HMONITOR monitor) {
    const DpiCalls& calls = InstalledCalls<DpiCalls>();
    UINT dpiX = 0;
    UINT dpiY = 0;
    HRESULT result = E_NOTIMPL;
    if (calls.GetDpiForMonitor)
        result = calls.GetDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY);
    else if (Platform().forMonitor)
        result = Platform().forMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY);
    return SUCCEEDED(result) ? dpiY : 0;
}

}  // namespace

unsigned SystemDpi() {
    const ScopedGetDC screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

unsigned WindowDpi(HWND window) {
    if (!window)
        return SystemDpi();
    if (const UINT dpi = DpiForWindow(window); dpi > 0)
        return dpi;
    // Windows 8.1: each monitor has its own scale, and the window's decides.
    if (HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)) {
        if (const UINT dpi = DpiForMonitor(monitor); dpi > 0)
            return dpi;
    }
    return SystemDpi();
}
