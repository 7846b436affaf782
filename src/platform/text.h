// GBK text: the byte strings the tool holds for paths, captions and messages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// A NUL-terminated byte string in code page 936. Lengths and positions are in bytes.
using Text = std::string;

// An ordered list of texts that only grows; the search results are one.
using TextList = std::vector<Text>;

// True for a byte that starts a two-byte character: the tool treats every byte of 0x80 or
// above that way, so a search never matches on a second byte.
constexpr bool IsLeadByte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// 1-based byte position of the first occurrence of `what` in `text`, or -1. Matches begin only on
// character boundaries. An empty `what` is found at position 1.
int FindText(std::string_view text, std::string_view what);

// The part of `text` in front of the first occurrence of `delimiter`, or the empty text.
Text TextBefore(std::string_view text, std::string_view delimiter);

Text JoinText(std::string_view first, std::string_view second);

// The first or last `n` bytes; 0 or less gives the empty text, more than the length the whole text.
Text LeftBytes(std::string_view text, int n);
Text RightBytes(std::string_view text, int n);

// Whether the last character (not merely the last byte) is a backslash.
bool EndsWithBackslash(std::string_view text);

// `directory` with one backslash at its end; the empty text becomes "\".
Text WithTrailingBackslash(std::string_view directory);

// `directory` + "\" + `name`, with exactly one separator however `directory` ends.
Text JoinPath(std::string_view directory, std::string_view name);
