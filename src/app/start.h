// The tool's whole run: set-up, the window, and its message loop until the window is closed.
#pragma once

#include <windows.h>

// Returns the exit code of a run that got going. A start that fails shows the start-up error and
// ends the process at once with exit code -1.
int RunTellwick(HINSTANCE instance, int showCommand);
