#pragma once
// The batches kept for undoing and for the record. The newest is the journal of the last batch
// itself; each older one is a journal of its own in the folder "history" beside it, moved there
// when the next batch began. Beside every journal a short summary (when, where, the rule, how many
// files were renamed and put back) lets a list of a hundred large batches be read at once.
#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include <windows.h>

namespace morvane {

enum class HistoryState {
    Undoable,        // 元に戻せます: nothing put back yet
    Undone,          // 元に戻しました: every renamed file is back
    PartlyUndoable,  // 一部だけ戻せます: some are back, or some could not go back
    NotUndoable,     // 戻せません: the last undo could put none back
};

struct BatchSummary {
    std::wstring JournalPath;
    ULONGLONG Time = 0;  // FILETIME, UTC
    std::wstring Folder;
    std::wstring Target;
    std::wstring NewExtension;
    bool SubFolders = false;
    int Renamed = 0;   // files the batch renamed
    int Restored = 0;  // of those, the files an undo put back
    int Failed = 0;    // of the rest, those the last undo could not put back
    HistoryState State() const;
};

// The state as the history window says it.
const wchar_t* StateText(HistoryState state);

class BatchHistory {
public:
    // At least this many batches are kept besides the newest; the oldest go first.
    static constexpr size_t kKept = 100;

    // The history of the journal of the last batch at this path (empty: none is kept).
    explicit BatchHistory(std::wstring journalPath);

    const std::wstring& JournalPath() const { return journalPath_; }
    std::wstring Folder() const;

    // Before a new batch writes its journal: the journal of the last batch goes into the history
    // (and the oldest beyond kKept leave it), its entries without a record settled by the names
    // the folder has now. Returns where it went, empty when there was none; throws the program's
    // error when it is there and cannot be moved.
    std::wstring Archive() const;
    // The new batch renamed nothing: the archived journal is the last batch's again.
    void Unarchive(const std::wstring& archived) const;

    // Every kept batch, newest first. A summary that is missing or older than its journal (a
    // crash, a journal of an older version) is made again from the journal.
    std::vector<BatchSummary> Summaries() const;
    // The journal of the newest batch that still has files to put back, or empty.
    std::wstring NewestUndoable() const;
    // The files that batches newer than the journal's renamed (and that were not put back), as
    // FolderNames::Key of their full paths: undoing the older batch leaves them alone.
    std::unordered_set<std::wstring> RenamedAfter(const std::wstring& journal) const;

    // Whether the journal is the last batch's own (the newest), not one of the history's.
    bool IsNewest(const std::wstring& journal) const { return journal == journalPath_; }

    // Writes the summary of a journal after its run or its undo (failed: the files that undo could
    // not put back). Nothing is written for a journal that cannot be read.
    static void Summarize(const std::wstring& journalPath, int failed = 0);

private:
    std::vector<std::wstring> ArchivedJournals() const;  // oldest first

    std::wstring journalPath_;
};

// A batch's renames as text a spreadsheet reads: UTF-8 with its byte-order mark, comma-separated,
// every field quoted, CR LF after each line; a header, then per file its old and new full path,
// the time of the batch and what became of the file.
std::string BatchCsv(const std::wstring& journalPath);
// Writes that text whole to the path; throws the program's error when the journal cannot be read
// or the file cannot be written.
void ExportBatch(const std::wstring& journalPath, const std::wstring& csvPath);

// A batch's time as the history shows it: local time, "2026/12/09 14:03".
std::wstring HistoryTime(ULONGLONG time, bool seconds = false);

}  // namespace morvane
