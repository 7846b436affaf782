// The message pump that runs nested inside the drive search.
#include "platform/message_pump.h"

#include <windows.h>

bool PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Removing the quit here would leave the program running with no window; put it back
            // for the thread's own message loop and make every level of the walk return.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

bool QuitRequested() {
    MSG message;
    return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

std::uint64_t ThrottledMessagePump::Now() {
    // GetTickCount64 reads the shared user data page: no kernel or wineserver call, unlike any
    // look at the queue itself (GetQueueStatus and PeekMessage are wineserver requests under Wine).
    return GetTickCount64();
}

bool ThrottledMessagePump::Drain() {
    stopped_ = !PumpPendingMessages();
    // Measured after the handlers ran: a handler that took long (a nested search, a message box)
    // does not make the walk pump again on its very next step.
    due_ = Now() + kIntervalMs;
    return !stopped_;
}
