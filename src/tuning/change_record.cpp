// Writing, reading back and showing the record of changes.
#include "tuning/change_record.h"

#include <cstdio>
#include <vector>

#include "core/report.h"
#include "core/texts.h"
#include "platform/append_file.h"
#include "platform/encoding.h"
#include "platform/known_folder.h"
#include "platform/local_time.h"
#include "platform/shell_open.h"

namespace {

constexpr wchar_t kRecordFolder[] = L"Tellwick";
constexpr wchar_t kRecordFile[] = L"changes.txt";
constexpr char kSeparator = '\t';

// A tab or line break inside a field would split the line; a figure read from a client's file may
// hold one.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return text;
}

}  // namespace

std::optional<std::wstring> ChangeRecordPath() {
    const std::optional<std::wstring> local = LocalAppDataFolder();
    if (!local)
        return std::nullopt;
    return *local + L"\\" + kRecordFolder + L"\\" + kRecordFile;
}

bool RecordChange(const Text& root, const Text& words) {
    const std::optional<std::wstring> local = LocalAppDataFolder();
    if (!local || !EnsureFolder(*local + L"\\" + kRecordFolder))
        return false;
    const std::string line =
        LocalTimeStamp() + kSeparator + OneLine(ToUtf8(root)) + kSeparator + OneLine(ToUtf8(words));
    return AppendLine(*local + L"\\" + kRecordFolder + L"\\" + kRecordFile, line).Ok();
}

Text FillIn(std::string_view pattern, std::initializer_list<std::string_view> figures) {
    Text filled;
    const std::string_view* next = figures.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        // The second byte of a GBK character is never taken for part of a placeholder.
        if (IsLeadByte(pattern[i]) && i + 1 < pattern.size()) {
            filled.append(pattern.substr(i, 2));
            ++i;
        } else if (pattern.substr(i, 2) == "%s" && next != figures.end()) {
            filled.append(*next++);
            ++i;
        } else {
            filled.push_back(pattern[i]);
        }
    }
    return filled;
}

Text SizeText(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    const char* const units[] = {"KB", "MB", "GB", "TB"};
    double size = static_cast<double>(bytes) / 1024;
    size_t unit = 0;
    for (; size >= 1024 && unit + 1 < std::size(units); ++unit)
        size /= 1024;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
    return text;
}

std::optional<std::vector<std::string>> RecordedWordsFor(const Text& root) {
    const std::optional<std::wstring> path = ChangeRecordPath();
    if (!path)
        return std::nullopt;
    std::string bytes;
    if (const SysResult read = ReadWholeFile(*path, bytes); !read) {
        if (read.Error() == ERROR_FILE_NOT_FOUND || read.Error() == ERROR_PATH_NOT_FOUND)
            return std::vector<std::string>{};
        return std::nullopt;
    }
    const std::string wantedRoot = OneLine(ToUtf8(root));
    std::vector<std::string> words;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string_view line(bytes.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // Date and time, root, words: a line cut short by a kill lacks the last separator, or ends
        // inside the words, which then match nothing the reader looks for.
        const size_t first = line.find(kSeparator);
        const size_t second = first == std::string_view::npos ? first : line.find(kSeparator, first + 1);
        if (second == std::string_view::npos)
            continue;
        if (line.substr(first + 1, second - first - 1) == wantedRoot)
            words.emplace_back(line.substr(second + 1));
    }
    return words;
}

void ShowChangeRecord(ControlPort& ui) {
    const std::optional<std::wstring> path = ChangeRecordPath();
    std::string bytes;
    const SysResult read = path ? ReadWholeFile(*path, bytes) : SysResult::Failure(ERROR_PATH_NOT_FOUND);
    if (read.Error() == ERROR_FILE_NOT_FOUND || read.Error() == ERROR_PATH_NOT_FOUND) {
        ui.ShowMessageBox(texts::kNoRecordMessage, kMessageBoxFlags, texts::kNoRecordTitle);
        return;
    }
    // A record that exists but cannot be read now (an editor holding it) is still the editor's to
    // open.
    if (!OpenWithUsersProgram(*path))
        ui.ShowMessageBox(texts::kRecordOpenFailed, kMessageBoxFlags, texts::kRecordOpenFailedTitle);
}
