// Keeps the test prefix's desktop in use for a whole test run. Wine closes a desktop, and ends its
// explorer.exe, about a second after the last program using it has ended; the next program opens
// a new one. Test programs start and end all the time, and one that started during such a close
// once saw none of the windows of the programs it started (every window lookup of
// tellwick_exe_test failed in one CI run). With this program attached from the start, the desktop
// and its explorer.exe stay up until the prefix's server ends. scripts/test.sh starts it.
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
