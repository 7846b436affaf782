// Writing a whole file so that it holds either its former content or the new one, never a part.
#pragma once

#include <string_view>

#include "platform/result.h"

// Replaces the content of `path` (created when missing) with `bytes`. The bytes go to a new file
// beside it first, which then takes the target's place in one move; on any failure the target is
// as it was and the new file is gone. Fails when another program holds the target open without
// letting others delete it, and when the target is read-only or a folder.
SysResult WriteFileWhole(std::string_view path, std::string_view bytes);
