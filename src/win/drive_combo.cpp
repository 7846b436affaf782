// Drive combo box helpers.
#include "win/drive_combo.h"

#include <string>

bool AddDriveEntry(HWND combo, std::wstring_view text, char letter, bool select) {
    const std::wstring entry(text);
    const LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    if (index < 0)
        return false;
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(letter));
    if (select)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

char SelectedDriveLetter(HWND combo) {
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return 0;
    const LRESULT letter = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (letter == CB_ERR)
        return 0;
    return static_cast<char>(letter);
}

void SetClosedHeight(HWND combo, int height) {
    int fieldHeight = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT closed{};
        GetWindowRect(combo, &closed);
        const int difference = height - (closed.bottom - closed.top);
        if (difference == 0 || fieldHeight + difference <= 0)
            break;
        fieldHeight += difference;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), fieldHeight);
    }
}
