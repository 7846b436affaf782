// The system's process list, as one snapshot.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text.h"

struct ProcessEntry {
    std::uint32_t id;
    // The executable's file name without its folder, in GBK.
    Text exeName;
};

// The running processes in the snapshot's own order; empty when the list cannot be read.
std::vector<ProcessEntry> RunningProcesses();

// False only when no process of that id exists, or it has ended. A process the caller may not open
// (another user's) counts as running.
bool ProcessIsRunning(std::uint32_t id);
