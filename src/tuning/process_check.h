// Is a program with a given executable name running?
#pragma once

#include <cstdint>

#include "platform/text.h"

// The id of the first process whose executable name equals `name` (letter case aside), or 0.
std::uint32_t FindProcessByName(const Text& name);
