// Switching the game's DX11 test mode on and off in Game\Config\game.cfg.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// What the switch-on tells the optimize command: nothing when the key was written, otherwise the
// message that says what was not done.
struct Dx11Outcome {
    const Text* failure = nullptr;
    explicit operator bool() const { return failure == nullptr; }
};

// The DX11 step of the optimize command; shows nothing itself.
Dx11Outcome EnableDx11TestMode(const ProgramState& state);

// Handler of 超级按钮1 "点我恢复".
void DisableDx11TestMode(const ProgramState& state, ControlPort& ui);
