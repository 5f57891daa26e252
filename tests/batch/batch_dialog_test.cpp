#include "batch/batch_dialog.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "settings/settings.h"
#include "batch/batch_journal.h"
#include "batch/live_progress.h"
#include "common/temp_folder.h"
#include "common/ui_driver.h"
#include "ui/application.h"

namespace morvane {
namespace {

using test::ErrorBoxCatcher;
using test::ModalScript;
using test::PostButtonClick;
using test::PostClickAt;
using test::PostKey;
using test::RectInParent;
using test::TempFolder;

constexpr wchar_t kProgramKey[] = L"Halvik\\Morvane";

// Keeps the stored details flag of the test prefix as it was.
class MeisaiGuard {
public:
    MeisaiGuard() {
        wchar_t text[64];
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, kProgramKey, L"Meisai", RRF_RT_REG_SZ, nullptr, text, &size) ==
            ERROR_SUCCESS)
            saved_ = text;
    }
    ~MeisaiGuard() {
        if (saved_)
            Store(*saved_);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"Meisai");
    }
    static void Store(const std::wstring& text) {
        RegSetKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"Meisai", REG_SZ, text.c_str(),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    static std::wstring Stored() {
        wchar_t text[64] = {};
        DWORD size = sizeof text;
        RegGetValueW(HKEY_CURRENT_USER, kProgramKey, L"Meisai", RRF_RT_REG_SZ, nullptr, text, &size);
        return text;
    }

private:
    std::optional<std::wstring> saved_;
};

struct TestOpener : BatchDialogOpener {
    std::wstring folder;
    std::wstring newExtension = L"bak";
    int refreshes = 0;
    std::function<void()> refreshing;  // runs while the list is read again
    std::wstring FolderPath() const override { return folder; }
    std::wstring NewExtension() const override { return newExtension; }
    void Refresh() override {
        ++refreshes;
        if (refreshing) refreshing();
    }
};

std::vector<std::pair<std::wstring, bool>> EntriesOf(const CheckListBox& list) {
    std::vector<std::pair<std::wstring, bool>> entries;
    for (int i = 0; i < list.Count(); ++i) entries.emplace_back(list.Item(i), list.Checked(i));
    return entries;
}

class BatchDialog : public ::testing::Test {
protected:
    BatchDialog() {
        App().SetTitle(L"Morvane");
        MeisaiGuard::Store(L"1");
    }
    // Clicks the check box of an entry, as the user does.
    void ClickCheckBox(TForm2& dialog, int index) {
        PostClickAt(dialog.CheckListBox1.Handle(), 5, index * 12 + 6);
    }

    MeisaiGuard meisai;
    TempFolder folder;
    TestOpener opener;
};

TEST_F(BatchDialog, ListsMatchesCheckedWithSummaryAndCount) {
    folder.AddFile(L"a.txt");
    folder.AddFile(L"ab.txt");
    folder.AddFile(L"写真.txt");
    folder.AddFile(L"c.doc");
    folder.AddFile(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    opener.folder = folder.Path();
    TForm2 dialog(opener);

    ModalScript script;
    script.Then([&] {
        std::vector<std::pair<std::wstring, bool>> expected;
        for (const MatchEntry& match : ListMatchingFiles(folder.Path(), L"*.txt")) expected.emplace_back(match.Name, true);
        EXPECT_EQ(EntriesOf(dialog.CheckListBox1), expected);
        EXPECT_EQ(dialog.Label2.Caption(), L"拡張子変更　[txt] → [bak]");
        EXPECT_EQ(dialog.Label1.Caption(), L"3個のファイルの拡張子を変更します。");
        EXPECT_EQ(dialog.Label3.Caption(), L"本当によろしいですか？");
        EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
        EXPECT_FALSE(IsWindowVisible(dialog.ProgressBar1.Handle()));
        // A typed character selects the next entry that begins with it, past the one selected,
        // which may begin with it too.
        PostMessageW(dialog.CheckListBox1.Handle(), WM_CHAR, L'写', 1);
        script.Then([&] {
            const HWND list = dialog.CheckListBox1.Handle();
            const auto selected = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
            EXPECT_EQ(dialog.CheckListBox1.Item(selected), L"写真.txt");
            PostMessageW(list, WM_CHAR, L'A', 1);
            script.Then([&, list] {
                const auto first = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
                EXPECT_EQ(dialog.CheckListBox1.Item(first).front(), L'a');
                PostMessageW(list, WM_CHAR, L'a', 1);
                script.Then([&, list, first] {
                    const auto second = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
                    EXPECT_NE(second, first);
                    EXPECT_EQ(dialog.CheckListBox1.Item(second).front(), L'a');
                    PostKey(dialog.Handle(), VK_ESCAPE);
                });
            });
        });
    });
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrCancel);
    EXPECT_TRUE(script.Done());
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"ab.txt", L"c.doc", L"hidden.txt", L"写真.txt"}));
    EXPECT_EQ(opener.refreshes, 0);

    // The summary shows the raw target text, not the mask.
    PostKey(dialog.Handle(), VK_ESCAPE);
    dialog.Open(L"すべて", TargetMode::ByWildcard);
    EXPECT_EQ(dialog.Label2.Caption(), L"拡張子変更　[すべて] → [bak]");
    EXPECT_EQ(dialog.Label1.Caption(), L"4個のファイルの拡張子を変更します。");

    // With subfolders: the files of every folder below by their relative paths, and a summary that
    // says so within the labels' column, left of the buttons.
    folder.AddFolder(L"写真");
    folder.AddFolder(L"写真\\2024");
    folder.AddFile(L"写真\\b.txt");
    folder.AddFile(L"写真\\2024\\c.TXT");
    PostKey(dialog.Handle(), VK_ESCAPE);
    dialog.Open(L"txt", TargetMode::ByExtension, FolderScope::WithSubFolders);
    std::vector<std::pair<std::wstring, bool>> expected;
    for (const MatchEntry& match : ListMatchingFilesWithSubFolders(folder.Path(), L"*.txt"))
        expected.emplace_back(match.Name, true);
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_EQ(expected.back().first, L"写真\\2024\\c.TXT");
    EXPECT_EQ(EntriesOf(dialog.CheckListBox1), expected);
    EXPECT_EQ(dialog.Label2.Caption(), L"拡張子変更(ｻﾌﾞﾌｫﾙﾀﾞも)　[txt] → [bak]");
    EXPECT_EQ(dialog.Label1.Caption(), L"5個のファイルの拡張子を変更します。");
    EXPECT_LE(dialog.Label2.Left() + dialog.Label2.Width(), RectInParent(dialog.ProgressBar1.Handle()).right);
    PostKey(dialog.Handle(), VK_ESCAPE);
    dialog.Open(L"txt", TargetMode::ByExtension);
    EXPECT_EQ(dialog.Label2.Caption(), L"拡張子変更　[txt] → [bak]");
    EXPECT_EQ(dialog.CheckListBox1.Count(), 3);
}

TEST_F(BatchDialog, ConvertsOnlyCheckedEntries) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt", L"d.txt"}) folder.AddFile(name);
    opener.folder = folder.Path();
    TForm2 dialog(opener);

    ModalScript script;
    ClickCheckBox(dialog, 1);                            // unchecks the second entry
    PostClickAt(dialog.CheckListBox1.Handle(), 120, 6);  // the text of the first: no toggle
    PostKey(dialog.CheckListBox1.Handle(), VK_SPACE);    // toggles the focused (first) entry
    ClickCheckBox(dialog, 3);
    ClickCheckBox(dialog, 3);  // and back on
    script.Then([&] {
        EXPECT_FALSE(dialog.CheckListBox1.Checked(0));
        EXPECT_FALSE(dialog.CheckListBox1.Checked(1));
        EXPECT_TRUE(dialog.CheckListBox1.Checked(2));
        EXPECT_TRUE(dialog.CheckListBox1.Checked(3));
    });
    PostButtonClick(dialog.Button2.Handle());
    // The bar, at its end, stays on screen while the list is read again.
    bool barShownAtRefresh = false;
    opener.refreshing = [&] {
        barShownAtRefresh = IsWindowVisible(dialog.ProgressBar1.Handle()) && dialog.ProgressBar1.Position() == 4;
    };

    const int result = dialog.Open(L"txt", TargetMode::ByExtension);
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(opener.refreshes, 1);
    EXPECT_TRUE(barShownAtRefresh);
    EXPECT_EQ(dialog.ProgressBar1.Position(), 4);
    EXPECT_EQ(dialog.ProgressBar1.Max(), 4);
    // Hidden by the run itself, not merely out of sight with the closed dialog.
    EXPECT_FALSE(GetWindowLongW(dialog.ProgressBar1.Handle(), GWL_STYLE) & WS_VISIBLE);

    std::vector<std::wstring> expected;
    for (int i = 0; i < 4; ++i) {
        const std::wstring name = dialog.CheckListBox1.Item(i);
        expected.push_back(i < 2 ? name : NewFileName(name, L"bak"));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder.Names(), expected);
    EXPECT_EQ(MeisaiGuard::Stored(), L"1");

    // The next opening shows no bar.
    script.Then([&] {
        EXPECT_FALSE(IsWindowVisible(dialog.ProgressBar1.Handle()));
        PostKey(dialog.Handle(), VK_ESCAPE);
    });
    dialog.Open(L"bak", TargetMode::ByExtension);
    EXPECT_TRUE(script.Done());
}

TEST_F(BatchDialog, DimsTheEntriesThatWillKeepTheirNames) {
    for (const wchar_t* name : {L"a.txt", L"a.doc", L"b.txt", L"b.BAK", L"c.txt"}) folder.AddFile(name);
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    std::vector<std::wstring> dimmed;
    const auto readDimmed = [&] {
        dimmed.clear();
        for (int i = 0; i < dialog.CheckListBox1.Count(); ++i)
            if (dialog.CheckListBox1.Dimmed(i)) dimmed.push_back(dialog.CheckListBox1.Item(i));
    };
    int firstA = -1;
    ModalScript script;
    script.Then([&] {
        readDimmed();
        for (int i = 0; i < dialog.CheckListBox1.Count() && firstA < 0; ++i)
            if (dialog.CheckListBox1.Item(i).starts_with(L"a.")) firstA = i;
        ClickCheckBox(dialog, firstA);  // unchecked, it leaves a.bak to the other a.*
        script.Then([&] {
            const std::vector<std::wstring> before = dimmed;
            readDimmed();
            dimmed.insert(dimmed.begin(), before.begin(), before.end());
            PostKey(dialog.Handle(), VK_ESCAPE);
        });
    });
    dialog.Open(L"すべて", TargetMode::ByExtension);
    ASSERT_GE(firstA, 0);
    const std::wstring laterA = dialog.CheckListBox1.Item(firstA) == L"a.txt" ? L"a.doc" : L"a.txt";
    // First the existing b.BAK and the second a.*; then, with the first a.* unchecked, only b.txt.
    std::vector<std::wstring> expected{laterA, L"b.txt"};
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(dimmed.size(), 3u);
    std::vector<std::wstring> first(dimmed.begin(), dimmed.begin() + 2);
    std::sort(first.begin(), first.end());
    EXPECT_EQ(first, expected);
    EXPECT_EQ(dimmed[2], L"b.txt");
    // Dimming never touches a check box.
    for (int i = 0; i < dialog.CheckListBox1.Count(); ++i)
        EXPECT_EQ(dialog.CheckListBox1.Checked(i), i != firstA);

    // A mark that changes is repainted wherever its entry is, the last one unchanged.
    CheckListBox& list = dialog.CheckListBox1;
    ASSERT_GE(list.Count(), 3);
    std::vector<bool> marks(static_cast<size_t>(list.Count()));
    for (int i = 0; i < list.Count(); ++i) marks[static_cast<size_t>(i)] = list.Dimmed(i);
    ShowWindow(dialog.Handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(list.Handle());
    marks[0] = !marks[0];
    list.SetDimmedFlags(marks);
    RECT pending{}, firstRow{};
    SendMessageW(list.Handle(), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&firstRow));
    EXPECT_TRUE(GetUpdateRect(list.Handle(), &pending, FALSE));
    EXPECT_TRUE(IntersectRect(&pending, &pending, &firstRow));
    ShowWindow(dialog.Handle(), SW_HIDE);

    // A new extension that can never work: said in place of the question, 変換 refused, and no
    // mark guessing at names no file can take. Nothing is renamed, even by a click sent anyway.
    const std::wstring tooLong(300, L'x');
    for (const wchar_t* extension : {L"..\\x", L"   ", L"bak.", tooLong.c_str()}) {
        opener.newExtension = extension;
        std::wstring question;
        bool convertEnabled = true;
        int dimmedCount = 0;
        ModalScript refused;
        refused.Then([&] {
            question = dialog.Label3.Caption();
            // Said whole left of the buttons.
            EXPECT_LE(dialog.Label3.Left() + dialog.Label3.Width(), RectInParent(dialog.Button2.Handle()).left);
            convertEnabled = IsWindowEnabled(dialog.Button2.Handle());
            for (int i = 0; i < list.Count(); ++i) dimmedCount += list.Dimmed(i) ? 1 : 0;
            dialog.Button2Click();
            PostKey(dialog.Handle(), VK_ESCAPE);
        });
        EXPECT_EQ(dialog.Open(L"すべて", TargetMode::ByExtension), mrCancel);
        EXPECT_NE(question, L"本当によろしいですか？") << question.size();
        EXPECT_EQ(question.rfind(L"変換拡張子", 0), 0u);
        EXPECT_FALSE(convertEnabled);
        EXPECT_EQ(dimmedCount, 0);
        EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.doc", L"a.txt", L"b.BAK", L"b.txt", L"c.txt"}));
    }
    opener.newExtension = L"bak";
    ModalScript usable;
    usable.Then([&] {
        EXPECT_EQ(dialog.Label3.Caption(), L"本当によろしいですか？");
        EXPECT_TRUE(IsWindowEnabled(dialog.Button2.Handle()));
        PostKey(dialog.Handle(), VK_ESCAPE);
    });
    dialog.Open(L"すべて", TargetMode::ByExtension);
    EXPECT_TRUE(usable.Done());
}

TEST_F(BatchDialog, AConversionLeavesTheJournalThatUndoesIt) {
    TempFolder store;
    for (const wchar_t* name : {L"a.txt", L"b.txt"}) folder.AddFile(name);
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    dialog.SetJournalPath(store.PathOf(L"last-batch"));
    PostButtonClick(dialog.Button2.Handle());
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrOk);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"b.bak"}));
    const std::optional<BatchJournal> journal = ReadBatchJournal(dialog.JournalPath());
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->Folder, folder.Path());
    ASSERT_EQ(journal->Entries.size(), 2u);
    EXPECT_EQ(journal->Entries[1].Outcome, RenameOutcome::Renamed);
    EXPECT_EQ(UndoBatch(dialog.JournalPath()).Restored, 2);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));

    // A batch that renames something is the one to undo, also when its last file fails.
    WriteBatchJournal(dialog.JournalPath(), *journal);
    folder.AddFile(L"z.txt");
    folder.AddFile(L"z.doc");
    PostButtonClick(dialog.Button2.Handle());
    opener.newExtension = L"doc";
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrOk);
    ASSERT_TRUE(ReadBatchJournal(dialog.JournalPath()));
    EXPECT_EQ(ReadBatchJournal(dialog.JournalPath())->Entries.size(), 3u);
    EXPECT_EQ(ReadBatchJournal(dialog.JournalPath())->Entries.back().OldName, L"z.txt");
    EXPECT_EQ(UndoBatch(dialog.JournalPath()).Restored, 2);
    DeleteFileW(folder.PathOf(L"z.txt").c_str());
    DeleteFileW(folder.PathOf(L"z.doc").c_str());
    opener.newExtension = L"bak";
    ASSERT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));

    // A batch that renames nothing (here nothing matches) leaves the journal of the batch before
    // it, so that Ctrl+Z still undoes the last batch that changed something.
    WriteBatchJournal(dialog.JournalPath(), *journal);
    const std::vector<std::wstring> kept = test::NamesInFolder(store.PathOf(L"history"));
    PostButtonClick(dialog.Button2.Handle());
    EXPECT_EQ(dialog.Open(L"doc", TargetMode::ByExtension), mrOk);
    ASSERT_TRUE(ReadBatchJournal(dialog.JournalPath()));
    EXPECT_EQ(ReadBatchJournal(dialog.JournalPath())->Entries.size(), 2u);
    EXPECT_EQ(test::NamesInFolder(store.PathOf(L"history")), kept) << "nor is it kept in the history";

    // Where no journal can be written the batch still runs, and the older journal is gone rather
    // than passing for this batch's.
    WriteBatchJournal(dialog.JournalPath(), *journal);
    store.AddFolder(L"last-batch.new");
    PostButtonClick(dialog.Button2.Handle());
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrOk);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"b.bak"}));
    EXPECT_FALSE(ReadBatchJournal(dialog.JournalPath()));

    // With no place for a journal nothing is written anywhere: a user's ".new" in the current
    // folder stays as it was, and the batch runs all the same.
    TempFolder current;
    current.AddFile(L".new", 0, "the user's");
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(current.Path().c_str());
    dialog.SetJournalPath(L"");
    opener.newExtension = L"txt";
    PostButtonClick(dialog.Button2.Handle());
    EXPECT_EQ(dialog.Open(L"bak", TargetMode::ByExtension), mrOk);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
    EXPECT_EQ(current.Names(), std::vector<std::wstring>{L".new"});
    EXPECT_EQ(test::ReadFileBytes(current.PathOf(L".new")), "the user's");
}

// With subfolders every folder is converted by the same rules: the marks come from the names of
// each file's own folder, the journal holds the relative paths, and its undo restores every folder.
TEST_F(BatchDialog, WithSubFoldersEveryFolderIsMarkedConvertedAndUndoneByItsOwnNames) {
    TempFolder store;
    folder.AddFolder(L"写真");
    folder.AddFolder(L"写真\\2024");
    for (const wchar_t* name : {L"a.JPG", L"b.JPG", L"写真\\a.JPG", L"写真\\b.JPG", L"写真\\2024\\c.JPG"})
        folder.AddFile(name);
    folder.AddFile(L"写真\\b.jpeg", 0, "taken");
    opener.folder = folder.Path();
    opener.newExtension = L"jpeg";
    TForm2 dialog(opener);
    dialog.SetJournalPath(store.PathOf(L"last-batch"));
    std::vector<std::wstring> dimmed;
    ModalScript script;
    script.Then([&] {
        for (int i = 0; i < dialog.CheckListBox1.Count(); ++i)
            if (dialog.CheckListBox1.Dimmed(i)) dimmed.push_back(dialog.CheckListBox1.Item(i));
        dialog.Button2.Click();
    });
    EXPECT_EQ(dialog.Open(L"JPG", TargetMode::ByExtension, FolderScope::WithSubFolders), mrOk);
    EXPECT_EQ(dimmed, std::vector<std::wstring>{L"写真\\b.JPG"});  // b.jpeg is taken there alone
    EXPECT_EQ(opener.refreshes, 1);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.jpeg", L"b.jpeg", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")),
              (std::vector<std::wstring>{L"2024", L"a.jpeg", L"b.JPG", L"b.jpeg"}));
    EXPECT_EQ(test::ReadFileBytes(folder.PathOf(L"写真\\b.jpeg")), "taken");
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真\\2024")), std::vector<std::wstring>{L"c.jpeg"});

    const std::optional<BatchJournal> journal = ReadBatchJournal(dialog.JournalPath());
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->Folder, folder.Path());
    ASSERT_EQ(journal->Entries.size(), 5u);
    EXPECT_EQ(journal->Entries.back().OldName, L"写真\\2024\\c.JPG");
    EXPECT_EQ(journal->Entries.back().NewName, L"写真\\2024\\c.jpeg");
    EXPECT_EQ(UndoBatch(dialog.JournalPath()).Restored, 4);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.JPG", L"b.JPG", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真")),
              (std::vector<std::wstring>{L"2024", L"a.JPG", L"b.JPG", L"b.jpeg"}));
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"写真\\2024")), std::vector<std::wstring>{L"c.JPG"});
}

// A long run keeps the dialog alive, lets nothing but the cancel button in, and stops on it after
// the file in hand: what was renamed stays renamed and journaled, and the list is read again.
TEST_F(BatchDialog, ALongRunPaintsAndStopsAfterTheFileInHandOnCancel) {
    constexpr int kFiles = 1000;
    for (int i = 0; i < kFiles; ++i) folder.AddFile(L"f" + std::to_wstring(1000 + i) + L".txt");
    TempFolder store;
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    dialog.SetJournalPath(store.PathOf(L"last-batch"));
    const auto renamedSoFar = [&] { return ListMatchingFiles(folder.Path(), L"*.bak").size(); };
    bool blockedWhileRunning = false;
    int positionAtCancel = 0;
    size_t renamedAtCancel = 0;
    ModalScript script;
    std::function<void()> cancelOnceSomeAreRenamed = [&] {
        if (renamedSoFar() == 0) {
            script.Then(cancelOnceSomeAreRenamed);
            return;
        }
        positionAtCancel = dialog.ProgressBar1.Position();
        renamedAtCancel = renamedSoFar();
        PostButtonClick(dialog.Button1.Handle());
    };
    script.Then([&] {
        dialog.Button2.Click();  // the whole run happens inside this step
    });
    script.Then([&] {
        // Handled from inside the run, before its first file.
        blockedWhileRunning = IsWindowVisible(dialog.ProgressBar1.Handle()) &&
                              !IsWindowEnabled(dialog.Button2.Handle()) &&
                              !IsWindowEnabled(dialog.Button3.Handle()) &&
                              !IsWindowEnabled(dialog.CheckListBox1.Handle()) && GetFocus() == dialog.Button1.Handle();
        PostButtonClick(dialog.Button2.Handle());  // refused: no second run starts
        // Enter held since it started the run repeats onto the cancel button: it does not stop.
        PostMessageW(dialog.Button1.Handle(), WM_KEYDOWN, VK_RETURN, 1 | (1u << 30));
        script.Then(cancelOnceSomeAreRenamed);
    });
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrCancel);
    EXPECT_TRUE(blockedWhileRunning);
    ASSERT_GT(renamedAtCancel, 0u);
    EXPECT_LT(renamedAtCancel, static_cast<size_t>(kFiles));
    EXPECT_GT(positionAtCancel, 0);  // the bar moved during the run
    EXPECT_EQ(renamedSoFar(), renamedAtCancel);
    EXPECT_EQ(opener.refreshes, 1);
    const std::optional<BatchJournal> journal = ReadBatchJournal(dialog.JournalPath());
    ASSERT_TRUE(journal);
    EXPECT_EQ(UndoableEntries(*journal).size(), renamedAtCancel);
    // What the run never reached is recorded as not renamed: a file renamed by hand later is never
    // taken for this batch's, and the undo need not look for any of them.
    EXPECT_TRUE(std::none_of(journal->Entries.begin(), journal->Entries.end(),
                             [](const JournalEntry& entry) { return entry.Outcome == RenameOutcome::Unknown; }));
    MoveFileW(folder.PathOf(L"f1999.txt").c_str(), folder.PathOf(L"f1999.bak").c_str());
    EXPECT_EQ(UndoableEntries(*ReadBatchJournal(dialog.JournalPath())).size(), renamedAtCancel);
    MoveFileW(folder.PathOf(L"f1999.bak").c_str(), folder.PathOf(L"f1999.txt").c_str());
    EXPECT_EQ(UndoBatch(dialog.JournalPath()).Restored, static_cast<int>(renamedAtCancel));
    EXPECT_EQ(renamedSoFar(), 0u);
    // The next opening finds every control as it was.
    script.Then([&] {
        EXPECT_TRUE(IsWindowEnabled(dialog.Button2.Handle()) && IsWindowEnabled(dialog.CheckListBox1.Handle()));
        PostKey(dialog.Handle(), VK_ESCAPE);
    });
    dialog.Open(L"txt", TargetMode::ByExtension);
    EXPECT_TRUE(script.Done());
}

// The program told to quit during a long run (the session ends): the run stops after the entry in
// hand, and the quit is left for the loop that owns it.
TEST(LiveProgress, AQuitStopsTheRunAndIsLeftForTheLoop) {
    LiveProgress progress([](int, int) {}, [] { return false; });
    progress.Start(10);
    EXPECT_TRUE(progress.Continue());
    // A file moved to a temporary name is a change the journal must keep, renamed or not.
    EXPECT_FALSE(progress.ChangedAny());
    progress.Renamed(0, false);
    EXPECT_FALSE(progress.ChangedAny());
    EXPECT_TRUE(progress.MovingThrough(0, L"x.JPG.morvane-tmp"));
    EXPECT_TRUE(progress.ChangedAny());
    Sleep(40);  // the next breath handles what waits
    PostQuitMessage(7);
    EXPECT_FALSE(progress.Continue());
    MSG quit{};
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 7u);
}

TEST_F(BatchDialog, NoMatchConvertsNothingButRefreshesAndCloses) {
    folder.AddFile(L"a.doc");
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    PostButtonClick(dialog.Button2.Handle());
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrOk);
    EXPECT_EQ(dialog.Label1.Caption(), L"0個のファイルの拡張子を変更します。");
    EXPECT_EQ(dialog.CheckListBox1.Count(), 0);
    EXPECT_EQ(opener.refreshes, 1);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.doc"}));
}

TEST_F(BatchDialog, EnterEscAndCloseBoxCancel) {
    folder.AddFile(L"a.txt");
    opener.folder = folder.Path();
    TForm2 dialog(opener);

    // Tab to the list first: Enter there presses the default button, which cancels.
    ModalScript script;
    script.Then([&] { EXPECT_EQ(GetFocus(), dialog.Button1.Handle()); });
    for (int i = 0; i < 3; ++i) PostKey(dialog.Button1.Handle(), VK_TAB);
    script.Then([&] {
        EXPECT_EQ(GetFocus(), dialog.CheckListBox1.Handle());
        PostKey(dialog.CheckListBox1.Handle(), VK_RETURN);
    });
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrCancel);
    EXPECT_TRUE(script.Done());

    PostKey(dialog.Handle(), VK_ESCAPE);
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrCancel);

    PostMessageW(dialog.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrCancel);

    PostButtonClick(dialog.Button1.Handle());
    EXPECT_EQ(dialog.Open(L"txt", TargetMode::ByExtension), mrCancel);

    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt"}));
    EXPECT_EQ(opener.refreshes, 0);
}

TEST_F(BatchDialog, SecondOpeningShowsOnlyTheSecondFolder) {
    folder.AddFile(L"first.txt");
    TempFolder second;
    second.AddFile(L"second.txt");
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    PostKey(dialog.Handle(), VK_ESCAPE);
    dialog.Open(L"txt", TargetMode::ByExtension);
    opener.folder = second.Path();
    PostKey(dialog.Handle(), VK_ESCAPE);
    dialog.Open(L"txt", TargetMode::ByExtension);
    EXPECT_EQ(EntriesOf(dialog.CheckListBox1), (std::vector<std::pair<std::wstring, bool>>{{L"second.txt", true}}));
}

// A long list is filled with painting held back: once shown it must paint its entries and its
// scroll bar must reach the last one, and a second filling must start from an empty list.
TEST_F(BatchDialog, LongListIsWhollyListedPaintedAndScrollable) {
    constexpr int kFiles = 300;
    for (int i = 0; i < kFiles; ++i) folder.AddFile(L"f" + std::to_wstring(1000 + i) + L".txt");
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    const HWND list = dialog.CheckListBox1.Handle();

    for (int opening = 0; opening < 2; ++opening) {
        ModalScript script;
        script.Then([&] {
            EXPECT_EQ(dialog.CheckListBox1.Count(), kFiles);
            SCROLLINFO scroll{};
            scroll.cbSize = sizeof scroll;
            scroll.fMask = SIF_RANGE | SIF_PAGE;
            ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &scroll));
            EXPECT_EQ(scroll.nMax - static_cast<int>(scroll.nPage) + 1, kFiles - 117 / 12);

            // Paint what is pending and read the first entry's check box off the screen: the tick
            // is drawn in the text colour, the background is the light face colour.
            UpdateWindow(list);
            RECT item;
            SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
            const HDC dc = GetDC(list);
            int dark = 0;
            for (int y = item.top; y < item.bottom; ++y)
                for (int x = item.left; x < item.left + 14; ++x)
                    if (const COLORREF c = GetPixel(dc, x, y); GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++dark;
            ReleaseDC(list, dc);
            EXPECT_GT(dark, 4);

            // The light face colour changes while the dialog is open (a high-contrast scheme): the
            // list's background follows at once.
            if (opening == 0) {
                const int element = COLOR_3DLIGHT;
                const COLORREF saved = GetSysColor(element);
                const COLORREF navy = RGB(0, 0, 128);
                SetSysColors(1, &element, &navy);
                SendMessageW(dialog.Handle(), WM_SYSCOLORCHANGE, 0, 0);
                UpdateWindow(list);
                RECT second;
                SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
                const HDC now = GetDC(list);
                const COLORREF background = GetPixel(now, second.right - 3, second.top + 1);
                ReleaseDC(list, now);
                SetSysColors(1, &element, &saved);
                SendMessageW(dialog.Handle(), WM_SYSCOLORCHANGE, 0, 0);
                EXPECT_EQ(background, navy);
            }

            SendMessageW(list, WM_VSCROLL, SB_BOTTOM, 0);
            EXPECT_EQ(SendMessageW(list, LB_GETTOPINDEX, 0, 0), kFiles - 117 / 12);
            PostKey(dialog.Handle(), VK_ESCAPE);
        });
        dialog.Open(L"txt", TargetMode::ByExtension);
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(dialog.CheckListBox1.Item(kFiles - 1).size(), 9u);
}

// Indexes past 65,535 do not fit the 16 bits a list box's own hit test answers.
TEST_F(BatchDialog, ClicksAndTheSpaceBarToggleTheEntryAtAnyIndex) {
    TForm2 dialog(opener);
    CheckListBox& list = dialog.CheckListBox1;
    constexpr int kEntries = 70000;
    ModalScript script;
    script.Then([&] {
        std::vector<std::wstring> names;
        for (int i = 0; i < kEntries; ++i) names.push_back(L"f" + std::to_wstring(i) + L".txt");
        list.Assign(std::move(names), true);
        SendMessageW(list.Handle(), LB_SETTOPINDEX, 65540, 0);
        ClickCheckBox(dialog, 0);
        ClickCheckBox(dialog, 2);
        script.Then([&] {
            list.SetFocus();
            SendMessageW(list.Handle(), LB_SETCURSEL, kEntries - 1, 0);
            PostKey(list.Handle(), VK_SPACE);
            script.Then([&] { PostKey(dialog.Handle(), VK_ESCAPE); });
        });
    });
    dialog.Open(L"txt", TargetMode::ByExtension);
    ASSERT_TRUE(script.Done());
    ASSERT_EQ(list.Count(), kEntries);
    std::vector<int> unchecked;
    for (int i = 0; i < kEntries; ++i)
        if (!list.Checked(i)) unchecked.push_back(i);
    EXPECT_EQ(unchecked, (std::vector<int>{65540, 65542, kEntries - 1}));
}

// The events a screen reader hears of the check list: (event, child identifier).
std::vector<std::pair<DWORD, long>> heardEvents;

void CALLBACK HearEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) heardEvents.emplace_back(event, child);
}

// What a screen reader reads of the list: the object the list serves for its window, with one
// child per entry (identifier = index + 1), named by its text, checked or not, toggled by its
// default action, also past 65,535; the entry with the caret and a changed check are announced.
TEST_F(BatchDialog, ScreenReadersReadEveryEntryWithItsCheckAndToggleIt) {
    folder.AddFile(L"a.txt");
    folder.AddFile(L"a.bak");  // a.txt will keep its name: the new name is taken
    TForm2 dialog(opener);
    CheckListBox& list = dialog.CheckListBox1;
    opener.folder = folder.Path();
    constexpr int kEntries = 70000;
    const auto child = [](long id) {
        VARIANT v;
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    };
    ModalScript script;
    script.Then([&] {
        IAccessible* object = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(list.Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&object)),
                  S_OK);
        ASSERT_TRUE(object);
        long count = 0;
        EXPECT_EQ(object->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, 1);
        VARIANT role;
        EXPECT_EQ(object->get_accRole(child(CHILDID_SELF), &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_LIST);
        EXPECT_EQ(object->get_accRole(child(1), &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM);
        BSTR text = nullptr;
        ASSERT_EQ(object->get_accName(child(1), &text), S_OK);
        EXPECT_STREQ(text, L"a.txt");
        SysFreeString(text);
        ASSERT_EQ(object->get_accDescription(child(1), &text), S_OK);  // shown dimmed: said so
        EXPECT_STREQ(text, L"新しい名前が使われているため、名前は変わりません");
        SysFreeString(text);
        EXPECT_EQ(object->get_accName(child(2), &text), E_INVALIDARG);

        std::vector<std::wstring> names;
        for (int i = 0; i < kEntries; ++i) names.push_back(L"f" + std::to_wstring(i) + L".txt");
        list.Assign(std::move(names), true);
        EXPECT_EQ(object->get_accChildCount(&count), S_OK);
        EXPECT_EQ(count, kEntries);
        ASSERT_EQ(object->get_accName(child(65542), &text), S_OK);
        EXPECT_STREQ(text, L"f65541.txt");
        SysFreeString(text);
        VARIANT state;
        ASSERT_EQ(object->get_accState(child(65542), &state), S_OK);
        EXPECT_TRUE(state.lVal & STATE_SYSTEM_CHECKED);
        EXPECT_TRUE(state.lVal & STATE_SYSTEM_OFFSCREEN);  // far below the view
        ASSERT_EQ(object->get_accDefaultAction(child(65542), &text), S_OK);
        EXPECT_STREQ(text, L"チェックを外す");
        SysFreeString(text);
        // The dialog's summary and count lines are read as text.
        IAccessible* form = nullptr;
        ASSERT_EQ(AccessibleObjectFromWindow(dialog.Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&form)),
                  S_OK);
        std::vector<std::wstring> texts;
        long elements = 0;
        form->get_accChildCount(&elements);
        for (long id = 1; id <= elements; ++id) {
            VARIANT role;
            if (form->get_accRole(child(id), &role) != S_OK || role.lVal != ROLE_SYSTEM_STATICTEXT) continue;
            BSTR line = nullptr;
            if (form->get_accName(child(id), &line) == S_OK) texts.emplace_back(line, SysStringLen(line));
            SysFreeString(line);
        }
        form->Release();
        EXPECT_NE(std::find(texts.begin(), texts.end(), dialog.Label2.Caption()), texts.end());
        EXPECT_NE(std::find(texts.begin(), texts.end(), L"1個のファイルの拡張子を変更します。"), texts.end());

        const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, nullptr, HearEvent,
                                                   GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        heardEvents.clear();
        EXPECT_EQ(object->accDoDefaultAction(child(65542)), S_OK);
        EXPECT_FALSE(list.Checked(65541));
        ASSERT_EQ(object->get_accState(child(65542), &state), S_OK);
        EXPECT_FALSE(state.lVal & STATE_SYSTEM_CHECKED);
        ASSERT_EQ(object->get_accDefaultAction(child(65542), &text), S_OK);
        EXPECT_STREQ(text, L"チェックする");
        SysFreeString(text);

        // The entry in view under a point is the child found there, and its place is that point's.
        SendMessageW(list.Handle(), LB_SETTOPINDEX, 65540, 0);
        list.SetFocus();
        list.Select(65541);
        // Heard through the queue of this thread.
        MSG message;
        for (int round = 0; round < 5; ++round) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(10);
        }
        UnhookWinEvent(hook);
        EXPECT_NE(std::find(heardEvents.begin(), heardEvents.end(), std::make_pair(DWORD{EVENT_OBJECT_STATECHANGE}, 65542L)),
                  heardEvents.end());
        EXPECT_NE(std::find(heardEvents.begin(), heardEvents.end(), std::make_pair(DWORD{EVENT_OBJECT_FOCUS}, 65542L)),
                  heardEvents.end());
        long left = 0, top = 0, width = 0, height = 0;
        ASSERT_EQ(object->accLocation(&left, &top, &width, &height, child(65542)), S_OK);
        EXPECT_EQ(height, 12);
        VARIANT hit;
        ASSERT_EQ(object->accHitTest(left + 3, top + 3, &hit), S_OK);
        EXPECT_EQ(hit.vt, VT_I4);
        EXPECT_EQ(hit.lVal, 65542);
        VARIANT focused;
        ASSERT_EQ(object->get_accFocus(&focused), S_OK);
        EXPECT_EQ(focused.lVal, 65542);
        ASSERT_EQ(object->get_accState(child(65542), &state), S_OK);
        EXPECT_EQ(state.lVal & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_OFFSCREEN),
                  STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED);
        object->Release();
        PostKey(dialog.Handle(), VK_ESCAPE);
    });
    dialog.Open(L"txt", TargetMode::ByExtension);
    EXPECT_TRUE(script.Done());
}

int OuterHeight(const TForm2& dialog) {
    RECT rect;
    GetWindowRect(dialog.Handle(), &rect);
    return rect.bottom - rect.top;
}

TEST_F(BatchDialog, DetailsFollowTheStoredFlag) {
    // The very first opening, nothing stored yet: expanded, and the flag 1 is what gets stored.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"Meisai");
    {
        TForm2 dialog(opener);
        EXPECT_EQ(dialog.Details(), 1);
        EXPECT_EQ(OuterHeight(dialog), 254);
        PostKey(dialog.Handle(), VK_ESCAPE);
        dialog.Open(L"txt", TargetMode::ByExtension);
        EXPECT_EQ(MeisaiGuard::Stored(), L"1");
    }
    MeisaiGuard::Store(L"0");
    {
        TForm2 dialog(opener);
        EXPECT_EQ(dialog.Details(), 0);
        EXPECT_EQ(OuterHeight(dialog), 117);
        dialog.Button3Click();
        EXPECT_EQ(OuterHeight(dialog), 254);
        EXPECT_EQ(dialog.Details(), 1);
        // The details state is written at every close, also after a cancel.
        PostKey(dialog.Handle(), VK_ESCAPE);
        dialog.Open(L"txt", TargetMode::ByExtension);
        EXPECT_EQ(MeisaiGuard::Stored(), L"1");
    }
    {
        TForm2 dialog(opener);
        EXPECT_EQ(OuterHeight(dialog), 254);
        PostButtonClick(dialog.Button3.Handle());
        PostKey(dialog.Handle(), VK_ESCAPE);
        dialog.Open(L"txt", TargetMode::ByExtension);
        EXPECT_EQ(OuterHeight(dialog), 117);
        EXPECT_EQ(MeisaiGuard::Stored(), L"0");
    }
    // Another number starts collapsed and keeps the number until the first toggle.
    MeisaiGuard::Store(L"5");
    TForm2 dialog(opener);
    EXPECT_EQ(dialog.Details(), 5);
    EXPECT_EQ(OuterHeight(dialog), 117);
    dialog.Button3Click();
    EXPECT_EQ(dialog.Details(), 0);
    EXPECT_EQ(OuterHeight(dialog), 117);
    dialog.Button3Click();
    EXPECT_EQ(dialog.Details(), 1);
    EXPECT_EQ(OuterHeight(dialog), 254);
}

TEST_F(BatchDialog, MatchesTheDesignedLayout) {
    TForm2 dialog(opener);
    RECT client;
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.right, 402);
    EXPECT_EQ(OuterHeight(dialog), 254);

    const auto expectAt = [](HWND control, int left, int top, int width, int height) {
        const RECT r = RectInParent(control);
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right - r.left, width);
        EXPECT_EQ(r.bottom - r.top, height);
    };
    expectAt(dialog.Button2.Handle(), 313, 8, 80, 23);
    expectAt(dialog.Button1.Handle(), 313, 34, 80, 23);
    expectAt(dialog.Button3.Handle(), 313, 60, 80, 23);
    expectAt(dialog.CheckListBox1.Handle(), 8, 103, 385, 117);
    expectAt(dialog.ProgressBar1.Handle(), 56, 65, 248, 17);
    EXPECT_EQ(dialog.Label2.Left(), 56);
    EXPECT_EQ(dialog.Label2.Top(), 16);
    EXPECT_EQ(dialog.Label1.Top(), 32);
    EXPECT_EQ(dialog.Label3.Top(), 48);
    EXPECT_EQ(dialog.Image1.Left(), 11);
    EXPECT_EQ(dialog.Bevel1.Top(), 93);

    EXPECT_EQ(dialog.Caption(), L"一括変換");
    EXPECT_EQ(dialog.Button1.Caption(), L"ｷｬﾝｾﾙ(&C)");
    EXPECT_EQ(dialog.Button2.Caption(), L"変換(&O)");
    EXPECT_EQ(dialog.Button3.Caption(), L"詳細(&D)");
    const LONG style = GetWindowLongW(dialog.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongW(dialog.Button1.Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongW(dialog.CheckListBox1.Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(SendMessageW(dialog.CheckListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0), 12);

    LOGFONTW font{};
    GetObjectW(dialog.Font(), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"ＭＳ Ｐゴシック");
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    GetObjectW(dialog.Label2.Font(), sizeof font, &font);
    EXPECT_EQ(font.lfWeight, FW_BOLD);

    // Tab order: Button1, Button2, Button3, the list.
    ModalScript script;
    script.Then([&] {
        std::vector<HWND> order{GetNextDlgTabItem(dialog.Handle(), nullptr, FALSE)};
        for (int i = 0; i < 3; ++i) order.push_back(GetNextDlgTabItem(dialog.Handle(), order.back(), FALSE));
        EXPECT_EQ(order, (std::vector<HWND>{dialog.Button1.Handle(), dialog.Button2.Handle(),
                                            dialog.Button3.Handle(), dialog.CheckListBox1.Handle()}));
        // Centred on the screen.
        RECT outer;
        GetWindowRect(dialog.Handle(), &outer);
        EXPECT_NEAR(outer.left + (outer.right - outer.left) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
        EXPECT_NEAR(outer.top + (outer.bottom - outer.top) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
        PostKey(dialog.Handle(), VK_ESCAPE);
    });
    dialog.Open(L"txt", TargetMode::ByExtension);
    EXPECT_TRUE(script.Done());
}

TEST_F(BatchDialog, AtEveryScaleTheListIsReadableAndNothingOverlaps) {
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) folder.AddFile(name);
    opener.folder = folder.Path();
    TForm2 dialog(opener);
    // The client heights of the two details states at design size (their outer heights are
    // designed, the frame is the system's).
    RECT client;
    GetClientRect(dialog.Handle(), &client);
    const int expanded = client.bottom;
    dialog.Button3Click();
    GetClientRect(dialog.Handle(), &client);
    const int collapsed = client.bottom;
    dialog.Button3Click();
    for (const int dpi : {120, 144, 192}) {
        SCOPED_TRACE(dpi);
        test::SendDpiChange(dialog.Handle(), 96, dpi);
        GetClientRect(dialog.Handle(), &client);
        EXPECT_TRUE(test::IsScaled(client.right, 402, dpi));
        EXPECT_TRUE(test::IsScaled(client.bottom, expanded, dpi));
        const RECT list = RectInParent(dialog.CheckListBox1.Handle());
        EXPECT_TRUE(test::IsScaled(list.left, 8, dpi));
        EXPECT_TRUE(test::IsScaled(list.top, 103, dpi));
        EXPECT_TRUE(test::IsScaled(list.right - list.left, 385, dpi));
        EXPECT_LE(list.bottom, client.bottom);
        const RECT convert = RectInParent(dialog.Button2.Handle());
        EXPECT_TRUE(test::IsScaled(convert.left, 313, dpi));
        EXPECT_TRUE(test::IsScaled(convert.bottom - convert.top, 23, dpi));

        ModalScript script;
        script.Then([&] {
            // Each entry as tall as a line of the font at least, never less than designed.
            const int line = static_cast<int>(SendMessageW(dialog.CheckListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0));
            EXPECT_GE(line, test::FontHeight(dialog.CheckListBox1.Font()));
            EXPECT_GE(line, 12 * dpi / 96);
            // The three lines of text one below the other, left of the buttons, above the rule.
            for (const Label* label : {&dialog.Label2, &dialog.Label1, &dialog.Label3})
                EXPECT_LT(label->Left() + label->Width(), convert.left) << label->Caption().size();
            EXPECT_LE(dialog.Label2.Top() + dialog.Label2.Height(), dialog.Label1.Top());
            EXPECT_LE(dialog.Label1.Top() + dialog.Label1.Height(), dialog.Label3.Top());
            EXPECT_LE(dialog.Label3.Top() + dialog.Label3.Height(), dialog.Bevel1.Top());
            LOGFONTW font{};
            GetObjectW(dialog.Label2.Font(), sizeof font, &font);
            EXPECT_EQ(font.lfWeight, FW_BOLD);
            EXPECT_EQ(font.lfHeight, -MulDiv(9, dpi, 72));
            // The details toggle keeps the designed proportions.
            dialog.Button3Click();
            RECT shown;
            GetClientRect(dialog.Handle(), &shown);
            EXPECT_TRUE(test::IsScaled(shown.bottom, collapsed, dpi));
            dialog.Button3Click();
            PostKey(dialog.Handle(), VK_ESCAPE);
        });
        dialog.Open(L"txt", TargetMode::ByExtension);
        EXPECT_TRUE(script.Done());
        EXPECT_EQ(dialog.CheckListBox1.Count(), 3);
        test::SendDpiChange(dialog.Handle(), dpi, 96);
    }
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.right, 402);
    EXPECT_EQ(client.bottom, expanded);
    EXPECT_EQ(OuterHeight(dialog), 254);
    EXPECT_EQ(SendMessageW(dialog.CheckListBox1.Handle(), LB_GETITEMHEIGHT, 0, 0), 12);
    const RECT list = RectInParent(dialog.CheckListBox1.Handle());
    EXPECT_EQ(list.left, 8);
    EXPECT_EQ(list.top, 103);
    EXPECT_EQ(list.right, 393);
    EXPECT_EQ(list.bottom, 220);
}

TEST_F(BatchDialog, SettingsErrorsReachTheErrorBox) {
    const DWORD number = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kProgramKey, L"Meisai", REG_DWORD, &number, sizeof number);
    ErrorBoxCatcher catcher;
    TForm2 dialog(opener);
    // Creation went on without the flag: the designed height and details state.
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes()[0].Caption, L"Morvane");
    EXPECT_EQ(catcher.Boxes()[0].Text, L"'Meisai' のﾃﾞｰﾀ型が不正です.");
    EXPECT_EQ(dialog.Details(), 1);
    RECT client;
    GetClientRect(dialog.Handle(), &client);
    EXPECT_EQ(client.bottom, 227);
}

}  // namespace
}  // namespace morvane
