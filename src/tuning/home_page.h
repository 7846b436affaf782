// Replacing the client's system.yaml with a built-in document, and restoring it.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// Handler of 按钮2 "确定" in the home-page group.
void ReplaceHomePage(const ProgramState& state, ControlPort& ui);
// Handler of 按钮3 "时光机".
void RestoreHomePage(const ProgramState& state, ControlPort& ui);
