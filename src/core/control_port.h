// The window as the commands see it: controls by name, their tick states, captions and colours,
// and the tool's message box. MainWindow implements it; tests implement it without a window.
#pragma once

#include "core/colours.h"
#include "core/controls.h"
#include "platform/text.h"

class ControlPort {
   public:
    virtual ~ControlPort() = default;

    // 1 when a check box is ticked or a radio box selected, else 0.
    virtual int TickState(Control control) = 0;
    virtual void SetTickState(Control control, int state) = 0;
    virtual Text Caption(Control control) = 0;
    virtual void SetCaption(Control control, const Text& caption) = 0;
    virtual void SetTextColour(Control control, Colour colour) = 0;
    // The selected drive's letter as a one-letter text; the current drive when nothing is selected.
    virtual Text CurrentDrive() = 0;
    // A modal message box; returns when the user has closed it.
    virtual void ShowMessageBox(const Text& text, unsigned flags, const Text& title) = 0;
    // A modal Yes/No question with the question icon; true for Yes.
    virtual bool AskYesNo(const Text& text, const Text& title) = 0;
};
