// The platform's default GUI font at a display scale.
#pragma once

#include <windows.h>

#include "platform/gdi.h"

// At the system DPI the stock font itself; at any other DPI a copy of it scaled to that DPI, owned
// here. Replace a ScaledFont only after every control has been given the new one: the controls
// keep drawing with the old font until then.
class ScaledFont {
   public:
    ScaledFont() = default;
    explicit ScaledFont(unsigned dpi);

    HFONT Get() const;

   private:
    UniqueGdiObject scaled_;
};
