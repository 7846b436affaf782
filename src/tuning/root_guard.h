// The checks the commands make before they work on InstallRoot.
#pragma once

#include "core/control_port.h"
#include "core/program_state.h"

// True while the launcher runs; the client's files are left alone then, and the box says why.
bool LauncherRefuses(ControlPort& ui);

// True when a drive search has found a client: 标签3 no longer shows its prompt and InstallRoot is
// not empty. Otherwise the box asks for a drive. A search that found no client leaves the label
// without its prompt but the root empty, and work there would land on the current drive's root.
bool InstallRootKnown(const ProgramState& state, ControlPort& ui);

// True when InstallRoot names an existing folder. Otherwise shows why nothing is done and returns
// false; an empty root is left to the callers, which each answer it in their own way.
bool InstallRootIsFolder(const ProgramState& state, ControlPort& ui);
