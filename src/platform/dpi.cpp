// DPI queries. GetDpiForWindow exists from Windows 10 on, GetDpiForMonitor (SHCore) from Windows
// 8.1 on; older systems have one DPI for all.
#include "platform/dpi.h"

#include <utility>

#include "platform/gdi.h"
#include "platform/system_dlls.h"

namespace {

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

DpiCalls PlatformCalls() {
    DpiCalls calls;
    calls.forWindow = Export<DpiCalls::ForWindow>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    // SHCore is no KnownDLL: it comes from the system folder only, and only where it is needed.
    if (!calls.forWindow)
        calls.forMonitor = Export<DpiCalls::ForMonitor>(LoadSystemDll(L"shcore.dll"), "GetDpiForMonitor");
    return calls;
}

DpiCalls& Calls() {
    static DpiCalls calls = PlatformCalls();
    return calls;
}

}  // namespace

ScopedDpiCalls::ScopedDpiCalls(DpiCalls calls) : previous_(std::exchange(Calls(), calls)) {}

ScopedDpiCalls::~ScopedDpiCalls() {
    Calls() = previous_;
}

unsigned SystemDpi() {
    const ScopedGetDC screen(nullptr);
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

unsigned WindowDpi(HWND window) {
    const DpiCalls& calls = Calls();
    if (calls.forWindow && window) {
        if (const UINT dpi = calls.forWindow(window); dpi > 0)
            return dpi;
    }
    // Windows 8.1: each monitor has its own scale, and the window's decides.
    if (calls.forMonitor && window) {
        UINT dpiX = 0;
        UINT dpiY = 0;
        HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor && SUCCEEDED(calls.forMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) && dpiY > 0)
            return dpiY;
    }
    return SystemDpi();
}
