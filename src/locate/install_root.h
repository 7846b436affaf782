// Turning the user's drive choice into the client's install root.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// Handler of the drive box's drive-chosen event: searches the chosen drive for the client's
// system.yaml and shows the install root found in 标签3.
void OnDriveChosen(ProgramState& state, ControlPort& ui);
