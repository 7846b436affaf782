// The two values that outlive a single event handler.
#pragma once

#include "platform/text.h"

struct ProgramState {
    // The client's install root without a trailing backslash; empty while none is known.
    Text InstallRoot;
    // Every hit of every drive search of this run; entries are only ever appended.
    TextList SearchResults;
};
