// Deleting the client's *.log files.
#pragma once

#include <cstdint>

#include "core/control_port.h"
#include "core/program_state.h"

// Deletes the files matching `pattern` in `directory` and below it; returns `count` plus the
// number of files deleted, and adds their sizes to `bytes` when given.
int DeleteFilesByExtension(const Text& directory, const Text& pattern, int count,
                           std::uint64_t* bytes = nullptr);

// Deletes the *.log files under the install root `root` and records how many went.
void DeleteClientLogs(const Text& root);

// The "log文件清除" step of the optimize command. True when the install root was cleaned (the teal
// success text is shown); otherwise a message box has said what was not done.
bool CleanLogFiles(const ProgramState& state, ControlPort& ui);
