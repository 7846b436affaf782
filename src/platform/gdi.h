// Guards for GDI: a selected object, a window's DC, a painting pass and an owned GDI object.
#pragma once

#include <windows.h>

#include "platform/handles.h"

// Selects `object` into `dc` and puts the former object back when the scope ends.
class ScopedSelectObject {
   public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;
    ~ScopedSelectObject() {
        if (old_)
            SelectObject(dc_, old_);
    }

   private:
    HDC dc_;
    HGDIOBJ old_;
};

// The DC of a window (of the screen for null), released when the scope ends.
class ScopedGetDC {
   public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;
    ~ScopedGetDC() {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    HDC Get() const { return dc_; }

   private:
    HWND window_;
    HDC dc_;
};

// One WM_PAINT pass: BeginPaint now, EndPaint when the scope ends.
class ScopedPaint {
   public:
    explicit ScopedPaint(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    ~ScopedPaint() { EndPaint(window_, &paint_); }
    HDC Get() const { return dc_; }

   private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

namespace handle_traits {

struct GdiObject {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};

}  // namespace handle_traits

// A font, brush or bitmap this code created and must delete.
using UniqueGdiObject = UniqueHandle<handle_traits::GdiObject>;
