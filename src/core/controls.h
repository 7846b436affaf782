// The main window's controls by their own names, and the identifiers they carry.
#pragma once

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
