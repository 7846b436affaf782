// The two system.yaml documents that the home-page commands write in place of the client's own.
#pragma once

#include "platform/text.h"

// The client's landing page on the loopback address, so that its home page stays blank.
const Text& BlankHomePageDocument();

// The client's landing page on the game developer's own home overview.
const Text& UsHomePageDocument();
