// Measures the engine against the bare platform calls doing the same work, on a folder of
// 10,000 files: listing against a FindFirstFileW loop, renaming against a MoveFileW loop.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "batch/engine.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

constexpr int kFiles = 10000;
constexpr int kListRounds = 7;

// The same renames the engine makes, done with nothing but path joins and MoveFileW.
void BareRename(const std::wstring& folder, const wchar_t* from, const wchar_t* to) {
    for (int i = 0; i < kFiles; ++i)
        MoveFileW((folder + L"\\" + FileName(i, from)).c_str(), (folder + L"\\" + FileName(i, to)).c_str());
}

}  // namespace

int wmain() {
    const BenchFolder made(L"engine", kFiles);
    const std::wstring& folder = made.Path();

    std::vector<double> bareList, engineList;
    size_t listed = 0;
    for (int round = 0; round < kListRounds; ++round) {
        bareList.push_back(Seconds([&] { listed = static_cast<size_t>(CountByFindLoop(folder, L"*.txt")); }));
        engineList.push_back(Seconds([&] { listed = ListMatchingFiles(folder, L"*.txt").size(); }));
    }

    // A rename costs far more than a listing (the file system looks the new name up in the whole
    // folder), so one pass each: the engine renames every file to .bak, the bare loop back to .txt.
    const MatchList list = ListMatchingFiles(folder, L"*.txt");
    NullSink sink;
    const double er = Seconds([&] { RenameCheckedFiles(folder, list, L"bak", sink); });
    const size_t renamed = ListMatchingFiles(folder, L"*.bak").size();
    const double br = Seconds([&] { BareRename(folder, L"bak", L"txt"); });


    const double bl = Median(bareList), el = Median(engineList);
    std::printf("files: %d, listed %zu, renamed %zu\n", kFiles, listed, renamed);
    std::printf("list   (median of %d): ListMatchingFiles %9.2f ms, FindFirstFileW loop %9.2f ms, ratio %.3f\n",
                kListRounds,
                el * 1e3, bl * 1e3, el / bl);
    std::printf("rename (one pass)   : RenameCheckedFiles %9.2f ms, MoveFileW loop      %9.2f ms, ratio %.3f\n",
                er * 1e3, br * 1e3, er / br);
    return 0;
}
