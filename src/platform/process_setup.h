// Process set-up before any of the tool's own logic runs.
#pragma once

// Makes the folder that holds the executable the current directory.
void UseExecutableFolderAsCurrentDirectory();

// Adds SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX to the error mode in force, so that a drive
// without a medium fails quietly instead of asking the user.
void QuietCriticalErrors();
