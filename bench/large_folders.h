#pragma once
// The large folders the shell benchmarks list: 10,000 and 100,000 files, and 10,000 subfolders.
// Under Wine each new file is looked for in its folder without regard to case, so that filling a
// folder of 100,000 files from a Windows program takes most of an hour; tools/bench.sh makes them
// from Linux beforehand, under the folder that MORVANE_BENCH_FOLDERS names, and keeps them for the
// next run. Without it (a benchmark started alone), a folder is made here and removed afterwards.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>

#include "bench_support.h"

namespace morvane::bench {

// The name tools/bench.sh gives a folder: "files-N" holds N files f00000.txt, f00001.txt, ...
// (file i of i % 2000 bytes), "folders-N" holds N empty subfolders d00000, d00001, ...
inline std::wstring LargeFolderName(bool folders, int count) {
    return std::wstring(folders ? L"folders-" : L"files-") + std::to_wstring(count);
}

// The path of that folder as tools/bench.sh made it, under MORVANE_BENCH_FOLDERS; empty when
// there is none.
inline std::wstring MadeLargeFolder(bool folders, int count) {
    const wchar_t* root = _wgetenv(L"MORVANE_BENCH_FOLDERS");
    if (!root || !*root) return {};
    const std::wstring path = std::wstring(root) + L"\\" + LargeFolderName(folders, count);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    return path;
}

// The folder tools/bench.sh made, or one made here like it and removed afterwards.
class LargeFolder {
public:
    LargeFolder(bool folders, int count)
        : name_(LargeFolderName(folders, count)), path_(MadeLargeFolder(folders, count)) {
        if (!path_.empty()) return;
        made_ = std::make_unique<BenchFolder>(name_, folders ? 0 : count, std::vector<const wchar_t*>{L"txt"}, true);
        path_ = made_->Path();
        for (int i = 0; folders && i < count; ++i) {
            wchar_t sub[16];
            swprintf(sub, 16, L"\\d%05d", i);
            CreateDirectoryW((path_ + sub).c_str(), nullptr);
        }
    }
    ~LargeFolder() {
        if (!made_) return;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path_ + L"\\d*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do RemoveDirectoryW((path_ + L"\\" + found.cFileName).c_str());
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    LargeFolder(const LargeFolder&) = delete;
    LargeFolder& operator=(const LargeFolder&) = delete;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring name_;
    std::wstring path_;
    std::unique_ptr<BenchFolder> made_;  // removes the folder it made
};

}  // namespace morvane::bench
