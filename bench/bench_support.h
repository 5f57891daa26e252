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

// The bare listing every listing of a folder stands on: a FindFirstFileW loop over the mask,
// counting the names it yields.
inline int CountByFindLoop(const std::wstring& folder, const wchar_t* mask) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\" + mask).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// "f00042.txt" for 42 and "txt".
inline std::wstring FileName(int i, const wchar_t* extension) {
    wchar_t name[32];
    swprintf(name, 32, L"f%05d.%ls", i, extension);
    return name;
}

// A folder of numbered files under the temporary folder, removed with its files when it goes.
// File i takes the extensions in turn and, with sized set, i % 2000 bytes.
class BenchFolder {
public:
    BenchFolder(const std::wstring& name, int files, std::vector<const wchar_t*> extensions = {L"txt"},
                bool sized = false) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"morvane-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        CreateDirectoryW(path_.c_str(), nullptr);
        static const std::vector<char> zeros(2000, 0);
        for (int i = 0; i < files; ++i) {
            const HANDLE file =
                CreateFileW((path_ + L"\\" + FileName(i, extensions[static_cast<size_t>(i) % extensions.size()])).c_str(),
                            GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            if (sized) WriteFile(file, zeros.data(), static_cast<DWORD>(i % 2000), &written, nullptr);
            CloseHandle(file);
        }
    }
    ~BenchFolder() {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace morvane::bench
