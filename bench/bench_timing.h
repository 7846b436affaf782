// Timing helpers shared by the benchmarks.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

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
