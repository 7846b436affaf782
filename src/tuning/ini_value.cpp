// A small INI reader: sections in brackets, "key=value" lines, CR LF or LF line ends.
#include "tuning/ini_value.h"

#include <string>

#include "platform/files.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letter case aside for ASCII letters; the bytes of a GBK character compare as they are.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (IsLeadByte(a[i]) && i + 1 < a.size()) {
            if (a.substr(i, 2) != b.substr(i, 2))
                return false;
            ++i;
        } else if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Text> IniValue(std::string_view bytes, std::string_view section, std::string_view key) {
    if (bytes.starts_with(kUtf8Mark))
        bytes.remove_prefix(kUtf8Mark.size());
    // Windows reads the first section of a name and stops at its end, even where a later section of
    // the same name follows.
    bool inSection = false;
    bool sectionSeen = false;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = Trimmed(line);
        if (line.starts_with('[')) {
            if (inSection)
                return std::nullopt;
            const size_t close = line.find(']');
            const std::string_view name =
                Trimmed(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            inSection = !sectionSeen && SameName(name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        if (SameName(Trimmed(line.substr(0, equals)), key)) {
            std::string_view value = Trimmed(line.substr(equals + 1));
            // The INI functions take off one pair of quotes around a value.
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front())
                value = value.substr(1, value.size() - 2);
            return Text(value);
        }
    }
    return std::nullopt;
}

std::optional<Text> IniFileValue(const Text& path, std::string_view section, std::string_view key) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes))
        return std::nullopt;
    return IniValue(bytes, section, key);
}
