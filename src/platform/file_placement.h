// Putting a file written beside a target under the target's name: ReplaceFileW or a move, the
// settling after a failed swap, and the retries of refusals that pass. For the writers of
// platform/file_write.h only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace file_write {

// Virus scanners and the search indexer open a file the moment it is closed, often without
// sharing it, for a fraction of a second: a refusal is tried again for about a second in all.
inline constexpr int kPlacementAttempts = 10;
inline constexpr DWORD kPlacementRetryMs = 100;

// Files beside the target are named "<target>.tellwick-<process>-<n>": the new content while it is
// written, and with kDisplacedSuffix the former content while ReplaceFileW swaps the two.
inline constexpr std::wstring_view kBesideMark = L".tellwick-";
inline constexpr std::wstring_view kDisplacedSuffix = L"-replaced";

// A refusal that passes when the program holding the file lets go.
bool IsTransient(DWORD error);

bool Exists(const std::wstring& path);

// Removes a file of ours beside the target, also when it inherited the target's read-only
// attribute.
void RemoveFile(const std::wstring& path);

// Calls `step` until it succeeds, fails with a refusal that does not pass, or has been tried
// kPlacementAttempts times; false with the last failure's code as the thread's last error.
bool RetryRefusals(const std::function<bool()>& step);

// MoveFileExW, tried again on a refusal that passes.
SysResult Move(const std::wstring& from, const std::wstring& to, DWORD flags);

// A name beside `target` of this process, one not used before by it.
std::wstring BesideName(const std::wstring& target, std::wstring_view suffix = {});

// Puts the flushed file `temporary` under the name `target`, replacing what is there whole. On
// failure the target holds its former bytes under its name, or (kErrorFormerContentSetAside) they
// stand beside it.
SysResult ReplaceTarget(const std::wstring& temporary, const std::wstring& target);

}  // namespace file_write
