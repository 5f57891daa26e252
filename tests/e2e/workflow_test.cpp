// Whole runs of Morvane.exe as a user has them: the program started as a process, driven with real
// clicks and keys at the places its windows report, and judged by what it leaves on disk and in
// the registry and by what its windows show.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "common/registry_backup.h"
#include "common/temp_folder.h"
#include "e2e/driver.h"
#include "e2e/morvane_windows.h"

namespace morvane::e2e {
namespace {

using test::PutRegistryText;
using test::RegistryBackup;
using test::RegistryText;
using test::NamesInFolder;
using test::RemoveTree;
using test::ReadFileBytes;
using test::RemoveTree;
using test::TempFolder;

constexpr wchar_t kSettingsKey[] = L"Halvik\\Morvane";
constexpr wchar_t kFolderMenuKey[] = L"Folder\\shell\\extention";

std::wstring Stored(const wchar_t* name) { return RegistryText(HKEY_CURRENT_USER, kSettingsKey, name); }

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The last path element, as the tree shows a folder.
std::wstring LastName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

// Opens the properties menu and takes its picture once it has settled, its first entry selected
// (the menu stays open).
std::vector<COLORREF> PropertiesMenuPicture(const Program& program, const MainWindow& window) {
    window.Press(kPropertiesButton);
    const HWND menu = program.WaitForWindow(L"#32768", 5000);
    if (!menu) return {};
    PressKey(VK_HOME);
    std::vector<COLORREF> picture, before;
    int same = 0;
    WaitUntil(
        [&] {
            PaintNow(menu);
            before = std::move(picture);
            picture = ScreenPixels(ScreenRect(menu));
            same = (!picture.empty() && picture == before) ? same + 1 : 0;
            return same >= 3;
        },
        3000);
    return picture;
}

// The journal of the last batch that the program keeps for its undo, where the user's own is.
std::wstring JournalPath() {
    wchar_t folder[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::wstring(folder) + L"\\Morvane\\last-batch";
}

// Sets the user's journal, its summary and the history of earlier batches aside for a run and puts
// them back afterwards: a run's Ctrl+Z must meet only the batches of that run.
class JournalBackup {
public:
    JournalBackup() {
        const std::wstring journal = JournalPath();
        const std::wstring folder = journal.substr(0, journal.rfind(L'\\'));
        for (const std::wstring& path : {journal, journal + L".summary", folder + L"\\history"}) {
            Aside aside{path, path + L".e2e"};
            RemoveTree(aside.Saved);
            DeleteFileW(aside.Saved.c_str());
            aside.Moved = MoveFileExW(path.c_str(), aside.Saved.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
            asides_.push_back(aside);
        }
    }
    ~JournalBackup() {
        for (const Aside& aside : asides_) {
            RemoveTree(aside.Path);
            DeleteFileW(aside.Path.c_str());
            if (aside.Moved) MoveFileW(aside.Saved.c_str(), aside.Path.c_str());
        }
    }
    JournalBackup(const JournalBackup&) = delete;
    JournalBackup& operator=(const JournalBackup&) = delete;

private:
    struct Aside {
        std::wstring Path;
        std::wstring Saved;
        bool Moved = false;
    };
    std::vector<Aside> asides_;
};

class EndToEnd : public ::testing::Test {
protected:
    EndToEnd() {
        // The program runs from a folder of its own, so that the favourites file it keeps beside
        // itself goes away with that folder.
        const std::wstring built = PathFromThisProgram(MORVANE_PROGRAM_FROM_TESTS);
        program_ = programFolder_.PathOf(L"Morvane.exe");
        EXPECT_TRUE(CopyFileW(built.c_str(), program_.c_str(), TRUE)) << "no program at the built place";
    }

    // Starts the program and waits for its main window.
    std::unique_ptr<Program> Start(const std::wstring& arguments) {
        auto program = std::make_unique<Program>(program_, arguments);
        // A run that failed leaves a picture of the screen as it was beside the test program.
        program->BeforeEnd = [] {
            if (!HasFailure()) return;
            const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
            const std::string name = test ? test->name() : "run";
            const std::wstring path =
                PathFromThisProgram(L"e2e-failed-" + std::wstring(name.begin(), name.end()) + L".bmp");
            if (SaveScreenshot(path)) std::printf("the screen at the failure: %ls\n", path.c_str());
        };
        form_ = program->WaitForWindow(L"TForm1", 20000);
        return program;
    }

    // Closes the program with its exit button and waits for it to end.
    static ::testing::AssertionResult Exit(Program& program, const MainWindow& window) {
        window.Press(kExitButton);
        if (!program.WaitForExit(10000)) return ::testing::AssertionFailure() << "the program did not end";
        if (program.ExitCode() != 0) return ::testing::AssertionFailure() << "exit code " << program.ExitCode();
        return ::testing::AssertionSuccess();
    }

    // What the program changes outside its own folder is set aside here and put back at the end.
    RegistryBackup settings_{HKEY_CURRENT_USER, L"Halvik"};
    RegistryBackup folderMenu_{HKEY_CLASSES_ROOT, kFolderMenuKey};
    // Every run meets only its own batches and leaves the user's as they were.
    JournalBackup journal_;
    TempFolder programFolder_{L"_program"};
    std::wstring program_;
    HWND form_ = nullptr;
};

// Browse to a folder in the tree, take the target from a clicked file, type the new extension,
// convert in the batch dialog; switch the view, the target mode and the start-up folder; then
// close and start again with everything as it was left.
TEST_F(EndToEnd, ConvertABatchAndFindEverythingAgainAtTheNextStart) {
    TempFolder root(L" e2e");
    const std::wstring work = root.PathOf(L"作業");
    root.AddFolder(L"作業");
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.TXT", L"b.md", L"notes.doc", L"readme"})
        root.AddFile(std::wstring(L"作業\\") + name);
    root.AddFolder(L"作業\\old.txt");

    RECT placement{};
    {
        auto program = Start(L"\"" + root.Path() + L"\"");
        ASSERT_TRUE(form_) << "no main window";
        const MainWindow window(form_);
        // The first run: the defaults, the folder of the command line.
        EXPECT_EQ(Text(window.Target), L"すべて");
        EXPECT_EQ(Text(window.NewExtension), L"AIFF");
        EXPECT_EQ(ListViewStyle(window.List), static_cast<DWORD>(LVS_REPORT));
        EXPECT_EQ(window.SelectedFolder(), LastName(root.Path()));
        ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"作業"); }));

        // Into the folder by the tree.
        ASSERT_TRUE(window.ClickChildFolder(L"作業"));
        ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"a.txt"); })) << "the list did not show the folder";
        EXPECT_EQ(window.SelectedFolder(), L"作業");
        EXPECT_EQ(ListCount(window.List), 7);

        // A click on a file makes its extension the target.
        window.ClickItem(L"a.txt");
        EXPECT_TRUE(WaitUntil([&] { return Text(window.Target) == L"txt"; }));
        EXPECT_EQ(StatusText(window.Status, 0), L"1個のｵﾌﾞｼﾞｪｸﾄを選択");
        EXPECT_EQ(StatusText(window.Status, 1), L"対象を[txt]に変更しました。");

        window.TypeInto(window.NewExtension, L"md");
        EXPECT_TRUE(WaitUntil([&] { return Text(window.NewExtension) == L"md"; }));

        // The batch: every file with the extension, whatever its case; the folder is not one.
        window.Press(kBatchConvertButton);
        const HWND dialog = program->WaitForWindow(L"TForm2");
        ASSERT_TRUE(dialog) << "no batch dialog";
        const HWND matches = Descendants(dialog, L"ListBox").at(0);
        // Read as a screen reader reads them: every entry named, checked.
        const std::vector<AccessibleEntry> entries = AccessibleEntries(matches);
        std::vector<std::wstring> listed;
        for (const AccessibleEntry& entry : entries) {
            listed.push_back(entry.Name);
            EXPECT_TRUE(entry.Checked) << "unchecked: " << testing::PrintToString(entry.Name);
        }
        std::sort(listed.begin(), listed.end());
        EXPECT_EQ(listed, (std::vector<std::wstring>{L"a.txt", L"b.txt", L"c.TXT"}));
        const HWND convert = DescendantWithText(dialog, L"Button", L"変換(&O)");
        ASSERT_TRUE(convert);
        Click(Center(ScreenRect(convert)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); })) << "the batch dialog stayed";

        // On disk: renamed, except where the new name was taken (that file keeps its name).
        EXPECT_EQ(NamesInFolder(work), (std::vector<std::wstring>{L"a.md", L"b.md", L"b.txt", L"c.md", L"notes.doc",
                                                            L"old.txt", L"readme"}));
        // The list was read again.
        EXPECT_TRUE(WaitUntil([&] { return window.Lists(L"a.md") && window.Lists(L"c.md"); }));
        EXPECT_FALSE(window.Lists(L"a.txt"));
        EXPECT_FALSE(window.Lists(L"c.TXT"));

        // The list style, from the view menu.
        window.Press(kViewButton);
        ASSERT_TRUE(ChooseFromMenu(*program, 2));  // 一覧(&L)
        EXPECT_TRUE(WaitUntil([&] { return ListViewStyle(window.List) == LVS_LIST; }));

        // Targets by wildcard: a click now gives a mask.
        window.OpenTargetMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 3));  // ﾜｲﾙﾄﾞｶｰﾄﾞで指定
        EXPECT_EQ(Text(window.Target), L"txt");  // the mode alone changes no text
        window.ClickItem(L"notes.doc");
        EXPECT_TRUE(WaitUntil([&] { return Text(window.Target) == L"*.doc"; }));
        EXPECT_EQ(StatusText(window.Status, 1), L"対象を[*.doc]に変更しました。");

        // This folder becomes the start-up folder; then the user goes up one folder.
        window.Press(kPropertiesButton);
        ASSERT_TRUE(ChooseFromMenu(*program, 0, 2));  // 起動時のディレクトリ > 現在のディレクトリに設定
        window.Press(kPropertiesButton);
        ASSERT_TRUE(ChooseFromMenu(*program, 0, 1));  // 起動時のディレクトリ > 指定したディレクトリ
        ASSERT_TRUE(window.ClickParentFolder());
        EXPECT_TRUE(WaitUntil([&] { return window.SelectedFolder() == LastName(root.Path()); }));
        EXPECT_TRUE(WaitUntil([&] { return window.Lists(L"作業") && !window.Lists(L"a.md"); }));

        EXPECT_EQ(ErrorBoxText(*program), L"");
        placement = ScreenRect(form_);
        ASSERT_TRUE(Exit(*program, window));
    }
    EXPECT_EQ(Stored(L"Directory"), root.Path());
    EXPECT_EQ(Stored(L"ExtFrom"), L"*.doc");
    EXPECT_EQ(Stored(L"ExtTo"), L"md");
    EXPECT_EQ(Stored(L"FileView"), L"2");
    EXPECT_EQ(Stored(L"Wild"), L"0");
    EXPECT_EQ(Stored(L"FirstDirMode"), L"1");
    EXPECT_EQ(Stored(L"FirstDirectory"), work);

    // The next start, without a folder on the command line: the specified folder, not the last one.
    auto program = Start(L"");
    ASSERT_TRUE(form_) << "no main window at the second start";
    const MainWindow window(form_);
    const RECT again = ScreenRect(form_);
    EXPECT_TRUE(EqualRect(&again, &placement)) << "the window moved to " << again.left << "," << again.top;
    EXPECT_EQ(Text(window.Target), L"*.doc");
    EXPECT_EQ(Text(window.NewExtension), L"md");
    EXPECT_EQ(ListViewStyle(window.List), static_cast<DWORD>(LVS_LIST));
    EXPECT_EQ(window.SelectedFolder(), L"作業");
    ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"a.md"); }));
    // Still by wildcard.
    window.ClickItem(L"readme");
    EXPECT_TRUE(WaitUntil([&] { return Text(window.Target) == L"*"; }));
    // Any close stores the settings: here the keyboard's.
    PressKey(VK_F4, false, false, true);
    ASSERT_TRUE(program->WaitForExit(10000));
    EXPECT_EQ(Stored(L"ExtFrom"), L"*");
    EXPECT_EQ(Stored(L"Directory"), work);
    EXPECT_EQ(Stored(L"FirstDirMode"), L"1");
}

// On a screen at 150 % (the prefix's LogPixels, put back afterwards) the program starts aware of
// the scale: every window is its design scaled, the batch dialog's entries can be read, and the
// buttons are where their scaled places say.
TEST_F(EndToEnd, AtOneHundredFiftyPercentEveryWindowIsTheDesignScaledAndWorks) {
    RegistryBackup desktop(HKEY_CURRENT_USER, L"Control Panel\\Desktop");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    const DWORD logPixels = 144;
    RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&logPixels), sizeof logPixels);
    RegCloseKey(key);
    TempFolder root(L" e2e");
    root.AddFile(L"a.txt");
    root.AddFile(L"b.txt");

    auto program = Start(L"\"" + root.Path() + L"\"");
    ASSERT_TRUE(form_) << "no main window";
    const MainWindow window(form_);
    RECT client;
    GetClientRect(form_, &client);
    EXPECT_NEAR(client.right, 907.5, 1);
    EXPECT_NEAR(client.bottom, 435, 1);
    const RECT bar = ScreenRect(window.CommandBar);
    EXPECT_NEAR(bar.bottom - bar.top, 70.5, 1);
    EXPECT_NEAR(bar.right - bar.left, 472.5, 1);
    const RECT fields = ScreenRect(GetParent(window.FieldPanel));
    EXPECT_NEAR(fields.right - fields.left, 276, 1);
    ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"a.txt"); }));

    window.TypeInto(window.NewExtension, L"md");
    window.TypeInto(window.Target, L"txt");
    window.Press(kBatchConvertButton);
    const HWND dialog = program->WaitForWindow(L"TForm2");
    ASSERT_TRUE(dialog) << "no batch dialog";
    GetClientRect(dialog, &client);
    EXPECT_NEAR(client.right, 603, 1);
    const HWND matches = Descendants(dialog, L"ListBox").at(0);
    EXPECT_GE(SendMessageW(matches, LB_GETITEMHEIGHT, 0, 0), 18);
    EXPECT_EQ(AccessibleNames(matches), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
    const HWND convert = DescendantWithText(dialog, L"Button", L"変換(&O)");
    ASSERT_TRUE(convert);
    Click(Center(ScreenRect(convert)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); })) << "the batch dialog stayed";
    EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"a.md", L"b.md"}));
    EXPECT_EQ(ErrorBoxText(*program), L"");
    ASSERT_TRUE(Exit(*program, window));
}

// A folder with a blank in its name, handed over as the shell hands it and as two unquoted
// arguments; the folder-menu entry switched on and off; favourites appended from both fields,
// picked into both and deleted in the extension list.
TEST_F(EndToEnd, CommandLineFoldersTheFolderMenuAndFavourites) {
    TempFolder root;
    const std::wstring folder = root.PathOf(L"My Files");
    root.AddFolder(L"My Files");
    root.AddFile(L"My Files\\photo.jpeg");
    const std::wstring favourites = programFolder_.PathOf(L"Morvane.dat");
    ASSERT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderMenuKey));

    {
        // C:\...\My Files unquoted: two arguments, joined again with one blank.
        const size_t blank = folder.rfind(L' ');
        auto program = Start(folder.substr(0, blank) + L" " + folder.substr(blank + 1));
        ASSERT_TRUE(form_) << "no main window";
        const MainWindow window(form_);
        EXPECT_EQ(window.SelectedFolder(), L"My Files");
        ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"photo.jpeg"); })) << "the folder is not listed";

        // The folder menu: on, then off again. The menu's picture shows the check mark come and go.
        const std::vector<COLORREF> unchecked = PropertiesMenuPicture(*program, window);
        ASSERT_TRUE(ChooseFromMenu(*program, 1));  // ﾌｫﾙﾀﾞの右ｸﾘｯｸﾒﾆｭｰに追加
        EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, kFolderMenuKey, L""), L"拡張子一括変更(&E)");
        EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT, std::wstring(kFolderMenuKey) + L"\\command", L""),
                  L"\"" + program_ + L"\" \"%1\"");
        const std::vector<COLORREF> checked = PropertiesMenuPicture(*program, window);
        ASSERT_TRUE(ChooseFromMenu(*program, 1));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderMenuKey));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"Folder\\shell"));
        EXPECT_FALSE(checked.empty());
        EXPECT_TRUE(checked != unchecked) << "no check mark came";
        EXPECT_TRUE(PropertiesMenuPicture(*program, window) == unchecked) << "the check mark stayed";
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(WaitUntil([&] { return OpenMenu(*program) == nullptr; }));

        // Favourites appended from either field are stored at once.
        window.ClickItem(L"photo.jpeg");
        ASSERT_TRUE(WaitUntil([&] { return Text(window.Target) == L"jpeg"; }));
        window.OpenTargetMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 5));  // 現在の拡張子を追加
        // The menu closes before the program has handled the command.
        EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(favourites) == "jpeg\r\n"; }));
        window.TypeInto(window.NewExtension, L"jpg");
        ASSERT_TRUE(WaitUntil([&] { return Text(window.NewExtension) == L"jpg"; }));
        window.OpenNewExtensionMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 1));  // 現在の拡張子を追加
        EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(favourites) == "jpeg\r\njpg\r\n"; }));

        // Picked into the new-extension field: select the entry, then OK.
        window.OpenNewExtensionMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 0));  // 拡張子選択
        HWND dialog = program->WaitForWindow(L"TForm3");
        ASSERT_TRUE(dialog) << "no extension list";
        HWND entries = Descendants(dialog, L"ListBox").at(0);
        ASSERT_EQ(ListBoxCount(entries), 2);
        EXPECT_EQ(ListBoxText(entries, 0), L"jpeg");
        Click(Center(ListBoxItemScreenRect(entries, 0)));
        EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(entries) == 0; }));
        Click(ButtonCenter(dialog, kListOkButton));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
        EXPECT_TRUE(WaitUntil([&] { return Text(window.NewExtension) == L"jpeg"; }));

        // Into the target field; the selection of the last time is still there.
        window.OpenTargetMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 0));  // 拡張子選択
        ASSERT_TRUE(program->WaitForWindow(L"TForm3"));
        EXPECT_EQ(ListBoxSelection(entries), 0);
        Click(Center(ListBoxItemScreenRect(entries, 1)));
        Click(ButtonCenter(dialog, kListOkButton));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
        EXPECT_TRUE(WaitUntil([&] { return Text(window.Target) == L"jpg"; }));

        // Deleted, then CANCEL: the fields stay, and the shorter list is stored all the same.
        window.OpenTargetMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 0));
        ASSERT_TRUE(program->WaitForWindow(L"TForm3"));
        Click(Center(ListBoxItemScreenRect(entries, 0)));
        EXPECT_TRUE(WaitUntil([&] { return ListBoxSelection(entries) == 0; }));
        Click(ButtonCenter(dialog, kListDeleteButton));
        EXPECT_TRUE(WaitUntil([&] { return ListBoxCount(entries) == 1; }));
        Click(ButtonCenter(dialog, kListCancelButton));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
        EXPECT_EQ(ReadFileBytes(favourites), "jpg\r\n");
        EXPECT_EQ(Text(window.Target), L"jpg");
        EXPECT_EQ(Text(window.NewExtension), L"jpeg");

        EXPECT_EQ(ErrorBoxText(*program), L"");
        ASSERT_TRUE(Exit(*program, window));
    }
    // The folder of the command line is stored without the blank that ended it.
    EXPECT_EQ(Stored(L"Directory"), folder);

    // The way the shell's folder menu starts it: the folder as one quoted argument.
    PutRegistryText(HKEY_CURRENT_USER, kSettingsKey, L"Directory", root.Path());
    auto program = Start(L"\"" + folder + L"\"");
    ASSERT_TRUE(form_) << "no main window at the second start";
    const MainWindow window(form_);
    EXPECT_EQ(window.SelectedFolder(), L"My Files");
    EXPECT_TRUE(WaitUntil([&] { return window.Lists(L"photo.jpeg"); }));
    // The favourites file was read at start-up.
    window.OpenTargetMenu();
    ASSERT_TRUE(ChooseFromMenu(*program, 0));
    const HWND dialog = program->WaitForWindow(L"TForm3");
    ASSERT_TRUE(dialog);
    const HWND entries = Descendants(dialog, L"ListBox").at(0);
    EXPECT_EQ(ListBoxCount(entries), 1);
    EXPECT_EQ(ListBoxText(entries, 0), L"jpg");
    Click(ButtonCenter(dialog, kListCancelButton));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    ASSERT_TRUE(Exit(*program, window));
}

}  // namespace
}  // namespace morvane::e2e

namespace morvane::e2e {
namespace {

// A batch converted, the program closed and started again, and Ctrl+Z in the file list: after the
// confirmation the files have their names back. In a field Ctrl+Z is the field's own, and once
// everything is back it does nothing.
TEST_F(EndToEnd, UndoTheLastBatchAfterARestart) {
    TempFolder root;
    for (const wchar_t* name : {L"x.txt", L"y.txt", L"z.doc"}) root.AddFile(name);
    const std::wstring folderArgument = L"\"" + root.Path() + L"\"";
    {
        auto program = Start(folderArgument);
        ASSERT_TRUE(form_) << "no main window";
        const MainWindow window(form_);
        ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"x.txt"); }));
        window.TypeInto(window.Target, L"txt");
        window.TypeInto(window.NewExtension, L"bak");
        ASSERT_TRUE(WaitUntil([&] { return Text(window.NewExtension) == L"bak"; }));
        window.Press(kBatchConvertButton);
        const HWND dialog = program->WaitForWindow(L"TForm2");
        ASSERT_TRUE(dialog) << "no batch dialog";
        const HWND convert = DescendantWithText(dialog, L"Button", L"変換(&O)");
        ASSERT_TRUE(convert);
        Click(Center(ScreenRect(convert)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); })) << "the batch dialog stayed";
        EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"x.bak", L"y.bak", L"z.doc"}));
        ASSERT_TRUE(Exit(*program, window));
    }

    auto program = Start(folderArgument);
    ASSERT_TRUE(form_) << "no main window at the second start";
    const MainWindow window(form_);
    ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"x.bak"); }));

    window.TypeInto(window.Target, L"doc");
    PressKey('Z', true);
    EXPECT_FALSE(WaitUntil([&] { return !ErrorBoxText(*program).empty(); }, 1500)) << "undone from a field";
    EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"x.bak", L"y.bak", L"z.doc"}));

    window.ClickItem(L"z.doc");  // the list has the focus now
    PressKey('Z', true);
    ASSERT_TRUE(WaitUntil([&] { return !ErrorBoxText(*program).empty(); })) << "no confirmation";
    const std::wstring question = ErrorBoxText(*program);
    EXPECT_NE(question.find(root.Path()), std::wstring::npos);
    EXPECT_NE(question.find(L"ﾌｧｲﾙ: 2個"), std::wstring::npos);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] {
        return NamesInFolder(root.Path()) == std::vector<std::wstring>{L"x.txt", L"y.txt", L"z.doc"};
    }));
    EXPECT_TRUE(WaitUntil([&] { return window.Lists(L"x.txt") && window.Lists(L"y.txt"); }));
    EXPECT_EQ(StatusText(window.Status, 1), L"2個のﾌｧｲﾙを元に戻しました。");

    PressKey('Z', true);
    EXPECT_FALSE(WaitUntil([&] { return !ErrorBoxText(*program).empty(); }, 1500)) << "undone twice";
    ASSERT_TRUE(Exit(*program, window));
}


// A user without a mouse: Tab reaches the fields, Enter in the new-extension field opens the batch
// dialog and Alt+O converts; Tab goes on to the tree, where Ctrl+Z undoes the batch; the command
// toolbar is read as its buttons by a screen reader's call from this process, and its 終了 button is
// pressed from the keyboard.
TEST_F(EndToEnd, AKeyboardAloneConvertsUndoesAndExits) {
    TempFolder root;
    for (const wchar_t* name : {L"x.txt", L"y.txt"}) root.AddFile(name);
    auto program = Start(L"\"" + root.Path() + L"\"");
    ASSERT_TRUE(form_) << "no main window";
    const MainWindow window(form_);
    ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"x.txt"); }));
    const auto focus = [&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(form_, nullptr), &info);
        return info.hwndFocus;
    };
    const auto tabTo = [&](HWND stop) {
        for (int i = 0; i < 8 && focus() != stop; ++i) {
            PressKey(VK_TAB);
            Settle(form_);
        }
        return focus() == stop;
    };
    ASSERT_TRUE(tabTo(window.Target));
    TypeText(L"txt");  // over the whole text, which Tab selected
    ASSERT_TRUE(tabTo(window.NewExtension));
    TypeText(L"bak");
    ASSERT_TRUE(WaitUntil([&] { return Text(window.Target) == L"txt" && Text(window.NewExtension) == L"bak"; }));
    PressKey(VK_RETURN);
    const HWND dialog = program->WaitForWindow(L"TForm2");
    ASSERT_TRUE(dialog) << "Enter opened no batch dialog";
    PressKey('O', false, false, true);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); })) << "Alt+O did not convert";
    EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"x.bak", L"y.bak"}));

    ASSERT_TRUE(tabTo(window.Tree));
    PressKey('Z', true);
    ASSERT_TRUE(WaitUntil([&] { return !ErrorBoxText(*program).empty(); })) << "no confirmation";
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] {
        return NamesInFolder(root.Path()) == std::vector<std::wstring>{L"x.txt", L"y.txt"};
    }));

    EXPECT_EQ(AccessibleNames(window.CommandBar),
              (std::vector<std::wstring>{L"一括変換", L"表示", L"ﾌﾟﾛﾊﾟﾃｨ", L"ﾍﾙﾌﾟ", L"終了"}));
    ASSERT_TRUE(tabTo(window.CommandBar));
    PressKey(VK_END);
    PressKey(VK_RETURN);
    EXPECT_TRUE(program->WaitForExit(10000)) << "終了 did not end the program";
    EXPECT_EQ(program->ExitCode(), 0u);
}

}  // namespace
}  // namespace morvane::e2e

namespace morvane::e2e {
namespace {

// A folder dragged from the shell onto the window opens; a file dragged there opens its folder;
// the folder opened that way is the one remembered at the close.
TEST_F(EndToEnd, AFolderDraggedOntoTheWindowOpens) {
    TempFolder root(L"_ドロップ");
    root.AddFolder(L"写真");
    root.AddFile(L"写真\\photo.jpeg");
    root.AddFile(L"memo.txt");
    TempFolder start;
    auto program = Start(L"\"" + start.Path() + L"\"");
    ASSERT_TRUE(form_) << "no main window";
    const MainWindow window(form_);
    EXPECT_EQ(window.SelectedFolder(), LastName(start.Path()));
    const POINT shell{GetSystemMetrics(SM_CXSCREEN) - 70, GetSystemMetrics(SM_CYSCREEN) - 50};
    const POINT list = Center(ScreenRect(window.List));

    EXPECT_EQ(DragShellItem(root.PathOf(L"写真"), shell, list), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitUntil([&] { return window.SelectedFolder() == L"写真" && window.Lists(L"photo.jpeg"); }))
        << "the dropped folder did not open";
    EXPECT_EQ(DragShellItem(root.PathOf(L"memo.txt"), shell, Center(ScreenRect(window.Tree))),
              static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(WaitUntil([&] {
        return window.SelectedFolder() == LastName(root.Path()) && window.Lists(L"memo.txt");
    })) << "the dropped file's folder did not open";

    EXPECT_EQ(ErrorBoxText(*program), L"");
    ASSERT_TRUE(Exit(*program, window));
    EXPECT_EQ(Stored(L"Directory"), root.Path());
}

}  // namespace
}  // namespace morvane::e2e

namespace morvane::e2e {
namespace {

// ｻﾌﾞﾌｫﾙﾀﾞも含める checked through its menu: the batch converts the files of every folder of a
// small tree, Ctrl+Z puts them back in every folder, and the next start still takes the subfolders.
TEST_F(EndToEnd, ConvertATreeWithItsSubFoldersAndUndoIt) {
    TempFolder root(L"_ツリー");
    for (const wchar_t* folder : {L"写真", L"写真\\2024", L"資料"}) root.AddFolder(folder);
    for (const wchar_t* name : {L"top.JPG", L"写真\\a.JPG", L"写真\\2024\\b.JPG", L"資料\\c.JPG", L"資料\\keep.txt"})
        root.AddFile(name);
    const std::vector<std::wstring> tree{L"top.JPG", L"写真\\a.JPG", L"写真\\2024\\b.JPG", L"資料\\c.JPG"};
    const auto namesIn = [&](const wchar_t* folder) { return NamesInFolder(root.PathOf(folder)); };
    const std::wstring folderArgument = L"\"" + root.Path() + L"\"";
    {
        auto program = Start(folderArgument);
        ASSERT_TRUE(form_) << "no main window";
        const MainWindow window(form_);
        ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"top.JPG"); }));
        window.OpenTargetMenu();
        ASSERT_TRUE(ChooseFromMenu(*program, 4));  // ｻﾌﾞﾌｫﾙﾀﾞも含める
        window.TypeInto(window.Target, L"JPG");
        window.TypeInto(window.NewExtension, L"jpeg");
        ASSERT_TRUE(WaitUntil([&] { return Text(window.NewExtension) == L"jpeg"; }));

        window.Press(kBatchConvertButton);
        const HWND dialog = program->WaitForWindow(L"TForm2");
        ASSERT_TRUE(dialog) << "no batch dialog";
        EXPECT_EQ(AccessibleNames(Descendants(dialog, L"ListBox").at(0)), tree);
        const HWND convert = DescendantWithText(dialog, L"Button", L"変換(&O)");
        ASSERT_TRUE(convert);
        Click(Center(ScreenRect(convert)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); })) << "the batch dialog stayed";
        EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"top.jpeg", L"写真", L"資料"}));
        EXPECT_EQ(namesIn(L"写真"), (std::vector<std::wstring>{L"2024", L"a.jpeg"}));
        EXPECT_EQ(namesIn(L"写真\\2024"), std::vector<std::wstring>{L"b.jpeg"});
        EXPECT_EQ(namesIn(L"資料"), (std::vector<std::wstring>{L"c.jpeg", L"keep.txt"}));
        EXPECT_TRUE(WaitUntil([&] { return window.Lists(L"top.jpeg"); })) << "the list was not read again";

        // A folder clicked in the list changes no field and gives the list the focus for Ctrl+Z.
        window.ClickItem(L"写真");
        PressKey('Z', true);
        ASSERT_TRUE(WaitUntil([&] { return !ErrorBoxText(*program).empty(); })) << "no confirmation";
        EXPECT_NE(ErrorBoxText(*program).find(L"ﾌｧｲﾙ: 4個"), std::wstring::npos);
        PressKey(VK_RETURN);
        EXPECT_TRUE(WaitUntil([&] { return namesIn(L"写真\\2024") == std::vector<std::wstring>{L"b.JPG"}; }));
        EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"top.JPG", L"写真", L"資料"}));
        EXPECT_EQ(namesIn(L"写真"), (std::vector<std::wstring>{L"2024", L"a.JPG"}));
        EXPECT_EQ(namesIn(L"資料"), (std::vector<std::wstring>{L"c.JPG", L"keep.txt"}));
        EXPECT_TRUE(WaitUntil([&] { return StatusText(window.Status, 1) == L"4個のﾌｧｲﾙを元に戻しました。"; }));
        EXPECT_TRUE(WaitUntil([&] { return window.Lists(L"top.JPG"); }));
        ASSERT_TRUE(Exit(*program, window));
    }
    EXPECT_EQ(Stored(L"SubFolders"), L"1");

    // The next start takes the subfolders again.
    auto program = Start(folderArgument);
    ASSERT_TRUE(form_) << "no main window at the second start";
    const MainWindow window(form_);
    ASSERT_TRUE(WaitUntil([&] { return window.Lists(L"top.JPG"); }));
    window.Press(kBatchConvertButton);
    const HWND dialog = program->WaitForWindow(L"TForm2");
    ASSERT_TRUE(dialog) << "no batch dialog at the second start";
    EXPECT_EQ(AccessibleNames(Descendants(dialog, L"ListBox").at(0)), tree);
    Click(Center(ScreenRect(DescendantWithText(dialog, L"Button", L"ｷｬﾝｾﾙ(&C)"))));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }));
    EXPECT_EQ(ErrorBoxText(*program), L"");
    ASSERT_TRUE(Exit(*program, window));
    EXPECT_EQ(NamesInFolder(root.Path()), (std::vector<std::wstring>{L"top.JPG", L"写真", L"資料"}));
}

}  // namespace
}  // namespace morvane::e2e
