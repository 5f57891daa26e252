#include "batch/batch_journal.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <new>
#include <unordered_map>

#include "batch/file_names.h"
#include "batch/journal_text.h"
#include "batch/name_collisions.h"
#include "ui/error.h"

namespace morvane {

namespace {

// The journal is UTF-16 text, one record a line, fields separated by tabs, so that no conversion
// can lose a name. A name may hold a tab or a line break too (Wine and shares from other systems
// allow them): in the fields of this version "%", tab, CR and LF are written as "%25", "%09", "%0D"
// and "%0A". The first version wrote every field as it is; its journals are still read.
constexpr std::wstring_view kHeader = L"Morvane last-batch 2";
constexpr std::wstring_view kFirstHeader = L"Morvane last-batch 1";
constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr wchar_t kTemporaryKind = L'T';

// Whether a name (or path relative to the folder) stays inside the folder: every part a name of
// its own, no "." or "..", no drive, stream or root. A new name may end in dots or blanks, which the
// file system drops (an empty new extension leaves "a.").
bool StaysInFolder(std::wstring_view path, bool newName) {
    for (;;) {
        const size_t separator = path.find(L'\\');
        std::wstring_view part = path.substr(0, separator);
        if (separator == std::wstring_view::npos && newName) {
            const size_t kept = part.find_last_not_of(L". ");
            part = part.substr(0, kept == std::wstring_view::npos ? 0 : kept + 1);
        }
        if (!IsAddressableName(part)) return false;
        if (separator == std::wstring_view::npos) return true;
        path.remove_prefix(separator + 1);
    }
}

// Whether a recorded temporary name is one a change of case of this entry gives: the old or the new
// name (an undo moves from the new one) with the mark, or the short name for a long one. Any other
// name would have the next start rename a file the batch never touched.
bool IsTemporaryNameOf(const JournalEntry& entry) {
    if (!SameEntryName(entry.OldName, entry.NewName)) return false;
    const std::wstring_view temporary = entry.Temporary;
    for (const std::wstring_view name : {SplitEntryPath(entry.OldName).Name, SplitEntryPath(entry.NewName).Name}) {
        const std::wstring mark = std::wstring(name) + L".morvane-tmp";
        if (!temporary.starts_with(mark)) continue;
        const std::wstring_view number = temporary.substr(mark.size());
        if (number.empty() || (ParseIndex(number) && number.front() != L'0')) return true;
    }
    if (!temporary.starts_with(L"~morvane-") || !temporary.ends_with(L".tmp")) return false;
    return ParseIndex(temporary.substr(9, temporary.size() - 9 - 4)).has_value();
}

bool IsSafe(const BatchJournal& journal) {
    if (!IsAddressableFolderPath(journal.Folder)) return false;
    for (const JournalEntry& entry : journal.Entries) {
        if (!StaysInFolder(entry.OldName, false) || !StaysInFolder(entry.NewName, true) ||
            SplitEntryPath(entry.OldName).SubFolder != SplitEntryPath(entry.NewName).SubFolder)
            return false;
        if (!entry.Temporary.empty() && !IsTemporaryNameOf(entry)) return false;
    }
    return true;
}

// The temporary name of an entry as a path relative to the journal's folder.
std::wstring TemporaryPath(const JournalEntry& entry) {
    return std::wstring(SplitEntryPath(entry.OldName).SubFolder) + entry.Temporary;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The record of each outcome, one letter: "?" stands for an undo about to put the file back.
wchar_t RecordKind(RenameOutcome outcome) {
    switch (outcome) {
    case RenameOutcome::Renamed: return L'R';
    case RenameOutcome::Failed: return L'F';
    case RenameOutcome::Restored: return L'U';
    case RenameOutcome::Unknown: break;
    }
    return L'?';
}

std::optional<RenameOutcome> OutcomeOfKind(std::wstring_view kind) {
    if (kind.size() != 1) return std::nullopt;
    for (const RenameOutcome outcome :
         {RenameOutcome::Renamed, RenameOutcome::Failed, RenameOutcome::Restored, RenameOutcome::Unknown})
        if (kind[0] == RecordKind(outcome)) return outcome;
    return std::nullopt;
}

std::wstring OutcomeRecord(std::size_t entry, RenameOutcome outcome) {
    return std::wstring(1, RecordKind(outcome)) + L"\t" + std::to_wstring(entry) + L"\n";
}

std::wstring TemporaryRecord(std::size_t entry, std::wstring_view temporary) {
    return std::wstring(1, kTemporaryKind) + L"\t" + std::to_wstring(entry) + L"\t" + Escaped(temporary) + L"\n";
}

std::wstring Serialize(const BatchJournal& journal) {
    std::wstring text(1, kByteOrderMark);
    text += kHeader;
    text += L"\nfolder\t" + Escaped(journal.Folder) + L"\nbatch\t" + std::to_wstring(journal.Time) + L"\t" +
            Escaped(journal.Target) + L"\t" + Escaped(journal.NewExtension) + L"\t" + (journal.SubFolders ? L"1" : L"0") +
            L"\ncount\t" + std::to_wstring(journal.Entries.size()) + L"\n";
    for (const JournalEntry& entry : journal.Entries)
        text += std::wstring(L"E\t") + (entry.Blocked ? L"1" : L"0") + L"\t" + Escaped(entry.OldName) + L"\t" +
                Escaped(entry.NewName) + L"\n";
    // Outcomes already known are kept as records, so a rewritten journal tells the same. The batch's
    // own come first: an older version of the program reads records only up to the first kind it
    // does not know, and so still reads every outcome of the batch.
    for (size_t i = 0; i < journal.Entries.size(); ++i) {
        const RenameOutcome outcome = journal.Entries[i].Outcome;
        if (outcome == RenameOutcome::Renamed || outcome == RenameOutcome::Failed) text += OutcomeRecord(i, outcome);
    }
    for (size_t i = 0; i < journal.Entries.size(); ++i)
        if (journal.Entries[i].Outcome == RenameOutcome::Restored) text += OutcomeRecord(i, RenameOutcome::Restored);
    for (size_t i = 0; i < journal.Entries.size(); ++i) {
        const JournalEntry& entry = journal.Entries[i];
        if (entry.Outcome == RenameOutcome::Unknown && !entry.Temporary.empty())
            text += TemporaryRecord(i, entry.Temporary);
    }
    return text;
}

}  // namespace

std::wstring BatchJournalPath() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                folder)))
        return {};
    return std::wstring(folder) + L"\\Morvane\\last-batch";
}

BatchJournal PlanBatch(std::wstring_view folder, const MatchList& list, std::wstring_view newExtension) {
    BatchJournal journal;
    journal.Folder = folder;
    const std::vector<bool> collides = FindNameCollisions(folder, list, newExtension);
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].Checked) continue;
        JournalEntry entry;
        entry.OldName = list[i].Name;
        entry.NewName = NewEntryName(list[i].Name, newExtension);
        entry.Blocked = collides[i];
        journal.Entries.push_back(std::move(entry));
    }
    return journal;
}

void WriteBatchJournal(const std::wstring& path, const BatchJournal& journal) {
    WriteWholeTextFile(path, Serialize(journal));
}

std::optional<BatchJournal> ReadBatchJournal(const std::wstring& path) {
    const std::optional<std::wstring> content = ReadWholeTextFile(path);
    if (!content || content->empty() || content->front() != kByteOrderMark) return std::nullopt;
    std::wstring_view text = std::wstring_view(*content).substr(1);

    // Only lines that end in a line break count: a torn last line was never written whole.
    std::vector<std::wstring_view> lines;
    for (size_t end; (end = text.find(L'\n')) != std::wstring_view::npos; text.remove_prefix(end + 1))
        lines.push_back(text.substr(0, end));

    if (lines.size() < 3 || (lines[0] != kHeader && lines[0] != kFirstHeader)) return std::nullopt;
    const bool escaped = lines[0] == kHeader;
    const auto field = [escaped](std::wstring_view raw) {
        return escaped ? Unescaped(raw) : std::optional<std::wstring>(std::wstring(raw));
    };
    const auto folder = SplitFields(lines[1]);
    // What the batch was, in journals of this version.
    size_t first = 2;
    std::vector<std::wstring_view> batch;
    if (escaped && lines[2].starts_with(L"batch\t")) {
        batch = SplitFields(lines[2]);
        if (batch.size() != 5 || !ParseNumber(batch[1]) || (batch[4] != L"0" && batch[4] != L"1")) return std::nullopt;
        ++first;
    }
    if (lines.size() <= first) return std::nullopt;
    const auto count = SplitFields(lines[first++]);
    if (folder.size() != 2 || folder[0] != L"folder" || count.size() != 2 || count[0] != L"count")
        return std::nullopt;
    const std::optional<size_t> entries = ParseIndex(count[1]);
    const std::optional<std::wstring> folderPath = field(folder[1]);
    if (!entries || !folderPath || lines.size() < first + *entries) return std::nullopt;

    BatchJournal journal;
    journal.Folder = *folderPath;
    if (!batch.empty()) {
        std::optional<std::wstring> target = field(batch[2]);
        std::optional<std::wstring> newExtension = field(batch[3]);
        if (!target || !newExtension) return std::nullopt;
        journal.Time = *ParseNumber(batch[1]);
        journal.Target = std::move(*target);
        journal.NewExtension = std::move(*newExtension);
        journal.SubFolders = batch[4] == L"1";
    }
    journal.Entries.reserve(*entries);
    for (size_t i = 0; i < *entries; ++i) {
        const auto fields = SplitFields(lines[first + i]);
        if (fields.size() != 4 || fields[0] != L"E" || (fields[1] != L"0" && fields[1] != L"1"))
            return std::nullopt;
        std::optional<std::wstring> oldName = field(fields[2]);
        std::optional<std::wstring> newName = field(fields[3]);
        if (!oldName || !newName) return std::nullopt;
        journal.Entries.push_back(
            {std::move(*oldName), std::move(*newName), fields[1] == L"1", RenameOutcome::Unknown});
    }
    // Outcomes follow, a later record of an entry in place of an earlier one; anything after the
    // first damaged record is not trusted.
    for (size_t i = first + *entries; i < lines.size(); ++i) {
        const auto fields = SplitFields(lines[i]);
        const std::optional<size_t> entry = fields.size() >= 2 ? ParseIndex(fields[1]) : std::nullopt;
        if (!entry || *entry >= journal.Entries.size()) break;
        JournalEntry& journalEntry = journal.Entries[*entry];
        if (escaped && fields.size() == 3 && fields[0].size() == 1 && fields[0][0] == kTemporaryKind) {
            std::optional<std::wstring> temporary = field(fields[2]);
            if (!temporary || temporary->empty()) break;
            journalEntry.Outcome = RenameOutcome::Unknown;
            journalEntry.Temporary = std::move(*temporary);
            continue;
        }
        const std::optional<RenameOutcome> outcome = fields.size() == 2 ? OutcomeOfKind(fields[0]) : std::nullopt;
        if (!outcome) break;
        journalEntry.Outcome = *outcome;
        // An undo about to put the file back ("?") leaves the file where the temporary record said.
        if (*outcome != RenameOutcome::Unknown) journalEntry.Temporary.clear();
    }
    if (!IsSafe(journal)) return std::nullopt;
    return journal;
}

JournalRecorder::JournalRecorder(const std::wstring& path, const BatchJournal& journal) {
    WriteBatchJournal(path, journal);
    file_.Reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) CannotCreate(path);
}

void JournalRecorder::Record(std::size_t entry, RenameOutcome outcome) {
    // A record that cannot be written is not worth stopping the run for: the undo then judges the
    // entry by the names it finds.
    WriteAll(file_.Get(), OutcomeRecord(entry, outcome));
}

bool JournalRecorder::RecordTemporary(std::size_t entry, std::wstring_view temporary) {
    return WriteAll(file_.Get(), TemporaryRecord(entry, temporary)) && FlushFileBuffers(file_.Get());
}

void JournalRecorder::RecordNotReached(const std::vector<std::size_t>& entries) {
    std::wstring records;
    for (const size_t entry : entries) records += OutcomeRecord(entry, RenameOutcome::Failed);
    if (!records.empty()) WriteAll(file_.Get(), records);
}

std::vector<std::size_t> UndoableEntries(const BatchJournal& journal) {
    // Judged last entry first, as the undo goes: an entry put back frees its new name and takes its
    // old one again, which decides for the entries before it (a.b.c -> a.b.b.c, then a.q -> a.b.c).
    std::unordered_map<std::wstring, bool> takenAfterUndo;
    const auto taken = [&](const std::wstring& name) {
        const auto known = takenAfterUndo.find(FolderNames::Key(name));
        return known != takenAfterUndo.end() ? known->second : Exists(JoinFolderPath(journal.Folder, name));
    };
    std::vector<std::size_t> undoable;
    for (size_t i = journal.Entries.size(); i-- > 0;) {
        const JournalEntry& entry = journal.Entries[i];
        if (entry.Outcome == RenameOutcome::Failed || entry.Outcome == RenameOutcome::Restored) continue;
        // What a record says holds over the plan: a file renamed although its new name looked
        // taken (the file that held it failed first) is undone as any other.
        std::wstring freed = entry.NewName;
        if (entry.Outcome == RenameOutcome::Unknown && !entry.Temporary.empty() && taken(TemporaryPath(entry))) {
            // A change of case was cut short: the file is under the temporary name.
            freed = TemporaryPath(entry);
        } else if (entry.Outcome == RenameOutcome::Unknown) {
            // Without a record the names tell whether the rename happened. A new name that is the
            // old one changed nothing, whatever the folder holds, and one the plan found taken
            // belongs to another file.
            if (entry.Blocked || RenamesNothing(entry.OldName, entry.NewName)) continue;
            const bool happened = SameEntryName(entry.OldName, entry.NewName)
                                      ? FolderHoldsExactly(journal.Folder, entry.NewName)
                                      : taken(entry.NewName) && !taken(entry.OldName);
            if (!happened) continue;
        }
        undoable.push_back(i);
        takenAfterUndo[FolderNames::Key(freed)] = false;
        takenAfterUndo[FolderNames::Key(entry.OldName)] = true;
    }
    std::reverse(undoable.begin(), undoable.end());
    return undoable;
}

namespace {

// Moves a file found under the temporary name of a change of case back to its old name, or where
// that is taken, on to its new one: what it answers is where the file is now (Restored: the old
// name; Renamed: the new one; Unknown: still the temporary name).
RenameOutcome MoveOffTemporary(const std::wstring& folder, const JournalEntry& entry) {
    const std::wstring temporary = TemporaryPath(entry);
    if (RenameInFolder(folder, temporary, entry.OldName)) return RenameOutcome::Restored;
    if (RenameInFolder(folder, temporary, entry.NewName)) return RenameOutcome::Renamed;
    return RenameOutcome::Unknown;
}

}  // namespace

UndoResult UndoBatch(const std::wstring& path, ProgressSink& progress) { return UndoBatch(path, progress, {}); }

UndoResult UndoBatch(const std::wstring& path, ProgressSink& progress, const std::unordered_set<std::wstring>& leftAlone) {
    UndoResult result;
    const std::optional<BatchJournal> journal = ReadBatchJournal(path);
    if (!journal) return result;
    const std::vector<size_t> undoable = UndoableEntries(*journal);

    // The journal is written again as it was read (a torn last line would spoil the records that
    // follow it), then each restore is recorded as it happens. Without it the undo still runs.
    std::optional<JournalRecorder> recorder;
    if (!undoable.empty()) {
        try {
            recorder.emplace(path, *journal);
        } catch (const Error&) {
        }
    }
    const auto record = [&](size_t entry, RenameOutcome outcome) {
        if (recorder) recorder->Record(entry, outcome);
    };

    // Last entry first; the entries before notReached are those a stop leaves. Each entry undone
    // is changed here as it is in the folder.
    std::vector<JournalEntry> entries = journal->Entries;
    size_t notReached = undoable.size();
    progress.Start(static_cast<int>(undoable.size()));
    for (; notReached > 0 && progress.Continue(); --notReached) {
        const size_t index = undoable[notReached - 1];
        JournalEntry& entry = entries[index];
        progress.Step();
        if (!leftAlone.empty() && leftAlone.count(FolderNames::Key(JoinFolderPath(journal->Folder, entry.NewName)))) {
            ++result.NotRestored;
            continue;
        }
        // Cut short during the rename, the undo leaves the names to tell whether it happened.
        record(index, RenameOutcome::Unknown);
        RenameOutcome now = RenameOutcome::Renamed;
        // A record of a temporary name whose file is gone there: the change of case went through.
        if (!entry.Temporary.empty() && !Exists(JoinFolderPath(journal->Folder, TemporaryPath(entry))))
            entry.Temporary.clear();
        if (!entry.Temporary.empty()) {
            now = MoveOffTemporary(journal->Folder, entry);
        } else {
            // Never replaces: a taken old name leaves the file as it is.
            const RenameResult renamed = RenameEntry(journal->Folder, entry.NewName, entry.OldName,
                                                     [&](const std::wstring& temporary) {
                                                         if (recorder && !recorder->RecordTemporary(index, temporary))
                                                             return false;
                                                         entry.Temporary = temporary;
                                                         return true;
                                                     });
            now = renamed == RenameResult::Renamed              ? RenameOutcome::Restored
                  : renamed == RenameResult::LeftUnderTemporary ? RenameOutcome::Unknown
                                                                : RenameOutcome::Renamed;
        }
        // Still under the temporary name, the entry keeps the record that says so.
        if (now != RenameOutcome::Unknown) {
            record(index, now);
            entry.Temporary.clear();
        }
        entry.Outcome = now;
        if (now == RenameOutcome::Restored)
            ++result.Restored;
        else
            ++result.NotRestored;
    }
    result.Stopped = notReached > 0;
    progress.Finish();
    recorder.reset();  // the journal is replaced or removed next: no handle may stay open on it

    // The journal is kept whole, each entry as it now stands: the files put back as restored, so
    // that the history shows the batch as undone, and the rest (not reached, not restored, still
    // under a temporary name) for the next undo.
    BatchJournal kept = *journal;
    kept.Entries = std::move(entries);
    try {
        WriteBatchJournal(path, kept);
    } catch (const Error& error) {
        result.JournalError = error.Message();
    }
    return result;
}

UndoResult UndoBatch(const std::wstring& path) {
    struct Silent : ProgressSink {
        void Start(int) override {}
        void Step() override {}
        void Finish() override {}
    } silent;
    return UndoBatch(path, silent);
}

int SettleUnrecordedOutcomes(const std::wstring& path) {
    std::optional<BatchJournal> journal = ReadBatchJournal(path);
    if (!journal) return 0;
    const std::vector<size_t> undoable = UndoableEntries(*journal);
    std::vector<bool> happened(journal->Entries.size(), false);
    for (const size_t entry : undoable) happened[entry] = true;
    int settled = 0;
    for (size_t i = 0; i < journal->Entries.size(); ++i) {
        JournalEntry& entry = journal->Entries[i];
        if (entry.Outcome != RenameOutcome::Unknown || !entry.Temporary.empty()) continue;
        entry.Outcome = happened[i] ? RenameOutcome::Renamed : RenameOutcome::Failed;
        ++settled;
    }
    if (settled > 0) WriteBatchJournal(path, *journal);
    return settled;
}

int RecoverTemporaryNames(const std::wstring& path) {
    // Read at every start: a journal without a temporary record, the rule, is not parsed at all.
    const std::optional<std::wstring> content = ReadWholeTextFile(path);
    if (!content || content->find(std::wstring(L"\n") + kTemporaryKind + L"\t") == std::wstring::npos) return 0;
    std::optional<BatchJournal> journal = ReadBatchJournal(path);
    if (!journal) return 0;
    int recovered = 0;
    for (JournalEntry& entry : journal->Entries) {
        if (entry.Outcome != RenameOutcome::Unknown || entry.Temporary.empty()) continue;
        if (!Exists(JoinFolderPath(journal->Folder, TemporaryPath(entry)))) continue;
        const RenameOutcome now = MoveOffTemporary(journal->Folder, entry);
        if (now == RenameOutcome::Unknown) continue;
        // Back under its old name the file is as before the batch: nothing to undo.
        entry.Outcome = now == RenameOutcome::Restored ? RenameOutcome::Failed : RenameOutcome::Renamed;
        entry.Temporary.clear();
        ++recovered;
    }
    if (recovered > 0) WriteBatchJournal(path, *journal);
    return recovered;
}

JournalingSink::JournalingSink(ProgressSink& progress, JournalRecorder* recorder, const MatchList& list)
    : progress_(progress), recorder_(recorder), journalIndex_(list.size(), 0) {
    size_t next = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Checked) journalIndex_[i] = next++;
    told_.assign(next, false);
}

bool JournalingSink::MovingThrough(std::size_t entry, std::wstring_view temporary) {
    // Without a journal the batch runs as it would without one.
    if (!recorder_ || entry >= journalIndex_.size()) return progress_.MovingThrough(entry, temporary);
    if (!recorder_->RecordTemporary(journalIndex_[entry], temporary)) return false;
    told_[journalIndex_[entry]] = true;
    return progress_.MovingThrough(entry, temporary);
}

void JournalingSink::Renamed(std::size_t entry, bool succeeded) {
    progress_.Renamed(entry, succeeded);
    if (!recorder_ || entry >= journalIndex_.size()) return;
    recorder_->Record(journalIndex_[entry], succeeded);
    told_[journalIndex_[entry]] = true;
}

void JournalingSink::Finish() {
    // A stopped run leaves entries it never reached: recorded as not renamed, so that nobody's
    // later rename of such a file is taken for this batch's, and the undo need not look for them.
    if (recorder_) {
        std::vector<size_t> notReached;
        for (size_t i = 0; i < told_.size(); ++i)
            if (!told_[i]) notReached.push_back(i);
        recorder_->RecordNotReached(notReached);
    }
    progress_.Finish();
}

}  // namespace morvane
