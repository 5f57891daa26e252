#include "batch/batch_journal.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <new>
#include <unordered_map>

#include "batch/name_collisions.h"
#include "ui/error.h"

namespace morvane {

namespace {

// The journal is UTF-16 text, one record a line, fields separated by tabs: file names can hold
// neither, and no conversion can lose a name.
constexpr std::wstring_view kHeader = L"Morvane last-batch 1";
constexpr wchar_t kByteOrderMark = 0xFEFF;

std::wstring FolderOf(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

[[noreturn]] void CannotCreate(const std::wstring& path) {
    throw Error(L"ﾌｧｲﾙ " + path + L" を作成できません");
}

bool WriteAll(HANDLE file, std::wstring_view text) {
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
}

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

std::wstring Serialize(const BatchJournal& journal) {
    std::wstring text(1, kByteOrderMark);
    text += kHeader;
    text += L"\nfolder\t" + journal.Folder + L"\ncount\t" + std::to_wstring(journal.Entries.size()) + L"\n";
    for (const JournalEntry& entry : journal.Entries)
        text += std::wstring(L"E\t") + (entry.Blocked ? L"1" : L"0") + L"\t" + entry.OldName + L"\t" +
                entry.NewName + L"\n";
    // Outcomes already known are kept as records, so a rewritten journal tells the same. The batch's
    // own come first: an older version of the program reads records only up to the first kind it
    // does not know, and so still reads every outcome of the batch.
    for (size_t i = 0; i < journal.Entries.size(); ++i) {
        const RenameOutcome outcome = journal.Entries[i].Outcome;
        if (outcome == RenameOutcome::Renamed || outcome == RenameOutcome::Failed) text += OutcomeRecord(i, outcome);
    }
    for (size_t i = 0; i < journal.Entries.size(); ++i)
        if (journal.Entries[i].Outcome == RenameOutcome::Restored) text += OutcomeRecord(i, RenameOutcome::Restored);
    return text;
}

std::vector<std::wstring_view> SplitFields(std::wstring_view line) {
    std::vector<std::wstring_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring_view::npos ? std::wstring_view::npos : tab - start));
        if (tab == std::wstring_view::npos) return fields;
        start = tab + 1;
    }
}

std::optional<size_t> ParseIndex(std::wstring_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    size_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<size_t>(c - L'0');
    }
    return value;
}

std::optional<std::wstring> ReadWholeFile(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    // A journal is read whatever its size (a batch over a whole tree may hold millions of names),
    // as far as memory allows, in pieces that one read can take.
    if (!GetFileSizeEx(file.Get(), &size) ||
        static_cast<ULONGLONG>(size.QuadPart) / sizeof(wchar_t) >= std::wstring().max_size())
        return std::nullopt;
    try {
        std::wstring text(static_cast<size_t>(static_cast<ULONGLONG>(size.QuadPart) / sizeof(wchar_t)), L'\0');
        auto* at = reinterpret_cast<char*>(text.data());
        for (size_t left = text.size() * sizeof(wchar_t); left > 0;) {
            const auto piece = static_cast<DWORD>(std::min<size_t>(left, 64 * 1024 * 1024));
            DWORD read = 0;
            if (!ReadFile(file.Get(), at, piece, &read, nullptr) || read != piece) return std::nullopt;
            at += read;
            left -= read;
        }
        return text;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
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
    // An empty path would put the temporary file ".new" into the current folder.
    if (path.empty()) CannotCreate(path);
    const std::wstring folder = FolderOf(path);
    if (!folder.empty()) CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring temporary = path + L".new";
    {
        UniqueFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) CannotCreate(path);
        if (!WriteAll(file.Get(), Serialize(journal)) || !FlushFileBuffers(file.Get())) {
            file.Reset();
            DeleteFileW(temporary.c_str());
            CannotCreate(path);
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        CannotCreate(path);
    }
}

std::optional<BatchJournal> ReadBatchJournal(const std::wstring& path) {
    const std::optional<std::wstring> content = ReadWholeFile(path);
    if (!content || content->empty() || content->front() != kByteOrderMark) return std::nullopt;
    std::wstring_view text = std::wstring_view(*content).substr(1);

    // Only lines that end in a line break count: a torn last line was never written whole.
    std::vector<std::wstring_view> lines;
    for (size_t end; (end = text.find(L'\n')) != std::wstring_view::npos; text.remove_prefix(end + 1))
        lines.push_back(text.substr(0, end));

    if (lines.size() < 3 || lines[0] != kHeader) return std::nullopt;
    const auto folder = SplitFields(lines[1]);
    const auto count = SplitFields(lines[2]);
    if (folder.size() != 2 || folder[0] != L"folder" || count.size() != 2 || count[0] != L"count")
        return std::nullopt;
    const std::optional<size_t> entries = ParseIndex(count[1]);
    if (!entries || lines.size() < 3 + *entries) return std::nullopt;

    BatchJournal journal;
    journal.Folder = folder[1];
    for (size_t i = 0; i < *entries; ++i) {
        const auto fields = SplitFields(lines[3 + i]);
        if (fields.size() != 4 || fields[0] != L"E" || (fields[1] != L"0" && fields[1] != L"1"))
            return std::nullopt;
        journal.Entries.push_back({std::wstring(fields[2]), std::wstring(fields[3]), fields[1] == L"1",
                                   RenameOutcome::Unknown});
    }
    // Outcomes follow, a later record of an entry in place of an earlier one; anything after the
    // first damaged record is not trusted.
    for (size_t i = 3 + *entries; i < lines.size(); ++i) {
        const auto fields = SplitFields(lines[i]);
        const std::optional<size_t> entry = fields.size() == 2 ? ParseIndex(fields[1]) : std::nullopt;
        const std::optional<RenameOutcome> outcome = fields.size() == 2 ? OutcomeOfKind(fields[0]) : std::nullopt;
        if (!entry || *entry >= journal.Entries.size() || !outcome) break;
        journal.Entries[*entry].Outcome = *outcome;
    }
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
        if (entry.Blocked || entry.Outcome == RenameOutcome::Failed || entry.Outcome == RenameOutcome::Restored)
            continue;
        if (entry.Outcome == RenameOutcome::Unknown) {
            // Without a record the names tell whether the rename happened. A new name that is the
            // old one changed nothing, whatever the folder holds.
            if (RenamesNothing(entry.OldName, entry.NewName)) continue;
            const bool happened = SameEntryName(entry.OldName, entry.NewName)
                                      ? FolderHoldsExactly(journal.Folder, entry.NewName)
                                      : taken(entry.NewName) && !taken(entry.OldName);
            if (!happened) continue;
        }
        undoable.push_back(i);
        takenAfterUndo[FolderNames::Key(entry.NewName)] = false;
        takenAfterUndo[FolderNames::Key(entry.OldName)] = true;
    }
    std::reverse(undoable.begin(), undoable.end());
    return undoable;
}

UndoResult UndoBatch(const std::wstring& path, ProgressSink& progress) {
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

    // Last entry first; the entries before notReached are those a stop leaves.
    std::vector<bool> notRestored(journal->Entries.size(), false);
    size_t notReached = undoable.size();
    progress.Start(static_cast<int>(undoable.size()));
    for (; notReached > 0 && progress.Continue(); --notReached) {
        const size_t index = undoable[notReached - 1];
        const JournalEntry& entry = journal->Entries[index];
        progress.Step();
        // Cut short during the rename, the undo leaves the names to tell whether it happened.
        record(index, RenameOutcome::Unknown);
        // Never replaces: a taken old name leaves the file as it is.
        if (RenameInFolder(journal->Folder, entry.NewName, entry.OldName)) {
            record(index, RenameOutcome::Restored);
            ++result.Restored;
        } else {
            record(index, RenameOutcome::Renamed);
            notRestored[index] = true;
            ++result.NotRestored;
        }
    }
    progress.Finish();
    recorder.reset();  // the journal is replaced or removed next: no handle may stay open on it

    // Left for the next undo, in the journal's order: the entries not reached as they were, and
    // those that could not be put back, which the batch did rename.
    std::vector<bool> left = notRestored;
    for (size_t i = 0; i < notReached; ++i) left[undoable[i]] = true;
    BatchJournal remaining{journal->Folder, {}};
    for (size_t i = 0; i < left.size(); ++i) {
        if (!left[i]) continue;
        remaining.Entries.push_back(journal->Entries[i]);
        if (notRestored[i]) remaining.Entries.back().Outcome = RenameOutcome::Renamed;
    }
    if (remaining.Entries.empty())
        DeleteFileW(path.c_str());
    else
        WriteBatchJournal(path, remaining);
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

JournalingSink::JournalingSink(ProgressSink& progress, JournalRecorder* recorder, const MatchList& list)
    : progress_(progress), recorder_(recorder), journalIndex_(list.size(), 0) {
    size_t next = 0;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].Checked) journalIndex_[i] = next++;
}

void JournalingSink::Renamed(std::size_t entry, bool succeeded) {
    progress_.Renamed(entry, succeeded);
    if (recorder_ && entry < journalIndex_.size()) recorder_->Record(journalIndex_[entry], succeeded);
}

}  // namespace morvane
