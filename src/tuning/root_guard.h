// The check every command makes before it works on InstallRoot.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// True when InstallRoot names an existing folder. Otherwise shows why nothing is done and returns
// false; an empty root is left to the callers, which each answer it in their own way.
bool InstallRootIsFolder(const ProgramState& state, ControlPort& ui);
