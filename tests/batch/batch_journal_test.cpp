#include "batch/batch_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "batch/batch_history.h"
#include "batch/name_collisions.h"
#include "common/temp_folder.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

using test::TempFolder;
using Names = std::vector<std::wstring>;

struct NullSink : ProgressSink {
    void Start(int) override {}
    void Step() override {}
    void Finish() override {}
};

MatchList Checked(const Names& names) {
    MatchList list;
    for (const auto& name : names) list.push_back({name, true});
    return list;
}

// Runs a batch as the dialog does: the journal first, then the renames with their outcomes.
void RunJournaledBatch(const std::wstring& journalPath, const std::wstring& folder, const MatchList& list,
                       const std::wstring& newExtension) {
    JournalRecorder recorder(journalPath, PlanBatch(folder, list, newExtension));
    NullSink progress;
    JournalingSink sink(progress, &recorder, list);
    RenameCheckedFiles(folder, list, newExtension, sink);
}

TEST(NameCollisions, ExistingNamesAndNamesTakenByEarlierEntries) {
    TempFolder folder;
    for (const wchar_t* name : {L"a.txt", L"a.doc", L"b.txt", L"b.BAK", L"c.txt", L"d.TXT", L"e.txt"})
        folder.AddFile(name);
    folder.AddFolder(L"e.bak");
    MatchList list = Checked({L"a.txt", L"a.doc", L"b.txt", L"c.txt", L"d.TXT", L"e.txt"});
    // The first a.* takes a.bak; b.bak exists in another case; a folder blocks as a file does.
    EXPECT_EQ(FindNameCollisions(folder.Path(), list, L"bak"),
              (std::vector<bool>{false, true, true, false, false, true}));
    // An unchecked entry never takes a name, but shows whether it would collide.
    list[0].Checked = false;
    EXPECT_EQ(FindNameCollisions(folder.Path(), list, L"bak"),
              (std::vector<bool>{false, false, true, false, false, true}));
    // Changing the case of the extension only, or nothing at all, is no collision.
    EXPECT_EQ(FindNameCollisions(folder.Path(), Checked({L"d.TXT", L"c.txt"}), L"txt"),
              (std::vector<bool>{false, false}));

    // Files of subfolders meet only the names of their own folder.
    folder.AddFolder(L"写真");
    folder.AddFolder(L"写真\\2024");
    for (const wchar_t* name : {L"写真\\a.txt", L"写真\\b.txt", L"写真\\e.txt", L"写真\\f.bak", L"写真\\2024\\a.txt"})
        folder.AddFile(name);
    EXPECT_EQ(FindNameCollisions(folder.Path(),
                                 Checked({L"写真\\a.txt", L"写真\\b.txt", L"写真\\e.txt", L"写真\\2024\\a.txt", L"f.txt",
                                          L"写真\\2024\\A.doc"}),
                                 L"bak"),
              (std::vector<bool>{false, false, false, false, false, true}));

    // In a folder that tells case apart (made by the host), a change of case whose name another
    // entry holds in any other case keeps its name, and is dimmed so.
    TempFolder cases;
    if (!cases.AddHostFile(L"y.JPG")) return;
    cases.AddHostFile(L"y.Jpg");
    cases.AddHostFile(L"z.JPG");
    EXPECT_EQ(FindNameCollisions(cases.Path(), Checked({L"y.JPG", L"z.JPG"}), L"jpg"), (std::vector<bool>{true, false}));
}

TEST(BatchJournal, IsWrittenBeforeTheRunAndRecordsEveryOutcome) {
    TempFolder folder(L"_日本語");
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    for (const wchar_t* name : {L"表.txt", L"b.txt", L"c.txt", L"b.bak"}) folder.AddFile(name);
    MatchList list = Checked({L"表.txt", L"b.txt", L"c.txt"});
    list[2].Checked = false;

    RunJournaledBatch(journalPath, folder.Path(), list, L"bak");

    const std::optional<BatchJournal> journal = ReadBatchJournal(journalPath);
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->Folder, folder.Path());
    ASSERT_EQ(journal->Entries.size(), 2u);  // unchecked entries are not part of the batch
    EXPECT_EQ(journal->Entries[0].OldName, L"表.txt");
    EXPECT_EQ(journal->Entries[0].NewName, L"表.bak");
    EXPECT_FALSE(journal->Entries[0].Blocked);
    EXPECT_EQ(journal->Entries[0].Outcome, RenameOutcome::Renamed);
    EXPECT_TRUE(journal->Entries[1].Blocked);
    EXPECT_EQ(journal->Entries[1].Outcome, RenameOutcome::Failed);
    EXPECT_EQ(UndoableEntries(*journal), std::vector<size_t>{0});

    // A torn last record is ignored, and so is everything from a damaged one on.
    const std::string intact = ReadFileBytes(journalPath);
    std::string torn = intact;
    torn.erase(torn.size() - 2);  // the last record ("F\t1\n") loses its line break
    WriteFileBytes(journalPath, torn);
    ASSERT_TRUE(ReadBatchJournal(journalPath));
    EXPECT_EQ(ReadBatchJournal(journalPath)->Entries[1].Outcome, RenameOutcome::Unknown);
    EXPECT_EQ(ReadBatchJournal(journalPath)->Entries[0].Outcome, RenameOutcome::Renamed);

    // A journal cut inside its entries is no journal at all, never a shorter one.
    const std::string secondEntry("\n\0E\0\t\0" "1\0", 8);  // UTF-16 "\nE\t1"
    ASSERT_NE(intact.find(secondEntry), std::string::npos);
    WriteFileBytes(journalPath, intact.substr(0, intact.find(secondEntry) + 2));
    EXPECT_FALSE(ReadBatchJournal(journalPath));
    WriteFileBytes(journalPath, "not a journal");
    EXPECT_FALSE(ReadBatchJournal(journalPath));

    // Any name the folder can hold comes back as it was written: tabs, line breaks and the escape
    // character itself included, in the folder path too.
    const BatchJournal odd{L"C:\\a%20b\\tab\there", {{L"x\ty.txt", L"x\ty.bak", false, RenameOutcome::Renamed},
                                                 {L"l\nf%0A.txt", L"l\nf%0A.TXT", true, RenameOutcome::Unknown,
                                                  L"l\nf%0A.txt.morvane-tmp"},
                                                 {L"写真\\c\r.txt", L"写真\\c\r.", false, RenameOutcome::Failed}}};
    WriteBatchJournal(journalPath, odd);
    const std::optional<BatchJournal> back = ReadBatchJournal(journalPath);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Folder, odd.Folder);
    ASSERT_EQ(back->Entries.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back->Entries[i].OldName, odd.Entries[i].OldName);
        EXPECT_EQ(back->Entries[i].NewName, odd.Entries[i].NewName);
        EXPECT_EQ(back->Entries[i].Blocked, odd.Entries[i].Blocked);
        EXPECT_EQ(back->Entries[i].Outcome, odd.Entries[i].Outcome);
        EXPECT_EQ(back->Entries[i].Temporary, odd.Entries[i].Temporary);
    }
    // A journal of the first version, which wrote every field as it is, is still read.
    const auto utf16 = [](std::wstring_view text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    };
    WriteFileBytes(journalPath, utf16(L"\xFEFFMorvane last-batch 1\nfolder\tC:\\d%25\ncount\t1\n"
                                      L"E\t0\t写真\\a%25.JPG\t写真\\a%25.jpg\nR\t0\n"));
    ASSERT_TRUE(ReadBatchJournal(journalPath));
    EXPECT_EQ(ReadBatchJournal(journalPath)->Folder, L"C:\\d%25");
    EXPECT_EQ(ReadBatchJournal(journalPath)->Entries[0].NewName, L"写真\\a%25.jpg");
    EXPECT_EQ(ReadBatchJournal(journalPath)->Entries[0].Outcome, RenameOutcome::Renamed);
}

// A damaged or edited journal never leads a rename outside its folder: a folder that is no full
// path, a name with "." or ".." parts, a drive, a stream, a root, two names in two folders, or a
// temporary name with a folder part make it no journal at all.
TEST(BatchJournal, OneThatNamesAnythingOutsideItsFolderIsNoJournal) {
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    TempFolder sibling;
    sibling.AddFile(L"a.bak");
    TempFolder folder;
    folder.AddFolder(L"sub");
    folder.AddFile(L"sub\\a.bak");
    const std::wstring up = L"..\\" + sibling.Path().substr(sibling.Path().find_last_of(L'\\') + 1) + L"\\";
    const JournalEntry fine{L"a.txt", L"a.bak", false, RenameOutcome::Renamed};
    const std::vector<BatchJournal> hostile{
        {L"relative\\folder", {fine}},
        {L"C:relative", {fine}},
        {L"\\\\?\\" + folder.Path(), {fine}},
        {folder.Path() + L"\\..\\x", {fine}},
        {L"", {fine}},
        {folder.Path(), {{up + L"a.txt", up + L"a.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"sub\\..\\..\\a.txt", L"sub\\..\\..\\a.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L".\\a.txt", L".\\a.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"a.txt", sibling.PathOf(L"a.bak"), false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"\\a.txt", L"\\a.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"a/b.txt", L"a/b.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"a.txt", L"a:b.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"a.txt", L"sub\\a.bak", false, RenameOutcome::Renamed}}},
        {folder.Path(), {{L"sub\\a.txt", L"sub\\a.bak", false, RenameOutcome::Unknown, L"..\\a.bak"}}},
        // A temporary name that no change of case of the entry gives would rename another file.
        {folder.Path(), {{L"a.JPG", L"a.jpg", false, RenameOutcome::Unknown, L"thesis.docx"}}},
        {folder.Path(), {{L"a.JPG", L"a.jpg", false, RenameOutcome::Unknown, L"a.JPG.morvane-tmp02"}}},
        {folder.Path(), {{L"b.txt", L"b.bak", false, RenameOutcome::Unknown, L"b.txt.morvane-tmp"}}},
        // So would a folder whose last part a path drops ("x." is read as "x").
        {folder.Path() + L".", {fine}},
        {L"C:\\x \\y", {fine}},
    };
    for (size_t i = 0; i < hostile.size(); ++i) {
        WriteBatchJournal(journalPath, hostile[i]);
        EXPECT_FALSE(ReadBatchJournal(journalPath)) << i;
        EXPECT_EQ(UndoBatch(journalPath).Restored, 0) << i;
    }
    EXPECT_EQ(sibling.Names(), Names{L"a.bak"});
    EXPECT_EQ(folder.Names(), Names{L"sub"});
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"sub")), Names{L"a.bak"});
    // The same journal with names that stay inside is one; a share's path is a full path too.
    WriteBatchJournal(journalPath, {folder.Path(), {{L"sub\\a.txt", L"sub\\a.bak", false, RenameOutcome::Renamed}}});
    EXPECT_TRUE(ReadBatchJournal(journalPath));
    WriteBatchJournal(journalPath, {L"\\\\server\\share\\写真", {fine}});
    EXPECT_TRUE(ReadBatchJournal(journalPath));
    for (const wchar_t* temporary : {L"a.JPG.morvane-tmp", L"a.jpg.morvane-tmp3", L"~morvane-7.tmp"}) {
        WriteBatchJournal(journalPath, {folder.Path(), {{L"a.JPG", L"a.jpg", false, RenameOutcome::Unknown, temporary}}});
        EXPECT_TRUE(ReadBatchJournal(journalPath)) << temporary;
    }
}

TEST(BatchJournal, AFailedReplacementLeavesTheOldJournal) {
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    BatchJournal old{L"C:\\old", {{L"a.txt", L"a.bak", false, RenameOutcome::Renamed}}};
    WriteBatchJournal(journalPath, old);

    // The new journal cannot be written in full (its temporary file cannot be made).
    store.AddFolder(L"last-batch.new");
    BatchJournal next{L"C:\\next", {{L"x.txt", L"x.bak", false, RenameOutcome::Unknown}}};
    EXPECT_THROW(JournalRecorder(journalPath, next), Error);
    ASSERT_TRUE(ReadBatchJournal(journalPath));
    EXPECT_EQ(ReadBatchJournal(journalPath)->Folder, L"C:\\old");

    // A folder that cannot be made: the error names the journal, nothing is left behind.
    const std::wstring unreachable = store.PathOf(L"missing\\deeper\\last-batch");
    try {
        WriteBatchJournal(unreachable, next);
        ADD_FAILURE() << "the journal was written into a missing folder";
    } catch (const Error& error) {
        EXPECT_EQ(error.Message(), L"ﾌｧｲﾙ " + unreachable + L" を作成できません");
    }
    EXPECT_EQ(store.Names(), (Names{L"last-batch", L"last-batch.new"}));
}

TEST(BatchUndo, RestoresTheBatchOnceAndNeverReplacesAFile) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"d.bak"}) folder.AddFile(name);
    RunJournaledBatch(journalPath, folder.Path(), Checked({L"a.txt", L"b.txt", L"c.txt", L"d.txt"}), L"bak");
    EXPECT_EQ(folder.Names(), (Names{L"a.bak", L"b.bak", L"c.bak", L"d.bak", L"d.txt"}));

    // Meanwhile someone renames b.bak away, and a new a.txt appears.
    MoveFileW(folder.PathOf(L"b.bak").c_str(), folder.PathOf(L"b.old").c_str());
    folder.AddFile(L"a.txt", 0, "new");
    EXPECT_EQ(UndoableEntries(*ReadBatchJournal(journalPath)).size(), 3u);

    const UndoResult first = UndoBatch(journalPath);
    EXPECT_EQ(first.Restored, 1);      // c
    EXPECT_EQ(first.NotRestored, 2);   // a (old name taken), b (new name gone); d was never renamed
    EXPECT_EQ(folder.Names(), (Names{L"a.bak", L"a.txt", L"b.old", L"c.txt", L"d.bak", L"d.txt"}));
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"a.txt")), "new");

    // Once the names are free again, a second undo finishes the job; a third does nothing.
    DeleteFileW(folder.PathOf(L"a.txt").c_str());
    MoveFileW(folder.PathOf(L"b.old").c_str(), folder.PathOf(L"b.bak").c_str());
    const UndoResult second = UndoBatch(journalPath);
    EXPECT_EQ(second.Restored, 2);
    EXPECT_EQ(second.NotRestored, 0);
    EXPECT_EQ(folder.Names(), (Names{L"a.txt", L"b.txt", L"c.txt", L"d.bak", L"d.txt"}));
    EXPECT_TRUE(UndoableEntries(*ReadBatchJournal(journalPath)).empty()) << "nothing is left to undo";
    const UndoResult third = UndoBatch(journalPath);
    EXPECT_EQ(third.Restored + third.NotRestored, 0);
}

TEST(BatchUndo, RestoresEveryRenameAndNeverUndoesAFailedOne) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    for (const wchar_t* name : {L"u.txt", L"a.txt", L"b.txt", L"c.txt", L"x.txt"}) folder.AddFile(name);
    folder.AddFile(L"b.bak", 0, "precious");
    // An unchecked file above the converted ones, and b's new name taken.
    MatchList list = Checked({L"u.txt", L"a.txt", L"b.txt", L"c.txt", L"x.txt"});
    list[0].Checked = false;
    {
        JournalRecorder recorder(journalPath, PlanBatch(folder.Path(), list, L"bak"));
        folder.AddFile(L"x.bak", 0, "another");  // taken by someone else after the plan: x fails
        NullSink progress;
        JournalingSink sink(progress, &recorder, list);
        RenameCheckedFiles(folder.Path(), list, L"bak", sink);
    }
    ASSERT_EQ(folder.Names(), (Names{L"a.bak", L"b.bak", L"b.txt", L"c.bak", L"u.txt", L"x.bak", L"x.txt"}));
    DeleteFileW(folder.PathOf(L"x.txt").c_str());  // x's old name is free now, but x.bak is not x's
    const UndoResult result = UndoBatch(journalPath);
    EXPECT_EQ(result.Restored, 2);
    EXPECT_EQ(result.NotRestored, 0);
    EXPECT_EQ(folder.Names(), (Names{L"a.txt", L"b.bak", L"b.txt", L"c.txt", L"u.txt", L"x.bak"}));
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"b.bak")), "precious");
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"x.bak")), "another");

    // The plan dims report.pdf, since report.docx would take report.bak first; report.docx is open
    // in another program, so report.pdf is renamed after all. What was recorded holds: it is undone,
    // also when it is the only file the batch renamed.
    TempFolder reports;
    reports.AddFile(L"report.docx", 0, "docx");
    reports.AddFile(L"report.pdf", 0, "pdf");
    const MatchList both = Checked({L"report.docx", L"report.pdf"});
    ASSERT_EQ(FindNameCollisions(reports.Path(), both, L"bak"), (std::vector<bool>{false, true}));
    {
        test::FileLock open(reports.PathOf(L"report.docx"));
        RunJournaledBatch(journalPath, reports.Path(), both, L"bak");
    }
    ASSERT_EQ(reports.Names(), (Names{L"report.bak", L"report.docx"}));
    EXPECT_EQ(UndoableEntries(*ReadBatchJournal(journalPath)), std::vector<size_t>{1});
    EXPECT_EQ(UndoBatch(journalPath).Restored, 1);
    EXPECT_EQ(reports.Names(), (Names{L"report.docx", L"report.pdf"}));
    EXPECT_EQ(ReadFileBytes(reports.PathOf(L"report.pdf")), "pdf");
}

TEST(BatchUndo, ANameOneFileGaveUpAndAnotherTookIsUndoneLastRenameFirst) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    folder.AddFile(L"a.b.c", 0, "abc");
    folder.AddFile(L"a.q", 0, "q");
    // New extension "b.c": a.b.c becomes a.b.b.c, then a.q takes the name a.b.c.
    RunJournaledBatch(journalPath, folder.Path(), Checked({L"a.b.c", L"a.q"}), L"b.c");
    ASSERT_EQ(folder.Names(), (Names{L"a.b.b.c", L"a.b.c"}));
    const BatchJournal recorded = *ReadBatchJournal(journalPath);
    EXPECT_EQ(UndoBatch(journalPath).Restored, 2);
    EXPECT_EQ(folder.Names(), (Names{L"a.b.c", L"a.q"}));
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"a.b.c")), "abc");

    // The same after a crash that recorded nothing: the names tell, judged in the undo's order.
    RunJournaledBatch(journalPath, folder.Path(), Checked({L"a.b.c", L"a.q"}), L"b.c");
    BatchJournal unrecorded = recorded;
    for (JournalEntry& entry : unrecorded.Entries) entry.Outcome = RenameOutcome::Unknown;
    WriteBatchJournal(journalPath, unrecorded);
    EXPECT_EQ(UndoableEntries(unrecorded), (std::vector<size_t>{0, 1}));
    EXPECT_EQ(UndoBatch(journalPath).Restored, 2);
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"a.b.c")), "abc");
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"a.q")), "q");
}

TEST(BatchUndo, AChangeOfCaseIsRecordedAndUndoneToTheOldCase) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    for (const wchar_t* name : {L"x.JPG", L"z.Jpg"}) folder.AddFile(name);
    RunJournaledBatch(journalPath, folder.Path(), Checked({L"x.JPG", L"z.Jpg"}), L"jpg");
    ASSERT_EQ(folder.Names(), (Names{L"x.jpg", L"z.jpg"}));
    EXPECT_EQ(ReadBatchJournal(journalPath)->Entries[1].Outcome, RenameOutcome::Renamed);
    EXPECT_EQ(UndoBatch(journalPath).Restored, 2);
    EXPECT_EQ(folder.Names(), (Names{L"x.JPG", L"z.Jpg"}));

    // Without records (a crash), only the name whose case did change is offered: neither one that
    // kept its case nor one whose new name is its old name (a file the run could not change).
    folder.AddFile(L"y.jpg");
    WriteBatchJournal(journalPath, PlanBatch(folder.Path(), Checked({L"x.JPG", L"y.jpg", L"z.Jpg"}), L"jpg"));
    ASSERT_TRUE(RenameInFolder(folder.Path(), L"z.Jpg", L"z.jpg"));
    EXPECT_EQ(UndoableEntries(*ReadBatchJournal(journalPath)), std::vector<size_t>{2});
    const UndoResult result = UndoBatch(journalPath);
    EXPECT_EQ(result.Restored, 1);
    EXPECT_EQ(result.NotRestored, 0);
    EXPECT_TRUE(UndoableEntries(*ReadBatchJournal(journalPath)).empty()) << "nothing is left to undo";
    EXPECT_EQ(folder.Names(), (Names{L"x.JPG", L"y.jpg", L"z.Jpg"}));
}

// A change of case cut short (a crash between its two moves) leaves the file under the temporary
// name the journal recorded first: the undo, or else the next start, puts it back under its old
// name, or where that is taken, under its new one.
TEST(BatchUndo, AFileLeftUnderATemporaryNameIsPutBack) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    // Under Wine a change of case goes through the temporary name: recorded before the move.
    folder.AddFile(L"w.JPG");
    RunJournaledBatch(journalPath, folder.Path(), Checked({L"w.JPG"}), L"jpg");
    ASSERT_EQ(folder.Names(), Names{L"w.jpg"});
    const std::string text = ReadFileBytes(journalPath);
    const auto utf16 = [](std::wstring_view part) {
        return std::string(reinterpret_cast<const char*>(part.data()), part.size() * sizeof(wchar_t));
    };
    if (text.find(utf16(L"\nT\t0\tw.JPG.morvane-tmp\n")) != std::string::npos) {
        EXPECT_LT(text.find(utf16(L"\nT\t0\t")), text.find(utf16(L"\nR\t0\n")));
    }
    EXPECT_EQ(UndoBatch(journalPath).Restored, 1);
    ASSERT_EQ(folder.Names(), Names{L"w.JPG"});

    folder.AddFolder(L"写真");
    const BatchJournal cut{folder.Path(),
                           {{L"x.JPG", L"x.jpg", false, RenameOutcome::Unknown, L"x.JPG.morvane-tmp"},
                            {L"写真\\y.JPG", L"写真\\y.jpg", false, RenameOutcome::Unknown, L"y.JPG.morvane-tmp"},
                            {L"z.JPG", L"z.jpg", false, RenameOutcome::Unknown, L"z.JPG.morvane-tmp"}}};
    const auto leaveUnderTemporaryNames = [&] {
        for (const wchar_t* name : {L"x.JPG.morvane-tmp", L"写真\\y.JPG.morvane-tmp"}) folder.AddFile(name);
        WriteBatchJournal(journalPath, cut);
    };
    leaveUnderTemporaryNames();
    // z's temporary name is gone, and z has its new name: the change went through before the
    // crash, and is undone as any other.
    folder.AddFile(L"z.jpg");
    EXPECT_EQ(UndoableEntries(*ReadBatchJournal(journalPath)), (std::vector<size_t>{0, 1, 2}));
    const UndoResult undone = UndoBatch(journalPath);
    EXPECT_EQ(undone.Restored, 3);
    EXPECT_EQ(folder.Names(), (Names{L"w.JPG", L"x.JPG", L"z.JPG", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")), Names{L"y.JPG"});

    // At the next start. x's old name is taken by now (and so is its new one, the same name but
    // for case): it stays under the temporary name, still recorded, until the name is free.
    DeleteFileW(folder.PathOf(L"写真\\y.JPG").c_str());
    DeleteFileW(folder.PathOf(L"x.JPG").c_str());
    leaveUnderTemporaryNames();
    folder.AddFile(L"x.JPG", 0, "another");
    EXPECT_EQ(RecoverTemporaryNames(journalPath), 1);
    EXPECT_EQ(folder.Names(), (Names{L"w.JPG", L"x.JPG", L"x.JPG.morvane-tmp", L"z.JPG", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")), Names{L"y.JPG"});
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"x.JPG")), "another");
    std::optional<BatchJournal> recovered = ReadBatchJournal(journalPath);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->Entries[0].Temporary, L"x.JPG.morvane-tmp");
    EXPECT_EQ(recovered->Entries[1].Outcome, RenameOutcome::Failed);
    DeleteFileW(folder.PathOf(L"x.JPG").c_str());
    EXPECT_EQ(RecoverTemporaryNames(journalPath), 1);
    EXPECT_EQ(folder.Names(), (Names{L"w.JPG", L"x.JPG", L"z.JPG", L"写真"}));
    EXPECT_EQ(RecoverTemporaryNames(journalPath), 0);
    EXPECT_TRUE(UndoableEntries(*ReadBatchJournal(journalPath)).empty());
}

// A batch over subfolders: the journal holds the paths relative to the folder, and the undo puts
// every file back in its own folder, also a change of case and after a crash that recorded nothing.
TEST(BatchUndo, ABatchOverSubFoldersIsUndoneInEveryFolder) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    folder.AddFolder(L"写真");
    folder.AddFolder(L"写真\\2024");
    for (const wchar_t* name : {L"a.JPG", L"写真\\a.JPG", L"写真\\b.jpeg", L"写真\\2024\\c.JPG"}) folder.AddFile(name);
    folder.AddFile(L"写真\\b.jpg", 0, "precious");
    MatchList list = ListMatchingFilesWithSubFolders(folder.Path(), L"*.*");
    ASSERT_EQ(list.size(), 5u);
    for (MatchEntry& entry : list) entry.Checked = entry.Name != L"写真\\b.jpg";  // already as wanted
    RunJournaledBatch(journalPath, folder.Path(), list, L"jpg");
    EXPECT_EQ(folder.Names(), (Names{L"a.jpg", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")), (Names{L"2024", L"a.jpg", L"b.jpeg", L"b.jpg"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真\\2024")), Names{L"c.jpg"});

    const std::optional<BatchJournal> journal = ReadBatchJournal(journalPath);
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->Folder, folder.Path());
    Names oldNames, newNames;
    for (const JournalEntry& entry : journal->Entries) {
        oldNames.push_back(entry.OldName);
        newNames.push_back(entry.NewName);
    }
    Names expectedOld, expectedNew;
    for (const MatchEntry& entry : list) {
        if (!entry.Checked) continue;
        expectedOld.push_back(entry.Name);
        expectedNew.push_back(NewFileName(entry.Name, L"jpg"));
    }
    EXPECT_EQ(oldNames, expectedOld);
    EXPECT_EQ(newNames, expectedNew);
    EXPECT_EQ(UndoBatch(journalPath).Restored, 3);  // b.jpeg found its new name taken
    EXPECT_EQ(folder.Names(), (Names{L"a.JPG", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")), (Names{L"2024", L"a.JPG", L"b.jpeg", L"b.jpg"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真\\2024")), Names{L"c.JPG"});
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"写真\\b.jpg")), "precious");

    // After a crash before any outcome was recorded, the names in each folder tell what happened.
    WriteBatchJournal(journalPath, PlanBatch(folder.Path(), list, L"jpg"));
    ASSERT_TRUE(RenameInFolder(folder.Path(), L"写真\\2024\\c.JPG", L"写真\\2024\\c.jpg"));
    ASSERT_TRUE(RenameInFolder(folder.Path(), L"写真\\a.JPG", L"写真\\a.jpg"));
    const std::optional<BatchJournal> crashed = ReadBatchJournal(journalPath);
    ASSERT_TRUE(crashed);
    Names undoable;
    for (const size_t entry : UndoableEntries(*crashed)) undoable.push_back(crashed->Entries[entry].OldName);
    std::sort(undoable.begin(), undoable.end());
    EXPECT_EQ(undoable, (Names{L"写真\\2024\\c.JPG", L"写真\\a.JPG"}));
    EXPECT_EQ(UndoBatch(journalPath).Restored, 2);
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")), (Names{L"2024", L"a.JPG", L"b.jpeg", L"b.jpg"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真\\2024")), Names{L"c.JPG"});
}

TEST(BatchUndo, AfterACrashOnlyTheRenamesThatHappenedAreUndone) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"c.bak", L"d.txt"}) folder.AddFile(name);
    const MatchList list = Checked({L"a.txt", L"b.txt", L"c.txt", L"d.txt"});
    {
        // The run renamed a and b, but the crash came before b's outcome was recorded.
        JournalRecorder recorder(journalPath, PlanBatch(folder.Path(), list, L"bak"));
        MoveFileW(folder.PathOf(L"a.txt").c_str(), folder.PathOf(L"a.bak").c_str());
        recorder.Record(0, true);
        MoveFileW(folder.PathOf(L"b.txt").c_str(), folder.PathOf(L"b.bak").c_str());
    }
    // c never ran; its new name existed before the batch, so it must not be "restored" either.
    DeleteFileW(folder.PathOf(L"c.txt").c_str());
    // d never ran either, and meanwhile another file took its new name.
    folder.AddFile(L"d.bak", 0, "another");
    const std::optional<BatchJournal> journal = ReadBatchJournal(journalPath);
    ASSERT_TRUE(journal);
    EXPECT_EQ(UndoableEntries(*journal), (std::vector<size_t>{0, 1}));
    const UndoResult result = UndoBatch(journalPath);
    EXPECT_EQ(result.Restored, 2);
    EXPECT_EQ(folder.Names(), (Names{L"a.txt", L"b.txt", L"c.bak", L"d.bak", L"d.txt"}));
    EXPECT_EQ(ReadFileBytes(folder.PathOf(L"d.bak")), "another");

    // The undo itself cut short by a crash: i and h were put back, h's record never came. The next
    // undo offers exactly the rest and puts it back, none counted as not restored.
    for (const wchar_t* name : {L"e.txt", L"f.txt", L"g.txt", L"h.txt", L"i.txt"}) folder.AddFile(name);
    RunJournaledBatch(journalPath, folder.Path(), Checked({L"e.txt", L"f.txt", L"g.txt", L"h.txt", L"i.txt"}), L"bak");
    struct CrashBeforeThird : NullSink {
        int entries = 0;
        bool Continue() override {
            if (++entries == 3) throw std::runtime_error("crash");
            return true;
        }
    } crash;
    EXPECT_THROW(UndoBatch(journalPath, crash), std::runtime_error);
    const std::string cut = ReadFileBytes(journalPath);
    const size_t lastRecord = cut.rfind(std::string("\n\0", 2), cut.size() - 3) + 2;
    WriteFileBytes(journalPath, cut.substr(0, lastRecord));
    ASSERT_TRUE(ReadBatchJournal(journalPath));
    EXPECT_EQ(UndoableEntries(*ReadBatchJournal(journalPath)), (std::vector<size_t>{0, 1, 2}));
    const UndoResult rest = UndoBatch(journalPath);
    EXPECT_EQ(rest.Restored, 3);
    EXPECT_EQ(rest.NotRestored, 0);
    EXPECT_TRUE(UndoableEntries(*ReadBatchJournal(journalPath)).empty());
    EXPECT_EQ(folder.Names(), (Names{L"a.txt", L"b.txt", L"c.bak", L"d.bak", L"d.txt", L"e.txt", L"f.txt", L"g.txt",
                                     L"h.txt", L"i.txt"}));
}

// The history: each batch's journal kept when the next begins, newest first, read from short
// summaries; a batch cut short by a crash stays undoable by what the names tell; the oldest go
// beyond a hundred; a batch's renames come out as text a spreadsheet reads (UTF-8, commas inside
// their quoted fields).
TEST(BatchHistory, KeepsEveryBatchUndoableAndGivesItsRenamesAsText) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    const BatchHistory history(journalPath);
    for (const wchar_t* name : {L"a,1.txt", L"b 写真.txt", L"c.txt", L"d.doc"}) folder.AddFile(name);

    // A journal of the first version, as an older Morvane left it: the newest entry.
    const auto utf16 = [](std::wstring_view text) {
        return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    };
    MoveFileW(folder.PathOf(L"d.doc").c_str(), folder.PathOf(L"d.bak").c_str());
    WriteFileBytes(journalPath, utf16(L"\xFEFFMorvane last-batch 1\nfolder\t" + folder.Path() +
                                      L"\ncount\t1\nE\t0\td.doc\td.bak\nR\t0\n"));
    ASSERT_EQ(history.Summaries().size(), 1u);
    EXPECT_EQ(history.Summaries()[0].Renamed, 1);
    EXPECT_EQ(history.Summaries()[0].State(), HistoryState::Undoable);

    // The next batch, cut short by a crash: a renamed and recorded, b renamed without its record.
    ASSERT_FALSE(history.Archive().empty());
    const MatchList list = Checked({L"a,1.txt", L"b 写真.txt", L"c.txt"});
    {
        BatchJournal plan = PlanBatch(folder.Path(), list, L"bak");
        plan.Time = 133000000000000000ull;
        plan.Target = L"txt";
        plan.NewExtension = L"bak";
        JournalRecorder recorder(journalPath, plan);
        ASSERT_TRUE(RenameInFolder(folder.Path(), L"a,1.txt", L"a,1.bak"));
        recorder.Record(0, true);
        ASSERT_TRUE(RenameInFolder(folder.Path(), L"b 写真.txt", L"b 写真.bak"));
    }
    std::vector<BatchSummary> batches = history.Summaries();
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].JournalPath, journalPath);
    EXPECT_EQ(batches[0].Renamed, 2);
    EXPECT_EQ(batches[0].Target, L"txt");
    EXPECT_EQ(batches[0].Folder, folder.Path());
    EXPECT_EQ(batches[1].Folder, folder.Path());
    EXPECT_EQ(history.NewestUndoable(), journalPath);

    // Its renames as text: every file of the batch, commas and quotes inside their fields.
    const std::string csv = BatchCsv(journalPath);
    const std::string time = [&] {
        const std::wstring wide = HistoryTime(133000000000000000ull, true);
        return std::string(wide.begin(), wide.end());
    }();
    const auto path = [&](const char* name) {  // the folder's path is ASCII, the name UTF-8
        const std::wstring wide = folder.Path();
        return std::string(wide.begin(), wide.end()) + "\\" + name;
    };
    EXPECT_EQ(csv, "\xEF\xBB\xBF\"変更前\",\"変更後\",\"日時\",\"結果\"\r\n"
                   "\"" + path("a,1.txt") + "\",\"" + path("a,1.bak") + "\",\"" + time + "\",\"変更しました\"\r\n"
                   "\"" + path("b \xE5\x86\x99\xE7\x9C\x9F.txt") + "\",\"" + path("b \xE5\x86\x99\xE7\x9C\x9F.bak") + "\",\"" + time + "\",\"不明\"\r\n"
                   "\"" + path("c.txt") + "\",\"" + path("c.bak") + "\",\"" + time + "\",\"不明\"\r\n");
    ExportBatch(journalPath, store.PathOf(L"out.csv"));
    EXPECT_EQ(ReadFileBytes(store.PathOf(L"out.csv")), csv);

    // The older batch undone alone; the newer one stays as it is, and is the one Ctrl+Z offers.
    EXPECT_EQ(UndoBatch(batches[1].JournalPath).Restored, 1);
    BatchHistory::Summarize(batches[1].JournalPath);
    EXPECT_EQ(folder.Names(), (Names{L"a,1.bak", L"b 写真.bak", L"c.txt", L"d.doc"}));
    batches = history.Summaries();
    EXPECT_EQ(batches[1].State(), HistoryState::Undone);
    EXPECT_EQ(batches[0].State(), HistoryState::Undoable);
    EXPECT_EQ(history.NewestUndoable(), journalPath);
    EXPECT_EQ(UndoBatch(journalPath).Restored, 2);
    BatchHistory::Summarize(journalPath);
    EXPECT_EQ(history.NewestUndoable(), L"");
    EXPECT_EQ(history.Summaries()[0].State(), HistoryState::Undone);

    // The oldest go once more than a hundred are kept besides the newest.
    for (size_t i = 0; i < BatchHistory::kKept + 5; ++i) {
        WriteBatchJournal(journalPath, {folder.Path(), {{L"x" + std::to_wstring(i), L"y", false, RenameOutcome::Renamed}}});
        ASSERT_FALSE(history.Archive().empty());
    }
    WriteBatchJournal(journalPath, {folder.Path(), {{L"last", L"y", false, RenameOutcome::Renamed}}});
    batches = history.Summaries();
    ASSERT_EQ(batches.size(), BatchHistory::kKept + 1);
    EXPECT_EQ(ReadBatchJournal(batches[1].JournalPath)->Entries[0].OldName, L"x104");
    EXPECT_EQ(ReadBatchJournal(batches.back().JournalPath)->Entries[0].OldName, L"x5");
}

// Undoing an older batch never takes back what a later one did: a file it renamed that a later
// batch renamed again stays, and a file a crash left without a record is judged by the names it
// had when the next batch began, not by what later batches made of them.
TEST(BatchHistory, AnOlderBatchLeavesAloneWhatALaterOneRenamedAgain) {
    TempFolder folder;
    TempFolder store;
    const std::wstring journalPath = store.PathOf(L"last-batch");
    const BatchHistory history(journalPath);
    for (const wchar_t* name : {L"a.txt", L"c.txt"}) folder.AddFile(name);
    const auto batch = [&](std::vector<std::wstring> names, const wchar_t* to, size_t recorded) {
        MatchList list;
        for (const std::wstring& name : names) list.push_back({name, true});
        JournalRecorder recorder(journalPath, PlanBatch(folder.Path(), list, to));
        for (size_t i = 0; i < recorded; ++i) {
            const std::wstring& name = names[i];
            ASSERT_TRUE(RenameInFolder(folder.Path(), name, name.substr(0, name.rfind(L'.') + 1) + to));
            recorder.Record(i, true);
        }
    };
    // a renamed and recorded, then a crash before c.
    batch({L"a.txt", L"c.txt"}, L"bak", 1);
    const std::wstring first = history.Archive();
    ASSERT_FALSE(first.empty());
    batch({L"a.bak"}, L"txt", 1);  // a back, by a batch of its own
    ASSERT_TRUE(RenameInFolder(folder.Path(), L"c.txt", L"c.bak"));  // and c renamed by someone else
    BatchHistory::Summarize(journalPath);
    const std::wstring second = history.Archive();
    batch({L"a.txt"}, L"bak", 1);
    BatchHistory::Summarize(journalPath);
    ASSERT_EQ(folder.Names(), (Names{L"a.bak", L"c.bak"}));

    struct Silent : ProgressSink {
        void Start(int) override {}
        void Step() override {}
        void Finish() override {}
    } silent;
    const UndoResult oldest = UndoBatch(first, silent, history.RenamedAfter(first));
    EXPECT_EQ(oldest.Restored, 0);
    EXPECT_EQ(oldest.NotRestored, 1);
    EXPECT_EQ(folder.Names(), (Names{L"a.bak", L"c.bak"}));
    BatchHistory::Summarize(first, oldest.NotRestored);

    // That batch can put nothing back: Ctrl+Z goes on to the others, newest first.
    std::vector<BatchSummary> batches = history.Summaries();
    ASSERT_EQ(batches.size(), 3u);
    EXPECT_EQ(batches[2].State(), HistoryState::NotUndoable);
    EXPECT_EQ(history.NewestUndoable(), journalPath);
    EXPECT_EQ(UndoBatch(journalPath).Restored, 1);
    // Undone without a new summary (a crash right after): the history sees the journal changed.
    EXPECT_EQ(history.Summaries()[0].State(), HistoryState::Undone);
    EXPECT_EQ(history.NewestUndoable(), second);
    EXPECT_EQ(folder.Names(), (Names{L"a.txt", L"c.bak"}));
}

}  // namespace
}  // namespace morvane
