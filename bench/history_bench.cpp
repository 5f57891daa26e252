// What keeping a history of batches costs. The window 変換の履歴 opened on 100 kept batches of
// 100,000 files each, from the call until it is shown with its list painted, beside the bare calls
// it stands on (the history folder listed, each batch's summary file read) and beside reading the
// batches' journals themselves, which the summaries spare it. Then a batch of 10,000 renames as the
// batch dialog runs it today (its journal written first, each outcome recorded) without and with
// the history around it (the last journal moved into a history of 100 batches, the oldest removed,
// the new batch summarized at its end).
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/history_form.h"
#include "batch/batch_history.h"
#include "batch/batch_journal.h"
#include "bench_support.h"
#include "modal_probe.h"
#include "ui/application.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

constexpr int kBatches = 100;
constexpr int kEntriesPerBatch = 100000;
constexpr int kFiles = 10000;
constexpr int kRounds = 5;

// A folder under the temporary folder, removed with the files in it and in its subfolders (one
// level deep: the history) when it goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"morvane-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(path_, true); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    static void Remove(const std::wstring& folder, bool descend) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (descend) Remove(folder + L"\\" + name, false);
                } else {
                    DeleteFileW((folder + L"\\" + name).c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring path_;
};

// A journal of a batch that renamed every one of its files, as the batch dialog leaves it.
BatchJournal RenamedBatch(const std::wstring& folder, int entries) {
    BatchJournal journal;
    journal.Folder = folder;
    journal.Target = L"txt";
    journal.NewExtension = L"bak";
    journal.Entries.reserve(static_cast<size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        JournalEntry entry;
        entry.OldName = FileName(i, L"txt");
        entry.NewName = FileName(i, L"bak");
        entry.Outcome = RenameOutcome::Renamed;
        journal.Entries.push_back(std::move(entry));
    }
    return journal;
}

// A history of the given batches, all copies of one journal, each under the name and with the
// summary the program gives a kept batch.
void FillHistory(const std::wstring& journalPath, int batches, int entries) {
    const std::wstring history = journalPath.substr(0, journalPath.rfind(L'\\')) + L"\\history";
    CreateDirectoryW(history.c_str(), nullptr);
    const std::wstring model = journalPath + L".model";
    BatchJournal journal = RenamedBatch(L"C:\\写真\\2026", entries);
    for (int batch = 0; batch < batches; ++batch) {
        wchar_t stamp[32];
        swprintf(stamp, std::size(stamp), L"%020llu", 134000000000000000ULL + batch * 10000000ULL * 3600);
        journal.Time = 134000000000000000ULL + batch * 10000000ULL * 3600;
        WriteBatchJournal(model, journal);
        const std::wstring kept = history + L"\\" + stamp + L".journal";
        MoveFileExW(model.c_str(), kept.c_str(), MOVEFILE_REPLACE_EXISTING);
        BatchHistory::Summarize(kept);
    }
}

// The floor of the window's reading: the history folder listed and every summary file read whole.
size_t ReadSummariesBare(const std::wstring& history) {
    size_t bytes = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((history + L"\\*.summary").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::vector<char> buffer(4096);
    do {
        const HANDLE file = CreateFileW((history + L"\\" + found.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD read = 0;
        if (file == INVALID_HANDLE_VALUE) continue;
        if (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) bytes += read;
        CloseHandle(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return bytes;
}

void MeasureWindow() {
    const ScratchFolder scratch(L"history-window");
    const std::wstring journalPath = scratch.Path() + L"\\last-batch";
    std::printf("making %d kept batches of %d files each...\n", kBatches, kEntriesPerBatch);
    FillHistory(journalPath, kBatches, kEntriesPerBatch);
    const BatchHistory history(journalPath);

    THistoryForm window(history, nullptr, [](HWND, const std::wstring&) { return std::wstring(); });
    Probe probe;
    std::vector<double> bare, summaries, shown;
    size_t rows = 0, bytes = 0;
    for (int round = 0; round < kRounds; ++round) {
        bare.push_back(Seconds([&] { bytes = ReadSummariesBare(history.Folder()); }));
        summaries.push_back(Seconds([&] { rows = history.Summaries().size(); }));
        double shownAt = 0;
        const double start = Now();
        probe.PostOnce([&] {
            RedrawWindow(window.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            shownAt = IsWindowVisible(window.Handle()) ? Now() : 0;
            window.SetModalResult(mrCancel);
        });
        window.Open();
        if (shownAt == 0) std::printf("  (the window was not visible when the probe ran)\n");
        shown.push_back(shownAt - start);
    }
    // What the window would cost without the summaries: every kept journal read whole.
    const std::vector<BatchSummary> kept = history.Summaries();
    size_t entries = 0;
    const double journals = Seconds([&] {
        for (const BatchSummary& batch : kept)
            if (const auto journal = ReadBatchJournal(batch.JournalPath)) entries += journal->Entries.size();
    });
    std::printf("history window, %zu batches (%d files each), median of %d openings:\n", rows, kEntriesPerBatch, kRounds);
    std::printf("  open until shown and painted %8.1f ms | Summaries() %7.1f ms | bare: folder listed and %zu summary"
                " bytes read %7.1f ms | shown / bare %.1f\n",
                Median(shown) * 1e3, Median(summaries) * 1e3, bytes, Median(bare) * 1e3,
                Median(shown) / Median(bare));
    std::printf("  the journals themselves read instead (%zu entries): %9.1f ms\n", entries, journals * 1e3);
    std::printf("  rows in the window: %d\n", window.List.Count());
}

void MeasureBatch() {
    const BenchFolder made(L"history-batch", kFiles);
    const std::wstring& folder = made.Path();
    const ScratchFolder scratch(L"history-journals");
    const std::wstring journalPath = scratch.Path() + L"\\last-batch";
    FillHistory(journalPath, kBatches, kFiles);
    const BatchHistory history(journalPath);
    NullSink progress;
    const auto renameBack = [&] {
        for (int i = 0; i < kFiles; ++i)
            MoveFileW((folder + L"\\" + FileName(i, L"bak")).c_str(), (folder + L"\\" + FileName(i, L"txt")).c_str());
    };
    // The first pass over a new folder is slower whoever makes it: one untimed batch first.
    const MatchList list = ListMatchingFiles(folder, L"*.txt");
    const auto batch = [&] {
        JournalRecorder recorder(journalPath, PlanBatch(folder, list, L"bak"));
        JournalingSink sink(progress, &recorder, list);
        RenameCheckedFiles(folder, list, L"bak", sink);
    };
    batch();
    renameBack();

    std::vector<double> today, kept;
    for (int round = 0; round < kRounds; ++round) {
        today.push_back(Seconds(batch));
        renameBack();
        kept.push_back(Seconds([&] {
            history.Archive();
            batch();
            BatchHistory::Summarize(journalPath);
        }));
        renameBack();
    }
    const std::vector<BatchSummary> summaries = history.Summaries();
    std::printf("batch of %d renames, median of %d rounds each, the last journal of %d entries before it:\n", kFiles,
                kRounds, kFiles);
    std::printf("  journal only %9.1f ms | journal and history %9.1f ms | history adds %+.1f%% (kept batches: %zu)\n",
                Median(today) * 1e3, Median(kept) * 1e3, (Median(kept) / Median(today) - 1.0) * 100.0,
                summaries.size());
}

}  // namespace

int wmain() {
    App().SetTitle(L"Morvane");
    MeasureWindow();
    MeasureBatch();
    return 0;
}
