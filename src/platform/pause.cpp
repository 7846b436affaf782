// A plain Sleep: <chrono> cannot be compiled with the tool's GBK execution character set.
#include "platform/pause.h"

#include <windows.h>

void PauseFor(unsigned milliseconds) {
    Sleep(milliseconds);
}
