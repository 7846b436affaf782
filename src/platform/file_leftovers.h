// What runs killed in the middle of a write leave beside a file, and how the next write deals with
// it. For the writers of platform/file_write.h only; callers use SettleLeftovers there.
#pragma once

#include <string>

namespace file_write {

// SettleLeftovers of platform/file_write.h for a target already converted.
void SettleLeftoversOf(const std::wstring& target);

}  // namespace file_write
