// The main window's controls as one table: names, types, parents, rectangles, captions, styles.
#pragma once

#include <windows.h>

#include <iterator>

#include "core/controls.h"
#include "core/texts.h"

// The window itself.
inline constexpr int kWindowWidth = 369;
inline constexpr int kWindowHeight = 328;
// The drive box's opened list.
inline constexpr int kDriveListHeight = 120;

enum class ControlType { Button, CheckBox, RadioBox, DriverBox, SuperBtn, Label, GroupBox };
enum class Parent { Window, 分组框1, 分组框2 };

struct ControlSpec {
    Control name;
    ControlType type;
    Parent parent;
    int left, top, width, height;
    const char* caption;
    DWORD extraStyle;
};

// The window's controls in order: within each parent this is also the tab and stacking order.
// Positions are relative to the parent's client area, in pixels at 96 DPI.
inline constexpr ControlSpec kControls[] = {
    {Control::超级按钮1, ControlType::SuperBtn, Parent::分组框1, 133, 54, 64, 24, texts::kCaption超级按钮1,
     0},
    {Control::选择框5, ControlType::CheckBox, Parent::分组框1, 232, 21, 88, 24, texts::kCaption选择框5, 0},
    {Control::选择框_ALL, ControlType::CheckBox, Parent::分组框1, 24, 89, 112, 21, texts::kCaption选择框_ALL,
     0},
    {Control::选择框_log, ControlType::CheckBox, Parent::分组框1, 128, 16, 88, 32, texts::kCaption选择框_log,
     0},
    {Control::选择框_Cross, ControlType::CheckBox, Parent::分组框1, 24, 14, 88, 36,
     texts::kCaption选择框_Cross, 0},
    {Control::选择框_DX11, ControlType::CheckBox, Parent::分组框1, 24, 51, 114, 32,
     texts::kCaption选择框_DX11, 0},
    {Control::按钮3, ControlType::Button, Parent::分组框2, 262, 26, 64, 28, texts::kCaption按钮3, WS_GROUP},
    {Control::标签4, ControlType::Label, Parent::Window, 70, 260, 227, 32, "", SS_CENTER},
    {Control::标签3, ControlType::Label, Parent::Window, 21, 32, 296, 24, texts::kCaption标签3, SS_LEFT},
    {Control::驱动器框2, ControlType::DriverBox, Parent::Window, 256, 11, 88, 20, "", 0},
    {Control::标签1, ControlType::Label, Parent::Window, 21, 8, 216, 24, texts::kCaption标签1, SS_LEFT},
    {Control::单选框2, ControlType::RadioBox, Parent::分组框2, 100, 30, 80, 24, texts::kCaption单选框2,
     WS_GROUP},
    {Control::单选框1, ControlType::RadioBox, Parent::分组框2, 14, 29, 80, 24, texts::kCaption单选框1, 0},
    {Control::按钮2, ControlType::Button, Parent::分组框2, 182, 26, 64, 28, texts::kCaption确定, WS_GROUP},
    {Control::分组框2, ControlType::GroupBox, Parent::Window, 14, 190, 336, 66, texts::kCaption分组框2, 0},
    {Control::按钮1, ControlType::Button, Parent::分组框1, 264, 76, 64, 28, texts::kCaption确定, 0},
    {Control::分组框1, ControlType::GroupBox, Parent::Window, 14, 64, 336, 120, texts::kCaption分组框1, 0},
};
static_assert(std::size(kControls) == kControlCount);

constexpr bool TableFollowsEnum() {
    for (size_t i = 0; i < std::size(kControls); ++i) {
        if (static_cast<size_t>(kControls[i].name) != i)
            return false;
    }
    return true;
}
static_assert(TableFollowsEnum(), "the control table and the Control enum list the controls in one order");

constexpr const ControlSpec& SpecOf(Control control) {
    return kControls[static_cast<size_t>(control)];
}
