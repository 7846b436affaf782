// Scaled copies of the default GUI font.
#include "win/scaled_font.h"

#include "platform/dpi.h"

namespace {

HFONT DefaultGuiFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

}  // namespace

ScaledFont::ScaledFont(unsigned dpi) {
    const unsigned systemDpi = SystemDpi();
    if (dpi == systemDpi)
        return;
    LOGFONTW description{};
    GetObjectW(DefaultGuiFont(), sizeof description, &description);
    description.lfHeight = MulDiv(description.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi));
    scaled_.Reset(CreateFontIndirectW(&description));
}

HFONT ScaledFont::Get() const {
    return scaled_ ? static_cast<HFONT>(scaled_.Get()) : DefaultGuiFont();
}
