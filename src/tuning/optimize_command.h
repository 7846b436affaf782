// The optimize command: the ticked tuning steps, after the launcher and drive guards.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// Handler of 按钮1 "确定" in the "优化相关" group.
void OptimizeCommand(const ProgramState& state, ControlPort& ui);
