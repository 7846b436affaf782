// The record of every change the tool makes to a client's files: one line a change, appended to
// %LOCALAPPDATA%\Tellwick\changes.txt as UTF-8, "date time<TAB>install root<TAB>words".
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/control_port.h"
#include "platform/text.h"

// Appends one line for a change made under `root`. A record that cannot be written changes nothing
// about the change itself: the caller goes on, and nothing is shown. True when the line was written.
bool RecordChange(const Text& root, const Text& words);

// `pattern` with each "%s" replaced by the next of `figures`, in order.
Text FillIn(std::string_view pattern, std::initializer_list<std::string_view> figures);

// A size in bytes as people read it: "512 B", "12.4 KB", "12.4 MB", "1.2 GB".
Text SizeText(std::uint64_t bytes);

// Where the record is, or nothing when Windows does not name the user's local application data.
std::optional<std::wstring> ChangeRecordPath();

// The lines of the record whose install root is exactly `root`, as UTF-8 words, oldest first.
// Nothing when the record exists but cannot be read; no lines when there is no record yet.
std::optional<std::vector<std::string>> RecordedWordsFor(const Text& root);

// The handler of "查看更改记录": opens the record with the user's program for text files.
void ShowChangeRecord(ControlPort& ui);
