// The process-wide program state: created before the window, released by an exit routine.
#pragma once

#include "platform/program_state.h"

// Starts the run with no install root and no search results.
void InitProgramState();
// The exit routine: releases the install root and every search result.
void ReleaseProgramState();
// The state created by InitProgramState; valid until ReleaseProgramState.
ProgramState& CurrentProgramState();
