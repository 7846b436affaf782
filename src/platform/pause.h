// Blocking the calling thread for a while.
#pragma once

// Returns after `milliseconds`; the thread handles no messages meanwhile.
void PauseFor(unsigned milliseconds);
