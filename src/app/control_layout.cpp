// Control creation and layout from the control table.
#include "app/control_layout.h"

#include <commctrl.h>

#include "app/control_table.h"
#include "platform/dpi.h"
#include "platform/encoding.h"
#include "platform/system_dlls.h"
#include "win/drive_combo.h"
#include "win/group_box.h"

namespace {

const wchar_t* ClassOf(ControlType type) {
    switch (type) {
        case ControlType::Label:
            return WC_STATICW;
        case ControlType::DriverBox:
            return WC_COMBOBOXW;
        default:
            return WC_BUTTONW;
    }
}

DWORD StyleOf(const ControlSpec& spec) {
    DWORD style = WS_CHILD | WS_VISIBLE | spec.extraStyle;
    switch (spec.type) {
        case ControlType::Button:
            return style | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER;
        case ControlType::CheckBox:
            return style | WS_TABSTOP | BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER;
        case ControlType::RadioBox:
            return style | WS_TABSTOP | BS_AUTORADIOBUTTON | BS_LEFT | BS_VCENTER;
        case ControlType::SuperBtn:
            return style | WS_TABSTOP | BS_OWNERDRAW;
        case ControlType::DriverBox:
            return style | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        case ControlType::Label:
            // One line, vertically centred; a line break in the caption does not start a new line.
            return style | SS_CENTERIMAGE | SS_NOPREFIX;
        case ControlType::GroupBox:
            return style | BS_GROUPBOX | BS_LEFT;
    }
    return style;
}

HWND ParentOf(const ControlSpec& spec, HWND window, const ControlHandles& controls) {
    switch (spec.parent) {
        case Parent::分组框1:
            return controls[static_cast<size_t>(Control::分组框1)];
        case Parent::分组框2:
            return controls[static_cast<size_t>(Control::分组框2)];
        case Parent::Window:
            break;
    }
    return window;
}

}  // namespace

bool CreateControls(HWND window, HINSTANCE instance, ControlHandles& controls) {
    // The group boxes must exist before their children, so the window's own children come first;
    // each parent's children are still created in table order.
    for (const bool windowChildren : {true, false}) {
        for (const ControlSpec& spec : kControls) {
            if ((spec.parent == Parent::Window) != windowChildren)
                continue;
            const DWORD exStyle = spec.type == ControlType::GroupBox ? WS_EX_CONTROLPARENT : 0;
            HWND control = CreateWindowExW(
                exStyle, ClassOf(spec.type), ToWide(spec.caption).c_str(), StyleOf(spec), 0, 0, 0, 0,
                ParentOf(spec, window, controls),
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(spec.name))), instance, nullptr);
            if (!control)
                return false;
            controls[static_cast<size_t>(spec.name)] = control;
            // Themed radio buttons ignore the text colour they are given.
            if (spec.type == ControlType::RadioBox)
                UseClassicLook(control);
            if (spec.type == ControlType::GroupBox && !MakeColouredGroupBox(control))
                return false;
        }
    }
    return true;
}

void LayOutControls(const ControlHandles& controls, unsigned dpi, ScaledFont& font) {
    ScaledFont next(dpi);
    for (const ControlSpec& spec : kControls) {
        HWND control = controls[static_cast<size_t>(spec.name)];
        const int height = spec.type == ControlType::DriverBox ? spec.height + kDriveListHeight : spec.height;
        SetWindowPos(control, nullptr, ScaleForDpi(spec.left, dpi), ScaleForDpi(spec.top, dpi),
                     ScaleForDpi(spec.width, dpi), ScaleForDpi(height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(next.Get()), TRUE);
    }
    // No control draws with the former font any more.
    font = std::move(next);

    // The closed drive box is as high as its row in the table.
    SetClosedHeight(controls[static_cast<size_t>(Control::驱动器框2)],
                    ScaleForDpi(SpecOf(Control::驱动器框2).height, dpi));
}
