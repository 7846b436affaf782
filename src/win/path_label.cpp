// The path label: the static control's own middle ellipsis, and a tooltip kept to its caption.
#include "win/path_label.h"

#include <commctrl.h>

#include <string>

#include "platform/system_dlls.h"

namespace {

TTTOOLINFOW ToolOf(HWND label) {
    TTTOOLINFOW tool{};
    // The size every version of the tooltip accepts; the newest one's is refused by the older ones.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    // TTF_SUBCLASS: the tooltip watches the label's mouse messages itself.
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(label);
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    return tool;
}

void ShowCaptionInTip(HWND label, HWND tip, UINT message) {
    const int length = GetWindowTextLengthW(label);
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    caption.resize(static_cast<size_t>(GetWindowTextW(label, caption.data(), length + 1)));
    TTTOOLINFOW tool = ToolOf(label);
    tool.lpszText = caption.data();
    SendMessageW(tip, message, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK PathLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR tip) {
    switch (message) {
        case WM_SETTEXT: {
            const LRESULT result = DefaultSubclassProc(label, message, wParam, lParam);
            ShowCaptionInTip(label, reinterpret_cast<HWND>(tip), TTM_UPDATETIPTEXTW);
            return result;
        }
        case WM_NCDESTROY:
            RemoveSubclass(label, PathLabelProc, 0);
            break;
        default:
            break;
    }
    return DefaultSubclassProc(label, message, wParam, lParam);
}

}  // namespace

bool MakePathLabel(HWND label) {
    // A static control hands the mouse to its parent unless it notifies; the tooltip needs it.
    SetWindowLongPtrW(label, GWL_STYLE, GetWindowLongPtrW(label, GWL_STYLE) | SS_PATHELLIPSIS | SS_NOTIFY);
    // Owned by the top-level window, which destroys it with itself.
    HWND tip =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(label, GA_ROOT), nullptr,
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(label, GWLP_HINSTANCE)), nullptr);
    if (!tip)
        return false;
    ShowCaptionInTip(label, tip, TTM_ADDTOOLW);
    return static_cast<bool>(SubclassWindow(label, PathLabelProc, 0, reinterpret_cast<DWORD_PTR>(tip)));
}
