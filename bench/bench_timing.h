// Timing and printing helpers shared by the benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/encoding.h"
#include "platform/text.h"

inline double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Seconds that `search` takes to fill `results`, emptied first.
template <typename Search>
double Time(Search search, TextList& results) {
    results.clear();
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    search(results);
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// For the console of the host, which reads UTF-8.
inline std::string Utf8(const Text& text) {
    const std::wstring wide = ToWide(text);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                          nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), bytes, nullptr,
                        nullptr);
    return utf8;
}
