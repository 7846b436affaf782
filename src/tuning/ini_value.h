// Reading one value of an INI file from its bytes, as Windows' INI functions find it.
#pragma once

#include <optional>
#include <string_view>

#include "platform/text.h"

// The value of `key` in the first section named `section` of the INI text `bytes`, with the blanks
// around it taken off; nothing when the section or the key is not there. Names compare without
// regard to the case of ASCII letters; a UTF-8 mark at the start is no part of the first line.
std::optional<Text> IniValue(std::string_view bytes, std::string_view section, std::string_view key);

// The same for the INI file `path`; nothing also when the file cannot be read.
std::optional<Text> IniFileValue(const Text& path, std::string_view section, std::string_view key);
