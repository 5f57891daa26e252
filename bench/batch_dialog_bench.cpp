// Measures how long the batch conversion dialog takes to open on folders of 1,000, 10,000 and
// 100,000 matching files, from the call of TForm2::Open (what the batch-convert button does) until
// the dialog is on screen with its list painted, and until Open has returned after a cancel.
// Beside it, the engine's listing of the same folder (a bare FindFirstFileW loop) and
// ListMatchingFiles: what the dialog costs beyond reading the folder. With MORVANE_BENCH_FILES=N
// one folder of N files is measured.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "modal_probe.h"
#include "large_folders.h"
#include "settings/settings.h"
#include "batch/batch_dialog.h"
#include "ui/application.h"
#include "ui/executable.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

constexpr int kRounds = 5;

struct BenchOpener : BatchDialogOpener {
    std::wstring folder;
    std::wstring FolderPath() const override { return folder; }
    std::wstring NewExtension() const override { return L"bak"; }
    void Refresh() override {}
};

// The dialog writes its details flag at every close: the stored value is put back afterwards.
class StoredDetails {
public:
    StoredDetails() {
        wchar_t text[64] = {};
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, kPath, L"Meisai", RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS)
            saved_ = text;
    }
    ~StoredDetails() {
        if (saved_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kPath, L"Meisai", REG_SZ, saved_->c_str(),
                            static_cast<DWORD>((saved_->size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kPath, L"Meisai");
    }

private:
    static constexpr wchar_t kPath[] = L"Halvik\\Morvane";
    std::optional<std::wstring> saved_;
};

// A folder of numbered .txt files: the one tools/bench.sh made from Linux when there is one
// (MORVANE_BENCH_FOLDERS), or else one beside the benchmark, made on first use and kept for the
// next runs. Opening the dialog changes nothing in it, and under Wine each new file of a large
// folder costs a look through the whole folder (100,000 files take tens of minutes to make).
class KeptBenchFolder {
public:
    explicit KeptBenchFolder(int files) : path_(MadeLargeFolder(false, files)) {
        if (!path_.empty() && CountFiles() == files) return;
        const std::wstring parent = FileBesideExecutable(L"bench-folders");
        CreateDirectoryW(parent.c_str(), nullptr);
        path_ = parent + L"\\dialog-" + std::to_wstring(files);
        CreateDirectoryW(path_.c_str(), nullptr);
        if (CountFiles() == files) return;
        std::printf("  (making the folder of %d files once; it is kept in %ls)\n", files, path_.c_str());
        for (int i = 0; i < files; ++i) {
            const HANDLE file = CreateFileW((path_ + L"\\" + FileName(i, L"txt")).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        }
    }
    const std::wstring& Path() const { return path_; }

    // The bare listing the engine's stands on.
    int CountFiles(const wchar_t* mask = L"*.txt") const { return CountByFindLoop(path_, mask); }

private:
    std::wstring path_;
};

void Measure(TForm2& dialog, BenchOpener& opener, Probe& probe, int files) {
    const KeptBenchFolder made(files);
    opener.folder = made.Path();
    const int rounds = files >= 100000 ? 3 : kRounds;
    std::vector<double> bare, listing, shown, total;
    double firstShown = 0, firstTotal = 0;
    int entries = 0;
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(Seconds([&] { entries = made.CountFiles(); }));
        listing.push_back(Seconds([&] { ListMatchingFiles(opener.folder, L"*.txt"); }));

        double shownAt = 0;
        const double start = Now();
        probe.PostOnce([&] {
            // Whatever is still to be painted is painted now, so the figure includes the first look
            // of the dialog with its list.
            RedrawWindow(dialog.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            shownAt = IsWindowVisible(dialog.Handle()) ? Now() : 0;
            dialog.SetModalResult(mrCancel);
        });
        dialog.Open(L"txt", TargetMode::ByExtension);
        const double end = Now();
        if (shownAt == 0) std::printf("  (the dialog was not visible when the probe ran)\n");
        shown.push_back(shownAt - start);
        total.push_back(end - start);
        if (round == 0) firstShown = shown.back(), firstTotal = total.back();
        if (dialog.CheckListBox1.Count() != entries)
            std::printf("  (the list holds %d entries, the folder %d)\n", dialog.CheckListBox1.Count(), entries);
    }
    std::printf("%7d files: Open until shown and painted %8.1f ms (first %8.1f), Open returned %8.1f ms (first %8.1f)"
                " | FindFirstFileW loop %7.1f ms, ListMatchingFiles %7.1f ms | shown / loop %.2f\n",
                files, Median(shown) * 1e3, firstShown * 1e3, Median(total) * 1e3, firstTotal * 1e3,
                Median(bare) * 1e3, Median(listing) * 1e3, Median(shown) / Median(bare));
}

}  // namespace

int wmain() {
    App().SetTitle(L"Morvane");
    StoredDetails restore;
    BenchOpener opener;
    TForm2 dialog(opener);
    if (dialog.Details() != 1) dialog.Button3Click();  // the list in view, as a user sees it
    Probe probe;
    std::printf("batch dialog, median of %d openings each (3 for 100,000), details shown:\n", kRounds);
    if (const wchar_t* files = _wgetenv(L"MORVANE_BENCH_FILES")) {
        Measure(dialog, opener, probe, _wtoi(files));
        return 0;
    }
    for (const int files : {1000, 10000, 100000}) Measure(dialog, opener, probe, files);
    return 0;
}
