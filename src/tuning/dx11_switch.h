// Switching the game's DX11 test mode on and off in Game\Config\game.cfg.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// The DX11 step of the optimize command; true when the key was written.
bool EnableDx11TestMode(const ProgramState& state);

// Handler of 超级按钮1 "点我恢复".
void DisableDx11TestMode(const ProgramState& state, ControlPort& ui);
