// How the commands tell the user what happened: the status line and the message box.
#pragma once

#include "core/control_port.h"

// Every message box of the tool: error icon and a single OK button.
inline constexpr unsigned kMessageBoxFlags = 0x10;

// A status report: the status line's colour first, then its caption.
inline void ShowStatus(ControlPort& ui, Colour colour, const Text& caption) {
    ui.SetTextColour(Control::标签4, colour);
    ui.SetCaption(Control::标签4, caption);
}

inline void ClearStatus(ControlPort& ui) {
    ui.SetCaption(Control::标签4, Text());
}

// A command whose work failed: the status line is emptied before the box opens, so that no earlier
// command's success text stands beside it and reads as this one's result.
inline void ShowWorkFailure(ControlPort& ui, const Text& message, const Text& title) {
    ClearStatus(ui);
    ui.ShowMessageBox(message, kMessageBoxFlags, title);
}
