#pragma once
// What the benchmarks share: the clock, the summaries they print, a silent progress sink and
// numbered file names.
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "batch/engine.h"

namespace morvane::bench {

// Seconds on the performance counter.
inline double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency;
}

// How long the work takes, in seconds.
inline double Seconds(const std::function<void()>& work) {
    const double start = Now();
    work();
    return Now() - start;
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The best round: other programs on the machine only ever add time.
inline double Best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

// Progress that goes nowhere.
struct NullSink : ProgressSink {
    void Start(int) override {}
    void Step() override {}
    void Finish() override {}
};

// "f00042.txt" for 42 and "txt".
inline std::wstring FileName(int i, const wchar_t* extension) {
    wchar_t name[32];
    swprintf(name, 32, L"f%05d.%ls", i, extension);
    return name;
}

}  // namespace morvane::bench
