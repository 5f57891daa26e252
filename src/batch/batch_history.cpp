#include "batch/batch_history.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <optional>

#include "batch/batch_journal.h"
#include "batch/journal_text.h"
#include "batch/name_collisions.h"
#include "ui/error.h"
#include "ui/handles.h"

namespace morvane {

namespace {

constexpr std::wstring_view kSummaryHeader = L"Morvane batch-summary 2";
constexpr wchar_t kByteOrderMark = 0xFEFF;
constexpr std::wstring_view kJournalSuffix = L".journal";

std::wstring SummaryPath(const std::wstring& journalPath) { return journalPath + L".summary"; }

// The size of a file, and its last write: together they tell whether a summary was made of the
// journal as it is now (an undo writes a journal anew at the same size).
std::optional<ULONGLONG> FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

ULONGLONG LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// The summary of the journal, when one was made of the journal as it is now.
std::optional<BatchSummary> ReadSummary(const std::wstring& journalPath) {
    const std::optional<ULONGLONG> size = FileSize(journalPath);
    const std::optional<std::wstring> text = ReadWholeTextFile(SummaryPath(journalPath));
    if (!size || !text || text->empty() || text->front() != kByteOrderMark) return std::nullopt;
    std::wstring_view rest = std::wstring_view(*text).substr(1);
    const size_t headerEnd = rest.find(L'\n');
    if (headerEnd == std::wstring_view::npos || rest.substr(0, headerEnd) != kSummaryHeader) return std::nullopt;
    rest.remove_prefix(headerEnd + 1);
    if (!rest.ends_with(L'\n')) return std::nullopt;
    const std::vector<std::wstring_view> fields = SplitFields(rest.substr(0, rest.size() - 1));
    if (fields.size() != 10) return std::nullopt;
    const std::optional<ULONGLONG> madeOf = ParseNumber(fields[0]);
    const std::optional<ULONGLONG> writtenAt = ParseNumber(fields[9]);
    if (!writtenAt || *writtenAt != LastWriteTime(journalPath)) return std::nullopt;
    const std::optional<ULONGLONG> time = ParseNumber(fields[1]);
    const std::optional<size_t> renamed = ParseIndex(fields[2]);
    const std::optional<size_t> restored = ParseIndex(fields[3]);
    const std::optional<size_t> failed = ParseIndex(fields[4]);
    std::optional<std::wstring> folder = Unescaped(fields[6]);
    std::optional<std::wstring> target = Unescaped(fields[7]);
    std::optional<std::wstring> newExtension = Unescaped(fields[8]);
    if (!madeOf || *madeOf != *size || !time || !renamed || !restored || !failed || !folder || !target ||
        !newExtension || (fields[5] != L"0" && fields[5] != L"1"))
        return std::nullopt;
    BatchSummary summary;
    summary.JournalPath = journalPath;
    summary.Time = *time;
    summary.Folder = std::move(*folder);
    summary.Target = std::move(*target);
    summary.NewExtension = std::move(*newExtension);
    summary.SubFolders = fields[5] == L"1";
    summary.Renamed = static_cast<int>(*renamed);
    summary.Restored = static_cast<int>(*restored);
    summary.Failed = static_cast<int>(*failed);
    return summary;
}

// Moves a file to the first free name of the form path, path-2, path-3, ...; the name it took.
std::wstring MoveToFreeName(const std::wstring& from, const std::wstring& to, std::wstring_view suffix) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::wstring name = to + (attempt == 1 ? std::wstring() : L"-" + std::to_wstring(attempt)) +
                                  std::wstring(suffix);
        if (MoveFileExW(from.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) return name;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) return {};
    }
    return {};
}

}  // namespace

HistoryState BatchSummary::State() const {
    if (Renamed == 0) return HistoryState::NotUndoable;  // a batch cut short before its first rename
    const int left = Renamed - Restored;
    if (left <= 0) return HistoryState::Undone;
    if (Restored == 0 && Failed == 0) return HistoryState::Undoable;
    if (Restored == 0 && Failed >= left) return HistoryState::NotUndoable;
    return HistoryState::PartlyUndoable;
}

const wchar_t* StateText(HistoryState state) {
    switch (state) {
    case HistoryState::Undoable: return L"元に戻せます";
    case HistoryState::Undone: return L"元に戻しました";
    case HistoryState::PartlyUndoable: return L"一部だけ戻せます";
    case HistoryState::NotUndoable: break;
    }
    return L"戻せません";
}

BatchHistory::BatchHistory(std::wstring journalPath) : journalPath_(std::move(journalPath)) {}

std::wstring BatchHistory::Folder() const {
    const size_t separator = journalPath_.find_last_of(L'\\');
    return separator == std::wstring::npos ? std::wstring() : journalPath_.substr(0, separator + 1) + L"history";
}

std::vector<std::wstring> BatchHistory::ArchivedJournals() const {
    std::vector<std::wstring> journals;
    const std::wstring folder = Folder();
    if (folder.empty()) return journals;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0));
    if (!search) return journals;
    do {
        const std::wstring_view name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.ends_with(kJournalSuffix))
            journals.push_back(folder + L"\\" + found.cFileName);
    } while (FindNextFileW(search.Get(), &found));
    // Named after the moment they were put here, in digits of one length: the names sort by it.
    std::sort(journals.begin(), journals.end());
    return journals;
}

std::wstring BatchHistory::Archive() const {
    const std::wstring folder = Folder();
    if (folder.empty() || !FileSize(journalPath_)) return {};
    CreateDirectoryW(folder.c_str(), nullptr);
    // A batch cut short has entries without a record, which the names tell now; a later batch may
    // change those names, so they are written down before it begins.
    if (!ReadSummary(journalPath_)) {
        try {
            SettleUnrecordedOutcomes(journalPath_);
        } catch (const Error&) {
            // Left to the names, as before.
        }
    }
    // Named after the moment, later than every kept one even when the clock was set back.
    ULONGLONG moment = Now();
    if (const std::vector<std::wstring> kept = ArchivedJournals(); !kept.empty()) {
        const std::wstring name = kept.back().substr(folder.size() + 1, 20);
        if (const std::optional<ULONGLONG> newest = ParseNumber(name); newest && *newest >= moment) moment = *newest + 1;
    }
    std::wstring stamp = std::to_wstring(moment);
    stamp.insert(0, 20 - std::min<size_t>(stamp.size(), 20), L'0');
    const std::wstring archived = MoveToFreeName(journalPath_, folder + L"\\" + stamp, kJournalSuffix);
    if (archived.empty()) throw Error(L"前回の一括変換の記録 " + journalPath_ + L" を履歴に移せません");
    // The summary goes with its journal; one that cannot go is made again when it is needed.
    if (!MoveFileExW(SummaryPath(journalPath_).c_str(), SummaryPath(archived).c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(SummaryPath(journalPath_).c_str());
    std::vector<std::wstring> journals = ArchivedJournals();
    for (size_t i = 0; i + kKept < journals.size(); ++i) {
        DeleteFileW(journals[i].c_str());
        DeleteFileW(SummaryPath(journals[i]).c_str());
    }
    return archived;
}

void BatchHistory::Unarchive(const std::wstring& archived) const {
    if (archived.empty()) return;
    if (MoveFileExW(archived.c_str(), journalPath_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) &&
        !MoveFileExW(SummaryPath(archived).c_str(), SummaryPath(journalPath_).c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(SummaryPath(journalPath_).c_str());
}

std::vector<BatchSummary> BatchHistory::Summaries() const {
    std::vector<std::wstring> journals = ArchivedJournals();
    std::reverse(journals.begin(), journals.end());
    if (FileSize(journalPath_)) journals.insert(journals.begin(), journalPath_);
    std::vector<BatchSummary> summaries;
    summaries.reserve(journals.size());
    for (const std::wstring& journal : journals) {
        std::optional<BatchSummary> summary = ReadSummary(journal);
        if (!summary) {
            Summarize(journal);
            summary = ReadSummary(journal);
        }
        if (summary) summaries.push_back(std::move(*summary));
    }
    return summaries;
}

std::wstring BatchHistory::NewestUndoable() const {
    for (const BatchSummary& summary : Summaries()) {
        // A batch whose last undo could put none back is left to the history window: Ctrl+Z goes
        // on to the batches before it.
        if (summary.Renamed <= summary.Restored || summary.State() == HistoryState::NotUndoable) continue;
        const std::optional<BatchJournal> journal = ReadBatchJournal(summary.JournalPath);
        if (journal && !UndoableEntries(*journal).empty()) return summary.JournalPath;
    }
    return {};
}

namespace {

// Whether one folder is the other or holds it (a batch over subfolders reaches into both).
bool FoldersMeet(const std::wstring& a, const std::wstring& b) {
    const std::wstring x = FolderNames::Key(a), y = FolderNames::Key(b);
    const std::wstring& shorter = x.size() <= y.size() ? x : y;
    const std::wstring& longer = x.size() <= y.size() ? y : x;
    return longer.compare(0, shorter.size(), shorter) == 0 &&
           (longer.size() == shorter.size() || shorter.ends_with(L'\\') || longer[shorter.size()] == L'\\');
}

}  // namespace

std::unordered_set<std::wstring> BatchHistory::RenamedAfter(const std::wstring& journalPath) const {
    std::unordered_set<std::wstring> renamed;
    const std::vector<BatchSummary> batches = Summaries();
    const auto self = std::find_if(batches.begin(), batches.end(),
                                   [&](const BatchSummary& batch) { return batch.JournalPath == journalPath; });
    if (self == batches.end()) return renamed;
    for (auto newer = batches.begin(); newer != self; ++newer) {
        if (!FoldersMeet(newer->Folder, self->Folder) || newer->Renamed <= newer->Restored) continue;
        const std::optional<BatchJournal> journal = ReadBatchJournal(newer->JournalPath);
        if (!journal) continue;
        for (const JournalEntry& entry : journal->Entries)
            if (entry.Outcome == RenameOutcome::Renamed || entry.Outcome == RenameOutcome::Unknown)
                renamed.insert(FolderNames::Key(JoinFolderPath(journal->Folder, entry.OldName)));
    }
    return renamed;
}

void BatchHistory::Summarize(const std::wstring& journalPath, int failed) {
    const std::optional<BatchJournal> journal = ReadBatchJournal(journalPath);
    const std::optional<ULONGLONG> size = FileSize(journalPath);
    if (!journal || !size) return;
    size_t renamed = 0, restored = 0;
    for (const JournalEntry& entry : journal->Entries) {
        renamed += entry.Outcome == RenameOutcome::Renamed || entry.Outcome == RenameOutcome::Restored;
        restored += entry.Outcome == RenameOutcome::Restored;
    }
    // Without a record (a crash) the names in the folder tell whether a rename happened.
    for (const size_t entry : UndoableEntries(*journal))
        renamed += journal->Entries[entry].Outcome == RenameOutcome::Unknown;
    const ULONGLONG time = journal->Time != 0 ? journal->Time : LastWriteTime(journalPath);
    std::wstring text(1, kByteOrderMark);
    text += kSummaryHeader;
    text += L"\n" + std::to_wstring(*size) + L"\t" + std::to_wstring(time) + L"\t" + std::to_wstring(renamed) + L"\t" +
            std::to_wstring(restored) + L"\t" + std::to_wstring(std::max(failed, 0)) + L"\t" +
            (journal->SubFolders ? L"1" : L"0") + L"\t" + Escaped(journal->Folder) + L"\t" + Escaped(journal->Target) +
            L"\t" + Escaped(journal->NewExtension) + L"\t" + std::to_wstring(LastWriteTime(journalPath)) + L"\n";
    try {
        WriteWholeTextFile(SummaryPath(journalPath), text);
    } catch (const Error&) {
        // Without a summary the history reads the journal itself next time.
    }
}

std::wstring HistoryTime(ULONGLONG time, bool seconds) {
    const FILETIME utc{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    FILETIME local;
    SYSTEMTIME at;
    if (time == 0 || !FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &at)) return {};
    wchar_t text[32];
    if (seconds)
        swprintf(text, std::size(text), L"%04u/%02u/%02u %02u:%02u:%02u", at.wYear, at.wMonth, at.wDay, at.wHour,
                 at.wMinute, at.wSecond);
    else
        swprintf(text, std::size(text), L"%04u/%02u/%02u %02u:%02u", at.wYear, at.wMonth, at.wDay, at.wHour,
                 at.wMinute);
    return text;
}

namespace {

const wchar_t* OutcomeText(RenameOutcome outcome) {
    switch (outcome) {
    case RenameOutcome::Renamed: return L"変更しました";
    case RenameOutcome::Failed: return L"変更しませんでした";
    case RenameOutcome::Restored: return L"元に戻しました";
    case RenameOutcome::Unknown: break;
    }
    return L"不明";
}

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// A field in double quotes, a quote inside doubled: commas, quotes and line breaks in names stay
// inside their field.
void AppendField(std::string& line, std::wstring_view field, bool last = false) {
    line += '"';
    for (const char c : Utf8(field)) {
        if (c == '"') line += '"';
        line += c;
    }
    line += last ? "\"\r\n" : "\",";
}

}  // namespace

std::string BatchCsv(const std::wstring& journalPath) {
    const std::optional<BatchJournal> journal = ReadBatchJournal(journalPath);
    if (!journal) return {};
    const std::wstring time = HistoryTime(journal->Time != 0 ? journal->Time : LastWriteTime(journalPath), true);
    std::string text = "\xEF\xBB\xBF";
    AppendField(text, L"変更前");
    AppendField(text, L"変更後");
    AppendField(text, L"日時");
    AppendField(text, L"結果", true);
    for (const JournalEntry& entry : journal->Entries) {
        AppendField(text, JoinFolderPath(journal->Folder, entry.OldName));
        AppendField(text, JoinFolderPath(journal->Folder, entry.NewName));
        AppendField(text, time);
        AppendField(text, OutcomeText(entry.Outcome), true);
    }
    return text;
}

void ExportBatch(const std::wstring& journalPath, const std::wstring& csvPath) {
    const std::string text = BatchCsv(journalPath);
    if (text.empty()) throw Error(L"ﾌｧｲﾙ " + journalPath + L" は開けません");
    UniqueFileHandle file(
        CreateFileW(csvPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        CannotCreate(csvPath);
}

}  // namespace morvane
