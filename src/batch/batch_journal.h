#pragma once
// The journal of the last batch, so that it can be undone: the folder and, for every checked entry,
// its old and new name (paths relative to the folder for files of its subfolders), written before
// the first rename; then, as the run goes, the outcome of each rename (and the temporary name a
// change of case moves a file through, before it moves there), and as an undo goes, each file it
// puts back. Replacing the journal is atomic, so after a crash there is either the old journal or
// the new one; outcomes are appended one line each, and a torn last line is ignored. A journal that
// names anything outside its folder is no journal: it is never acted on.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "batch/engine.h"
#include "ui/handles.h"

namespace morvane {

// Unknown: no record, or an undo was putting the file back when it was cut short; the names in the
// folder tell what happened. Restored: an undo put the file back.
enum class RenameOutcome { Unknown, Renamed, Failed, Restored };

struct JournalEntry {
    std::wstring OldName;  // names within the folder, or paths relative to it ("写真\a.JPG")
    std::wstring NewName;
    bool Blocked = false;  // the plan found the new name taken: without a record, it was not renamed
    RenameOutcome Outcome = RenameOutcome::Unknown;
    // With an unknown outcome: the name in the entry's folder that a change of case was moving the
    // file through when the record ends.
    std::wstring Temporary = {};
};

struct BatchJournal {
    std::wstring Folder;
    std::vector<JournalEntry> Entries;
    // What the batch was: when it ran (a FILETIME in UTC, 0 when not known), the target text, the
    // new extension and whether it took the subfolders. Journals of the first version hold none.
    ULONGLONG Time = 0;
    std::wstring Target = {};
    std::wstring NewExtension = {};
    bool SubFolders = false;
};

// "Morvane\last-batch" in the user's local application-data folder.
std::wstring BatchJournalPath();

// The journal of a batch about to run over the checked entries of the list.
BatchJournal PlanBatch(std::wstring_view folder, const MatchList& list, std::wstring_view newExtension);

// Writes a journal in place of the old one and then records the outcomes of its run. Entry
// numbers are those of the journal, not of the match list.
class JournalRecorder {
public:
    // Throws the program's error when the journal cannot be written; the old one is then left
    // as it was.
    JournalRecorder(const std::wstring& path, const BatchJournal& journal);
    void Record(std::size_t entry, RenameOutcome outcome);
    void Record(std::size_t entry, bool renamed) {
        Record(entry, renamed ? RenameOutcome::Renamed : RenameOutcome::Failed);
    }
    // Before the file moves to a temporary name: written through to the disk, so that a power cut
    // cannot leave the file there unrecorded. False when it could not be.
    bool RecordTemporary(std::size_t entry, std::wstring_view temporary);
    // Entries a stopped run never reached: not renamed. One write for all of them.
    void RecordNotReached(const std::vector<std::size_t>& entries);

private:
    UniqueFileHandle file_;
};

// The journal stored at the path, or nothing when there is none, it is not a journal, or it names
// a file outside its folder (a folder that is no absolute path, a name with "." or ".." parts, a
// drive or a stream).
std::optional<BatchJournal> ReadBatchJournal(const std::wstring& path);

// Writes the journal whole (temporary file, then moved over the old one); throws on failure.
void WriteBatchJournal(const std::wstring& path, const BatchJournal& journal);

// Entries whose rename happened, or may have happened (a crash cut the record short, and the new
// name is there while the old one is free): the files an undo would rename back.
std::vector<std::size_t> UndoableEntries(const BatchJournal& journal);

struct UndoResult {
    int Restored = 0;
    int NotRestored = 0;  // renamed by the batch, but the new name is gone or the old one is taken
    bool Stopped = false;  // the progress stopped the undo before its end
    // Why the journal could not be written again at the end, or empty. What each file did is
    // recorded in it all the same, as it happened.
    std::wstring JournalError = {};
};

// Renames back, last first, every undoable entry whose new name exists and whose old name is free,
// never replacing a file, until the progress tells it to stop. Each file put back is recorded in
// the journal as it happens, so that an undo cut short by a crash leaves a journal that offers
// exactly what is still to restore. At the end the journal is written whole again, each entry as
// it now stands (put back, not restored, not reached), so that a second undo tries what is left
// and the history shows what became of each file. The progress steps once per undoable entry. A
// file found under the temporary name of a change of case goes back to its old name, or where
// that is taken, to its new one. A file whose new path is among leftAlone (FolderNames::Key of
// full paths: a later batch renamed it again) stays as it is and counts as not restored.
UndoResult UndoBatch(const std::wstring& path, ProgressSink& progress,
                     const std::unordered_set<std::wstring>& leftAlone);
UndoResult UndoBatch(const std::wstring& path, ProgressSink& progress);
UndoResult UndoBatch(const std::wstring& path);

// Writes down for every entry without a record whether its rename happened, as the names in the
// folder tell now (entries still under a temporary name wait for their recovery); the number of
// entries settled. Throws the program's error when the journal cannot be written.
int SettleUnrecordedOutcomes(const std::wstring& path);

// Puts every file the journal finds under the temporary name of a change of case cut short (a crash,
// a power cut) back to its old name, or where that is taken, to its new one, and records it. The
// number of files put back.
int RecoverTemporaryNames(const std::wstring& path);

// Sink that records the outcomes of a run in the journal while another sink shows the progress.
// Match-list indexes are mapped to journal entries (the journal holds only checked entries).
class JournalingSink : public ProgressSink {
public:
    JournalingSink(ProgressSink& progress, JournalRecorder* recorder, const MatchList& list);
    void Start(int max) override { progress_.Start(max); }
    void Step() override { progress_.Step(); }
    bool MovingThrough(std::size_t entry, std::wstring_view temporary) override;
    void Renamed(std::size_t entry, bool succeeded) override;
    bool Continue() override { return progress_.Continue(); }
    // Records the entries the run never reached as not renamed.
    void Finish() override;

private:
    ProgressSink& progress_;
    JournalRecorder* recorder_;
    std::vector<std::size_t> journalIndex_;
    std::vector<bool> told_;  // per journal entry: an outcome or a temporary name has been recorded
};

}  // namespace morvane
