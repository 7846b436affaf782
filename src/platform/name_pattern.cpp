// Case-insensitive wildcard matching of file names.
#include "platform/name_pattern.h"

#include <windows.h>

namespace {

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    // The ordinal upper-case table is the one the file system uses for its own name lookups.
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

bool SameLetter(wchar_t a, wchar_t b) {
    if (a == b)
        return true;
    if (a < 0x80 && b < 0x80) {
        const auto fold = [](wchar_t c) {
            return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 0x20) : c;
        };
        return fold(a) == fold(b);
    }
    return SameIgnoringCase(std::wstring_view(&a, 1), std::wstring_view(&b, 1));
}

// Greedy matching that backs up to the most recent '*' on a mismatch: linear for one star, and
// never worse than the product of the lengths.
bool WildcardMatch(std::wstring_view pattern, std::wstring_view name) {
    size_t p = 0, n = 0;
    size_t starPattern = std::wstring_view::npos, starName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || SameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starPattern != std::wstring_view::npos) {
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

}  // namespace

NamePattern::NamePattern(std::wstring pattern) : pattern_(std::move(pattern)) {
    // The directory search reads "*.*" as "every name", dotless ones included.
    if (pattern_ == L"*.*")
        pattern_ = L"*";
    hasWildcards_ = pattern_.find_first_of(L"*?") != std::wstring::npos;
}

bool NamePattern::Matches(std::wstring_view name) const {
    if (pattern_.empty())
        return false;
    if (!hasWildcards_) {
        // Most names of a drive differ in length from "system.yaml": one comparison rejects them.
        return name.size() == pattern_.size() && SameIgnoringCase(pattern_, name);
    }
    return WildcardMatch(pattern_, name);
}
