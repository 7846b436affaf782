// Data several test programs share: a troublesome GBK character and the window's figures as users
// know them, written out here rather than taken from the tool's own control table.
#pragma once

#include <iterator>

#include "core/controls.h"
#include "platform/text.h"

// A GBK character whose second byte is a backslash.
inline const Text kTrickyCharacter = "\x95\x5C";

// The window's outer size at 96 DPI.
inline constexpr int kWindowOuterWidth = 369;
inline constexpr int kWindowOuterHeight = 328;

// A control's rectangle relative to its parent's client area, in pixels at 96 DPI.
struct ControlFigure {
    Control name;
    int left, top, width, height;
};

inline constexpr ControlFigure kControlFigures[] = {
    {Control::超级按钮1, 133, 54, 64, 24},   {Control::选择框5, 232, 21, 88, 24},
    {Control::选择框_ALL, 24, 89, 112, 21},  {Control::选择框_log, 128, 16, 88, 32},
    {Control::选择框_Cross, 24, 14, 88, 36}, {Control::选择框_DX11, 24, 51, 114, 32},
    {Control::按钮3, 262, 26, 64, 28},       {Control::标签4, 70, 260, 227, 32},
    {Control::标签3, 21, 32, 296, 24},       {Control::驱动器框2, 256, 11, 88, 20},
    {Control::标签1, 21, 8, 216, 24},        {Control::单选框2, 100, 30, 80, 24},
    {Control::单选框1, 14, 29, 80, 24},      {Control::按钮2, 182, 26, 64, 28},
    {Control::分组框2, 14, 190, 336, 66},    {Control::按钮1, 264, 76, 64, 28},
    {Control::分组框1, 14, 64, 336, 120},
};
static_assert(std::size(kControlFigures) == kControlCount);

constexpr const ControlFigure& FigureOf(Control control) {
    for (const ControlFigure& figure : kControlFigures) {
        if (figure.name == control)
            return figure;
    }
    return kControlFigures[0];
}
