// "撤销全部优化": every change the tool made to the client's files put back from what is on the disk.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// Handler of the system menu's "撤销全部优化".
void UndoAllChanges(const ProgramState& state, ControlPort& ui);
