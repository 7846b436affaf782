// The one instance of the program state.
#include "core/program_state.h"

#include <optional>

namespace {

std::optional<ProgramState> programState;

}  // namespace

void InitProgramState() {
    programState.emplace();
}

void ReleaseProgramState() {
    programState.reset();
}

ProgramState& CurrentProgramState() {
    return *programState;
}
