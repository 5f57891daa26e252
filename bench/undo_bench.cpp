// What the journal of the last batch costs, and how undo compares with the bare renames, on a
// folder of 10,000 files: a batch without and with its journal, and the undo against a bare
// MoveFileW loop that renames the same files back, alone and as the main window runs it (its
// progress shown and the waiting messages handled every few hundredths of a second).
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench_support.h"
#include "batch/batch_journal.h"
#include "batch/live_progress.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

constexpr int kFiles = 10000;

size_t Count(const std::wstring& folder, const wchar_t* mask) { return ListMatchingFiles(folder, mask).size(); }

}  // namespace

int wmain() {
    const BenchFolder made(L"undo", kFiles);
    const std::wstring& folder = made.Path();
    const std::wstring journalPath = folder + L"-last-batch";
    NullSink progress;
    const auto bareRename = [&](const wchar_t* from, const wchar_t* to) {
        for (int i = 0; i < kFiles; ++i)
            MoveFileW((folder + L"\\" + FileName(i, from)).c_str(), (folder + L"\\" + FileName(i, to)).c_str());
    };
    // The first pass over a new folder is slower whoever makes it: one untimed round trip first.
    bareRename(L"txt", L"tmp");
    bareRename(L"tmp", L"txt");

    // A batch as it ran before there was a journal, and the bare loop renaming back.
    const MatchList list = ListMatchingFiles(folder, L"*.txt");
    const double plainBatch = Seconds([&] { RenameCheckedFiles(folder, list, L"bak", progress); });
    const size_t plainRenamed = Count(folder, L"*.bak");
    const double bareBack = Seconds([&] { bareRename(L"bak", L"txt"); });

    // The same batch with its journal written first and every outcome recorded, then its undo.
    const auto journaledBatch = [&] {
        return Seconds([&] {
            JournalRecorder recorder(journalPath, PlanBatch(folder, list, L"bak"));
            JournalingSink sink(progress, &recorder, list);
            RenameCheckedFiles(folder, list, L"bak", sink);
        });
    };
    const double journaledTime = journaledBatch();
    const size_t journaledRenamed = Count(folder, L"*.bak");
    UndoResult undo;
    const double undoTime = Seconds([&] { undo = UndoBatch(journalPath); });
    const size_t restored = Count(folder, L"*.txt");

    // The same batch again, undone with the live progress.
    journaledBatch();
    int shown = 0;
    LiveProgress live([&](int, int) { ++shown; }, [] { return false; });
    UndoResult liveUndo;
    const double liveTime = Seconds([&] { liveUndo = UndoBatch(journalPath, live); });
    const size_t liveRestored = Count(folder, L"*.txt");

    DeleteFileW(journalPath.c_str());

    std::printf("files: %d; renamed %zu without and %zu with the journal; undo restored %d (%d not), %zu back\n",
                kFiles, plainRenamed, journaledRenamed, undo.Restored, undo.NotRestored, restored);
    std::printf("batch: with journal %9.2f ms, without %9.2f ms, journal adds %+.1f%%\n", journaledTime * 1e3,
                plainBatch * 1e3, (journaledTime / plainBatch - 1.0) * 100.0);
    std::printf("undo : UndoBatch    %9.2f ms, MoveFileW loop %9.2f ms, ratio %.3f\n", undoTime * 1e3,
                bareBack * 1e3, undoTime / bareBack);
    std::printf("undo : live         %9.2f ms, ratio %.3f; restored %d (%d not), %zu back, progress shown %d times\n",
                liveTime * 1e3, liveTime / bareBack, liveUndo.Restored, liveUndo.NotRestored, liveRestored, shown);
    return 0;
}
