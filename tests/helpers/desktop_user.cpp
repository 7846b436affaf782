// Keeps the test prefix's desktop in use for a whole test run. Wine closes a desktop, and ends its
// explorer.exe, about a second after the last program using it has ended; the next program opens
// a new one, so without this the desktop comes and goes between test programs. In one CI run one
// test program saw none of the windows of the programs it started (every window lookup of
// tellwick_exe_test failed), which a desktop closed under it would explain. With this program
// attached from the start, the desktop and its explorer.exe stay up until the prefix's server
// ends. scripts/test.sh starts it.
#include <windows.h>

int main() {
    // A hidden window of an ordinary program makes it a user of the desktop; it never shows, and
    // its messages are handled, so nothing sent to every window waits on it.
    HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
