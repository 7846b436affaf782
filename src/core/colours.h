// The colours the tool paints its texts in.
#pragma once

#include <cstdint>

// A Windows colour reference, 0x00BBGGRR.
using Colour = std::uint32_t;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kTeal = 0x808000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kMagenta = 0xFF00FF;
inline constexpr Colour kBlack = 0x000000;
