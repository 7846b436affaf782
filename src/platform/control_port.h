// The window as the commands see it: controls by name, their tick states, captions and colours,
// and the tool's message box. MainWindow implements it; tests implement it without a window.
#pragma once

#include <cstdint>

#include "platform/text.h"

// Every control of the main window, by its own name, in the window's creation order.
enum class Control {
    超级按钮1,
    选择框5,
    选择框_ALL,
    选择框_log,
    选择框_Cross,
    选择框_DX11,
    按钮3,
    标签4,
    标签3,
    驱动器框2,
    标签1,
    单选框2,
    单选框1,
    按钮2,
    分组框2,
    按钮1,
    分组框1,
};
inline constexpr int kControlCount = 17;

// The window identifier of each control, by which tests and tools find it.
constexpr int ControlId(Control control) {
    return 1001 + static_cast<int>(control);
}

// A Windows colour reference, 0x00BBGGRR.
using Colour = std::uint32_t;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kTeal = 0x808000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kMagenta = 0xFF00FF;
inline constexpr Colour kBlack = 0x000000;

// Every message box of the tool: error icon and a single OK button.
inline constexpr unsigned kMessageBoxFlags = 0x10;

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
};

// A status report: the status line's colour first, then its caption.
inline void ShowStatus(ControlPort& ui, Colour colour, const Text& caption) {
    ui.SetTextColour(Control::标签4, colour);
    ui.SetCaption(Control::标签4, caption);
}

inline void ClearStatus(ControlPort& ui) {
    ui.SetCaption(Control::标签4, Text());
}
