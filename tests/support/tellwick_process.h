// Drives a running Tellwick.exe from outside, as a user would: finds its window by caption,
// picks drives, clicks, reads captions, and answers message boxes.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "core/control_port.h"
#include "platform/handles.h"
#include "platform/text.h"

struct MessageBoxSeen {
    Text text;
    Text title;
};

class TellwickProcess {
   public:
    // Starts `exe` with `workingDirectory` as its current directory and, unless told not to, waits
    // for its window.
    explicit TellwickProcess(const Text& exe, const Text& workingDirectory, bool waitForWindow = true);
    // Waits for the window of a Tellwick.exe that something else started, such as scripts/run.sh.
    struct StartedElsewhere {};
    explicit TellwickProcess(StartedElsewhere);
    TellwickProcess(const TellwickProcess&) = delete;
    TellwickProcess& operator=(const TellwickProcess&) = delete;
    // Ends the process if a test left it running.
    ~TellwickProcess();

    bool Started() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    HWND ControlWindow(Control control) const;

    // The drive box's entries as shown, and the letter of the selected one.
    std::vector<Text> DriveEntries() const;
    Text SelectedDrive() const;
    // Selects the drive's entry and confirms it, as a click in the opened list does.
    void ChooseDrive(char letter);
    // Chooses the drive through the list itself, as a keyboard user does: Tab until the drive box
    // has the focus, F4 to open its list, the arrow keys to the drive's entry, Enter. Returns once
    // Enter has been sent; false when a step did not show.
    bool ChooseDriveInList(char letter);
    // Presses and releases a key for the control that has the focus in the tool's window.
    void PressKey(WORD key) const;
    // The focus and the mouse capture of the window's thread.
    GUITHREADINFO ThreadState() const;
    // Clicks a button, check box or radio box (posted: the click may open a modal message box).
    void Click(Control control);
    Text Caption(Control control) const;
    bool Ticked(Control control) const;
    // Waits until the caption equals `expected`; false on time-out.
    bool WaitForCaption(Control control, const Text& expected, DWORD timeoutMs = 10000) const;
    // Waits until the window has handled everything sent to it so far.
    void Settle() const;

    // Waits for a message box of the process; answers it with `button` (OK, or Yes for a question)
    // when `answer` is set.
    std::optional<MessageBoxSeen> WaitForMessageBox(DWORD timeoutMs = 30000, bool answer = true,
                                                    int button = IDOK) const;

    // Closes the window with its close box.
    void Close() const;
    // Ends the process at once, as a crash or a power cut would, and waits until it is gone.
    void Kill() const;
    // The exit code once the process has ended, or nothing on time-out.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = 10000) const;
    // The process's state and what this program sees of the desktop, for failure messages.
    Text Describe() const;

   private:
    void FindWindowOf(DWORD processId);

    UniqueKernel process_;
    DWORD processId_ = 0;
    DWORD threadId_ = 0;
    DWORD mainThreadId_ = 0;  // of a process started here
    HWND window_ = nullptr;
};
