// Explicit code-page-936 conversions; CP_ACP is never used.
#include "platform/encoding.h"

#include <windows.h>

WideBlock AnsiToWide(std::string_view text) {
    // A working copy ending in NUL, so that the platform sees exactly the text's bytes.
    const std::string source(text);
    if (source.empty() || source[0] == '\0')
        return {};
    const int units = MultiByteToWideChar(kTextCodePage, 0, source.c_str(), -1, nullptr, 0);
    if (units <= 0)
        return {};
    std::vector<wchar_t> block(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(kTextCodePage, 0, source.c_str(), -1, block.data(), units);
    return WideBlock(std::move(block));
}

std::wstring ToWide(std::string_view text) {
    return std::wstring(AnsiToWide(text).View());
}

namespace {

// Without best fit, so that a lost character shows as the default character; `lost` tells.
Text Encode(std::wstring_view text, bool& lost) {
    lost = false;
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, nullptr,
                                          0, nullptr, nullptr);
    if (bytes <= 0) {
        lost = true;
        return {};
    }
    Text result(static_cast<size_t>(bytes), '\0');
    BOOL usedDefault = FALSE;
    WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text.data(), length, result.data(), bytes,
                        nullptr, &usedDefault);
    lost = usedDefault != FALSE;
    return result;
}

}  // namespace

Text WideToAnsi(std::wstring_view text) {
    bool lost = false;
    return Encode(text, lost);
}

std::optional<Text> WideToAnsiExact(std::wstring_view text) {
    bool lost = false;
    Text result = Encode(text, lost);
    // The way back decides, whatever the platform's flags did: only a text that decodes to the very
    // same name is that name.
    if (lost || ToWide(result) != text)
        return std::nullopt;
    return result;
}

std::string ToUtf8(std::string_view text) {
    const std::wstring wide = ToWide(text);
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}
