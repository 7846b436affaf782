// Draining the GUI thread's message queue from inside a long operation, without losing a quit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

// Dispatches one message the way every loop of the thread does: a keyboard message for a top-level
// window that holds controls (WS_EX_CONTROLPARENT) goes through IsDialogMessage first, so that
// Tab, Shift+Tab and the arrow keys move between those controls, as in a dialog.
void DispatchThreadMessage(MSG& message);

// The thread's message loop: dispatches until WM_QUIT and returns the quit's exit code.
int RunMessageLoop();

// Removes and dispatches (DispatchThreadMessage) every message waiting in the calling thread's
// queue, for all of its windows, and returns when the queue is empty; it never waits. When it removes WM_QUIT
// it posts it again with the same exit code and returns false at once: the caller must then stop and return,
// so that the thread's message loop can see the quit and end the program.
bool PumpPendingMessages();

// Runs `work` on a thread of its own and answers the calling thread's messages until it has ended:
// for a call that blocks for seconds and cannot poll, as a volume's flush. The thread waits in
// MsgWaitForMultipleObjectsEx, which wakes for every message at once. Returns false as soon as a
// quit is seen, leaving it queued as PumpPendingMessages does; `work` then ends unwaited and must
// own everything it touches. Where no thread can be started, `work` runs on the calling thread.
bool RunWhileAnswering(std::function<void()> work);

// True while a WM_QUIT is waiting in the calling thread's queue; the message stays there.
bool QuitRequested();

// Keeps the window responsive during a walk that would otherwise pump after every step. Calling
// Poll() costs a tick-count read; the queue is drained only when the last drain is kInterval old,
// so a walk pumps a few dozen times a second however fast or slow its steps are. The first Poll()
// drains at once, so whatever waited before the walk is handled without delay.
class ThrottledMessagePump {
   public:
    static constexpr std::uint64_t kIntervalMs = 16;

    // False once a quit has been seen; from then on the queue is left alone.
    bool Poll() {
        if (stopped_)
            return false;
        if (Now() < due_)
            return true;
        return Drain();
    }
    bool Stopped() const { return stopped_; }

   private:
    static std::uint64_t Now();
    bool Drain();

    std::uint64_t due_ = 0;
    bool stopped_ = false;
};
