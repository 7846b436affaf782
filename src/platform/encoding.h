// Conversions between the tool's GBK texts and the UTF-16 strings of the W functions.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"

// The code page of every text the tool holds, whatever the system's own ANSI code page is.
inline constexpr unsigned kTextCodePage = 936;

// UTF-16 units ending in one NUL unit, or nothing at all for the empty text. Data() of the empty
// block is null, which the W functions take as a missing string.
class WideBlock {
   public:
    WideBlock() = default;
    explicit WideBlock(std::vector<wchar_t> units) : units_(std::move(units)) {}

    const wchar_t* Data() const { return units_.empty() ? nullptr : units_.data(); }
    wchar_t* Data() { return units_.empty() ? nullptr : units_.data(); }
    // Units including the terminating NUL; 0 for the empty block.
    size_t Units() const { return units_.size(); }
    size_t Bytes() const { return units_.size() * sizeof(wchar_t); }
    bool Empty() const { return units_.empty(); }
    // The units without the terminating NUL.
    std::wstring_view View() const {
        return units_.empty() ? std::wstring_view() : std::wstring_view(units_.data(), units_.size() - 1);
    }

   private:
    std::vector<wchar_t> units_;
};

// Decodes a GBK text as code page 936.
WideBlock AnsiToWide(std::string_view text);

// The UTF-16 form of a GBK text as a string (empty for the empty text).
std::wstring ToWide(std::string_view text);

// Encodes UTF-16 as code page 936 for showing (captions, labels). A character that GBK lacks becomes
// the default character '?', never a look-alike: "Games²" must not turn into "Games2".
Text WideToAnsi(std::wstring_view text);

// The GBK form of a file-system name or path, or nothing when GBK cannot hold it exactly. Such a
// name is never acted on: any text for it would name nothing, or another file.
std::optional<Text> WideToAnsiExact(std::wstring_view text);

// The UTF-8 form of a GBK text, for files that other programs read as UTF-8.
std::string ToUtf8(std::string_view text);
