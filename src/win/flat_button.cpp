// Flat button painting.
#include "win/flat_button.h"

#include "platform/gdi.h"

void DrawFlatButton(const DRAWITEMSTRUCT& item) {
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &face, GetSysColorBrush(pressed ? COLOR_3DLIGHT : COLOR_BTNFACE));
    FrameRect(item.hDC, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    wchar_t caption[64] = L"";
    GetWindowTextW(item.hwndItem, caption, 64);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    const ScopedSelectObject font(item.hDC,
                                  reinterpret_cast<HGDIOBJ>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    if (pressed)
        OffsetRect(&face, 1, 1);
    DrawTextW(item.hDC, caption, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
