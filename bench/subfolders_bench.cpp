// Measures the listing with subfolders on a tree of 10,000 files in 100 folders (a folder of 100
// files, each folder holding up to 9 subfolders, breadth first) against a bare recursive
// FindFirstFileW walk reading the same tree: with the mask that takes every file, against a walk
// that reads each folder once; with a mask of one extension, against a walk that searches each
// folder with the mask and once more for its subfolders, as any such listing must. Medians of 7
// rounds and the ratios (listing time over walk time). MORVANE_BENCH_FILES=N measures N files in
// N / 100 folders.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "batch/engine.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

constexpr int kFilesPerFolder = 100;
constexpr int kSubFoldersPerFolder = 9;
constexpr int kRounds = 7;

bool IsSubFolder(const WIN32_FIND_DATAW& found) {
    const std::wstring_view name = found.cFileName;
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..";
}

// Every file below the folder, one search of each folder.
void BareWalk(const std::wstring& folder, size_t& files) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (IsSubFolder(found))
            BareWalk(folder + L"\\" + found.cFileName, files);
        else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// The files that match the mask below the folder: each folder searched with the mask, and once
// more for its subfolders.
void BareMaskedWalk(const std::wstring& folder, const wchar_t* mask, size_t& files) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + mask).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
        while (FindNextFileW(search, &found));
        FindClose(search);
    }
    search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do
        if (IsSubFolder(found)) BareMaskedWalk(folder + L"\\" + found.cFileName, mask, files);
    while (FindNextFileW(search, &found));
    FindClose(search);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring path = folder + L"\\" + found.cFileName;
            if (IsSubFolder(found))
                RemoveTree(path);
            else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// The tree of the given number of folders under the temporary folder, removed when it goes. Half
// the files of each folder are .txt, half .dat.
class BenchTree {
public:
    explicit BenchTree(int folders) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        root_ = std::wstring(temp) + L"morvane-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-tree";
        std::vector<std::wstring> made{root_};
        CreateDirectoryW(root_.c_str(), nullptr);
        for (size_t parent = 0; static_cast<int>(made.size()) < folders; ++parent)
            for (int i = 0; i < kSubFoldersPerFolder && static_cast<int>(made.size()) < folders; ++i) {
                made.push_back(made[parent] + L"\\sub" + std::to_wstring(i));
                CreateDirectoryW(made.back().c_str(), nullptr);
            }
        for (const std::wstring& folder : made)
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const HANDLE file = CreateFileW((folder + L"\\" + FileName(i, i % 2 ? L"dat" : L"txt")).c_str(),
                                                GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
                CloseHandle(file);
            }
    }
    ~BenchTree() { RemoveTree(root_); }
    BenchTree(const BenchTree&) = delete;
    BenchTree& operator=(const BenchTree&) = delete;
    const std::wstring& Root() const { return root_; }

private:
    std::wstring root_;
};

struct Figures {
    double listing;
    double walk;
    size_t listed;
    size_t walked;
};

// Medians of the rounds, the two taking turns so that neither gets a warmer cache.
template <typename Listing, typename Walk>
Figures Measure(Listing listing, Walk walk) {
    std::vector<double> listings, walks;
    Figures figures{};
    listing();  // the first pass over a new tree is slower whoever makes it
    for (int round = 0; round < kRounds; ++round) {
        walks.push_back(Seconds([&] { figures.walked = walk(); }));
        listings.push_back(Seconds([&] { figures.listed = listing(); }));
    }
    figures.listing = Median(listings);
    figures.walk = Median(walks);
    return figures;
}

void Print(const char* mask, const char* walk, const Figures& figures) {
    std::printf("%-6s: ListMatchingFilesWithSubFolders %8.2f ms (%zu files), %-26s %8.2f ms (%zu files), ratio %.3f\n",
                mask, figures.listing * 1e3, figures.listed, walk, figures.walk * 1e3, figures.walked,
                figures.listing / figures.walk);
}

}  // namespace

int wmain() {
    int files = 10000;
    if (const char* asked = std::getenv("MORVANE_BENCH_FILES")) files = std::max(kFilesPerFolder, std::atoi(asked));
    const int folders = files / kFilesPerFolder;
    const BenchTree tree(folders);
    const std::wstring& root = tree.Root();

    const Figures all = Measure([&] { return ListMatchingFilesWithSubFolders(root, L"*.*").size(); },
                                [&] {
                                    size_t found = 0;
                                    BareWalk(root, found);
                                    return found;
                                });
    const Figures masked = Measure([&] { return ListMatchingFilesWithSubFolders(root, L"*.txt").size(); },
                                   [&] {
                                       size_t found = 0;
                                       BareMaskedWalk(root, L"*.txt", found);
                                       return found;
                                   });
    std::printf("tree: %d files in %d folders (up to %d subfolders each), medians of %d rounds\n",
                folders * kFilesPerFolder, folders, kSubFoldersPerFolder, kRounds);
    Print("*.*", "recursive FindFirstFileW", all);
    Print("*.txt", "the same, mask and folders", masked);
    return 0;
}
