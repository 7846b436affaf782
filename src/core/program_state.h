// The two values that outlive a single event handler, and the one instance of them.
#pragma once

#include "platform/text.h"

struct ProgramState {
    // The client's install root without a trailing backslash; empty while none is known.
    Text InstallRoot;
    // Every hit of every drive search of this run; entries are only ever appended.
    TextList SearchResults;
};

// Starts the run with no install root and no search results.
void InitProgramState();
// The exit routine: releases the install root and every search result.
void ReleaseProgramState();
// The state created by InitProgramState; valid until ReleaseProgramState.
ProgramState& CurrentProgramState();
