// The coloured group box: its own painting and the forwarding of its children's messages.
#include "win/group_box.h"

#include <string>

#include "platform/gdi.h"
#include "platform/system_dlls.h"

namespace {

// Drawn here rather than by the control: a themed group box paints its caption in the theme's
// colour, whatever colour the parent asks for.
void PaintGroupBox(HWND groupBox, HDC dc) {
    RECT client;
    GetClientRect(groupBox, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    const ScopedSelectObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(groupBox, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

    const int length = GetWindowTextLengthW(groupBox);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(groupBox, caption.data(), length + 1)));
    if (caption.empty())
        return;
    // The parent picks the colour exactly as it does for its labels.
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SendMessageW(GetParent(groupBox), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(groupBox));
    RECT text{client.left + 8, client.top, client.right - 8, client.top + metrics.tmHeight};
    DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetBkMode(dc, OPAQUE);
    InflateRect(&text, 2, 0);
    DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CENTER);
}

LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_COMMAND:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return SendMessageW(GetParent(window), message, wParam, lParam);
        case WM_PAINT: {
            const ScopedPaint paint(window);
            PaintGroupBox(window, paint.Get());
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintGroupBox(window, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND: {
            // A group box paints only its frame and caption; the area behind its children is ours.
            RECT client;
            GetClientRect(window, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            return TRUE;
        }
        case WM_NCDESTROY:
            RemoveSubclass(window, GroupBoxProc, 0);
            break;
        default:
            break;
    }
    return DefaultSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool MakeColouredGroupBox(HWND groupBox) {
    // Themed group boxes ignore the text colour they are given.
    UseClassicLook(groupBox);
    return SubclassWindow(groupBox, GroupBoxProc, 0, 0).Ok();
}
