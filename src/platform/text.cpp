// GBK text operations that respect double-byte characters.
#include "platform/text.h"

#include <algorithm>

int FindText(std::string_view text, std::string_view what) {
    if (what.size() > text.size())
        return -1;
    for (size_t i = 0; i + what.size() <= text.size();) {
        if (text.compare(i, what.size(), what) == 0)
            return static_cast<int>(i) + 1;
        // Step over the whole character so that the next try starts on a character boundary.
        i += IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
    }
    return -1;
}

Text TextBefore(std::string_view text, std::string_view delimiter) {
    const int position = FindText(text, delimiter);
    if (position < 1)
        return {};
    return Text(text.substr(0, static_cast<size_t>(position) - 1));
}

Text JoinText(std::string_view first, std::string_view second) {
    Text joined;
    joined.reserve(first.size() + second.size());
    joined.append(first).append(second);
    return joined;
}

Text LeftBytes(std::string_view text, int n) {
    if (n <= 0)
        return {};
    return Text(text.substr(0, static_cast<size_t>(n)));
}

Text RightBytes(std::string_view text, int n) {
    if (n <= 0)
        return {};
    const size_t count = std::min(text.size(), static_cast<size_t>(n));
    return Text(text.substr(text.size() - count));
}

bool EndsWithBackslash(std::string_view text) {
    // Walk the characters from the start: in GBK the byte 0x5C can also be the second half of a
    // Chinese character, and only a real backslash counts.
    bool lastIsBackslash = false;
    for (size_t i = 0; i < text.size();) {
        const bool lead = IsLeadByte(text[i]) && i + 1 < text.size();
        lastIsBackslash = !lead && text[i] == '\\';
        i += lead ? 2 : 1;
    }
    return lastIsBackslash;
}

Text WithTrailingBackslash(std::string_view directory) {
    Text result(directory);
    if (!EndsWithBackslash(result))
        result.push_back('\\');
    return result;
}

Text JoinPath(std::string_view directory, std::string_view name) {
    return WithTrailingBackslash(directory).append(name);
}
