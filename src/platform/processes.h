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

// Whether the process of that id may have made something at `time` (FILETIME ticks: 100 ns since
// 1601, UTC) and still runs: false when no process of that id exists, it has ended, or it started
// after `time` (an id is reused once its process has ended). A process the caller may not ask
// (another user's) counts as running since before.
bool ProcessRunsSince(std::uint32_t id, std::uint64_t time);
