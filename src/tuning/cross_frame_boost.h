// Moving the client's Cross folder aside.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// The "Cross:提帧" step of the optimize command. True when its work was done (the blue success
// text is shown); otherwise a message box has said what was not done.
bool CrossFrameBoost(const ProgramState& state, ControlPort& ui);

// Creates `path` and every missing folder above it below the drive; true when `path` is a
// directory afterwards.
bool CreateDirectoryTree(const Text& path);
