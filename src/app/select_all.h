// The select-all box of the tuning group.
#pragma once

#include "core/control_port.h"

// Click handler of 选择框_ALL: ticks or clears the three tuning boxes to match it; 选择框5 is left alone.
void OnSelectAll(ControlPort& ui);
