// The two entries appended to the window's system menu.
#include "app/system_menu.h"

#include "core/texts.h"
#include "platform/encoding.h"

void AddSystemMenuEntries(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (!menu)
        return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kUndoAllCommand, ToWide(texts::kMenuUndoAll).c_str());
    AppendMenuW(menu, MF_STRING, kShowRecordCommand, ToWide(texts::kMenuShowRecord).c_str());
}
