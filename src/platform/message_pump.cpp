// The thread's message loop, and the pump that runs nested inside the drive search.
#include "platform/message_pump.h"

#include <memory>
#include <utility>

#include "platform/handles.h"

namespace {

DWORD WINAPI RunWork(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

}  // namespace

void DispatchThreadMessage(MSG& message) {
    // The keyboard works the same in the main loop and inside a search: both come here.
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST && message.hwnd) {
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && (GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) &&
            IsDialogMessageW(root, &message))
            return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

int RunMessageLoop() {
    MSG message;
    BOOL got = FALSE;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0)
        DispatchThreadMessage(message);
    return got == 0 ? static_cast<int>(message.wParam) : 0;
}

bool PumpPendingMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Removing the quit here would leave the program running with no window; put it back
            // for the thread's own message loop and make every level of the walk return.
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        DispatchThreadMessage(message);
    }
    return true;
}

bool RunWhileAnswering(std::function<void()> work) {
    // RunWork owns it, on whichever thread it runs.
    auto* owned = new std::function<void()>(std::move(work));
    const UniqueKernel thread(CreateThread(nullptr, 0, RunWork, owned, 0, nullptr));
    if (!thread.Valid()) {
        RunWork(owned);
        return true;
    }
    for (;;) {
        if (!PumpPendingMessages())
            return false;
        // MWMO_INPUTAVAILABLE: a message that arrived while the queue was drained wakes it too.
        HANDLE handle = thread.Get();
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0)
            return true;
        // Should the wait itself fail, the thread's end is still looked for between drains.
        if (woke == WAIT_FAILED &&
            WaitForSingleObject(handle, ThrottledMessagePump::kIntervalMs) == WAIT_OBJECT_0)
            return true;
    }
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
