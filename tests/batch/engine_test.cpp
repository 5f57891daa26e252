#include "batch/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "batch/file_names.h"
#include "common/temp_folder.h"

namespace morvane {
namespace {

using test::TempFolder;

std::vector<std::wstring> NamesOf(const MatchList& list) {
    std::vector<std::wstring> names;
    for (const MatchEntry& entry : list) names.push_back(entry.Name);
    return names;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Keeps every call in order, so tests can check the whole conversation of a run.
struct RecordingSink : ProgressSink {
    std::vector<std::wstring> calls;
    int steps = 0;
    int stopAfter = -1;  // entries before Continue says stop; -1: never
    std::vector<std::pair<size_t, bool>> renamed;  // entry, outcome
    std::vector<std::pair<size_t, std::wstring>> temporaries;  // entry, the name told before the move
    void Start(int max) override { calls.push_back(L"start " + std::to_wstring(max)); }
    bool refuseTemporary = false;  // as a journal that cannot record it
    std::function<void()> onTemporary;  // runs when told, before the file moves
    bool MovingThrough(size_t entry, std::wstring_view temporary) override {
        temporaries.emplace_back(entry, temporary);
        if (onTemporary) onTemporary();
        return !refuseTemporary;
    }
    void Step() override {
        ++steps;
        calls.push_back(L"step");
    }
    void Renamed(size_t entry, bool succeeded) override { renamed.emplace_back(entry, succeeded); }
    bool Continue() override { return stopAfter < 0 || steps < stopAfter; }
    void Finish() override { calls.push_back(L"finish"); }
};

// A file of a unique name in the root of the current drive, which a search on an empty folder
// path would reach.
class RootProbe {
public:
    RootProbe() {
        wchar_t current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        root_ = std::wstring(current, 3);  // "C:\"
        name_ = L"morvane-root-probe-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        const HANDLE file = CreateFileW((root_ + name_).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a file in the drive root";
        CloseHandle(file);
    }
    ~RootProbe() {
        DeleteFileW((root_ + name_).c_str());
        DeleteFileW(NewFileName(root_ + name_, L"bak").c_str());
    }
    const std::wstring& Root() const { return root_; }
    const std::wstring& Name() const { return name_; }
    bool Exists(std::wstring_view name) const {
        return GetFileAttributesW((root_ + std::wstring(name)).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

private:
    std::wstring root_;
    std::wstring name_;
};

TEST(SearchMask, FollowsModeAndAllFilesKeyword) {
    EXPECT_EQ(BuildSearchMask(L"すべて", TargetMode::ByExtension), L"*.*");
    EXPECT_EQ(BuildSearchMask(L"すべて", TargetMode::ByWildcard), L"*.*");
    EXPECT_EQ(BuildSearchMask(L"txt", TargetMode::ByExtension), L"*.txt");
    EXPECT_EQ(BuildSearchMask(L"", TargetMode::ByExtension), L"*.");
    EXPECT_EQ(BuildSearchMask(L"*.txt", TargetMode::ByWildcard), L"*.txt");
    EXPECT_EQ(BuildSearchMask(L"a*.d?t", TargetMode::ByWildcard), L"a*.d?t");
    EXPECT_EQ(BuildSearchMask(L"txt", TargetMode::ByWildcard), L"txt");
    // The keyword is matched whole and exactly: no trimming, no prefix.
    EXPECT_EQ(BuildSearchMask(L" すべて", TargetMode::ByExtension), L"*. すべて");
    EXPECT_EQ(BuildSearchMask(L"すべてx", TargetMode::ByWildcard), L"すべてx");
}

TEST(JoinFolderPath, PutsExactlyOneSeparator) {
    EXPECT_EQ(JoinFolderPath(L"C:\\", L"*.txt"), L"C:\\*.txt");
    EXPECT_EQ(JoinFolderPath(L"C:\\", L"a.txt"), L"C:\\a.txt");
    EXPECT_EQ(JoinFolderPath(L"C:\\d", L"a.txt"), L"C:\\d\\a.txt");
    EXPECT_EQ(JoinFolderPath(L"C:\\d\\", L"a.txt"), L"C:\\d\\a.txt");
    // 表 and ソ end in the byte 0x5C in Shift-JIS; they are not separators.
    EXPECT_EQ(JoinFolderPath(L"C:\\データ表", L"*.txt"), L"C:\\データ表\\*.txt");
    EXPECT_EQ(JoinFolderPath(L"C:\\ソ", L"a.txt"), L"C:\\ソ\\a.txt");
}

TEST(NewFileName, ReplacesOnlyTheLastExtensionOfTheName) {
    EXPECT_EQ(NewFileName(L"C:\\d\\a.txt", L"bak"), L"C:\\d\\a.bak");
    EXPECT_EQ(NewFileName(L"C:\\d\\a.tar.gz", L"bak"), L"C:\\d\\a.tar.bak");
    EXPECT_EQ(NewFileName(L"C:\\d\\readme", L"bak"), L"C:\\d\\readme.bak");
    EXPECT_EQ(NewFileName(L"C:\\d.x\\readme", L"bak"), L"C:\\d.x\\readme.bak");
    EXPECT_EQ(NewFileName(L"C:\\d\\.profile", L"bak"), L"C:\\d\\.bak");
    EXPECT_EQ(NewFileName(L"C:\\d\\a.txt", L""), L"C:\\d\\a.");
    EXPECT_EQ(NewFileName(L"C:\\d\\a.txt", L".bak"), L"C:\\d\\a..bak");
    EXPECT_EQ(NewFileName(L"C:\\データ表\\ソ", L"bak"), L"C:\\データ表\\ソ.bak");
    EXPECT_EQ(NewFileName(L"C:\\データ表\\一覧.表", L"ソ"), L"C:\\データ表\\一覧.ソ");
    EXPECT_EQ(NewFileName(L"C:readme", L"bak"), L"C:readme.bak");
}

TEST(TargetFromFile, DerivesExtensionOrWildcard) {
    struct Row {
        const wchar_t* path;
        const wchar_t* byExtension;
        const wchar_t* byWildcard;
    };
    const Row rows[] = {
        {L"C:\\d\\a.txt", L"txt", L"*.txt"},
        {L"C:\\d\\a.tar.gz", L"gz", L"*.gz"},
        {L"C:\\d\\readme", L"すべて", L"*"},
        {L"C:\\d\\a.", L"すべて", L"*."},
        {L"C:\\d.x\\readme", L"すべて", L"*"},
        {L"C:/d.x/readme", L"すべて", L"*"},
        {L"C:\\d\\.txt", L"txt", L"*.txt"},
        {L"C:\\データ表\\一覧.表", L"表", L"*.表"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TargetFromFile(row.path, TargetMode::ByExtension), row.byExtension) << row.path;
        EXPECT_EQ(TargetFromFile(row.path, TargetMode::ByWildcard), row.byWildcard) << row.path;
    }
}

TEST(TargetFromFile, CutsLongExtensionsAt256ShiftJisBytes) {
    const std::wstring ascii(300, L'x');
    EXPECT_EQ(TargetFromFile(L"C:\\d\\a." + ascii, TargetMode::ByExtension), std::wstring(256, L'x'));
    EXPECT_EQ(TargetFromFile(L"C:\\d\\a." + ascii, TargetMode::ByWildcard), L"*." + ascii);

    // Double-byte characters count two bytes each and are never split.
    const std::wstring kana(150, L'あ');
    EXPECT_EQ(TargetFromFile(L"C:\\d\\a." + kana, TargetMode::ByExtension), std::wstring(128, L'あ'));
    EXPECT_EQ(TargetFromFile(L"C:\\d\\a.x" + kana, TargetMode::ByExtension),
              L"x" + std::wstring(127, L'あ'));
    // Half-width katakana are single bytes.
    EXPECT_EQ(TargetFromFile(L"C:\\d\\a." + std::wstring(300, L'ｱ'), TargetMode::ByExtension),
              std::wstring(256, L'ｱ'));
    // A character outside the BMP is one unit pair: kept whole or dropped whole.
    const std::wstring cut =
        TargetFromFile(L"C:\\d\\a." + std::wstring(255, L'x') + L"\U0001F600", TargetMode::ByExtension);
    EXPECT_TRUE(cut == std::wstring(255, L'x') || cut == std::wstring(255, L'x') + L"\U0001F600");
}

TEST(ListMatchingFiles, ListsPlainVisibleFilesThatMatch) {
    TempFolder folder;
    folder.AddFile(L"a.txt");
    folder.AddFile(L"b.TXT");
    folder.AddFile(L"c.doc");
    folder.AddFile(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
    folder.AddFile(L"archive.txt", FILE_ATTRIBUTE_ARCHIVE);
    folder.AddFile(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    folder.AddFile(L"system.txt", FILE_ATTRIBUTE_SYSTEM);
    folder.AddFolder(L"folder.txt");

    const MatchList list = ListMatchingFiles(folder.Path(), L"*.txt");
    EXPECT_EQ(Sorted(NamesOf(list)),
              (std::vector<std::wstring>{L"a.txt", L"archive.txt", L"b.TXT", L"readonly.txt"}));
    EXPECT_TRUE(std::all_of(list.begin(), list.end(), [](const MatchEntry& e) { return e.Checked; }));

    // Names stay in the platform's enumeration order, not sorted.
    std::vector<std::wstring> enumerated;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder.Path() + L"\\*.txt").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                        FILE_ATTRIBUTE_DIRECTORY)))
            enumerated.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(NamesOf(list), enumerated);

    // A trailing separator on the folder makes no difference.
    EXPECT_EQ(NamesOf(ListMatchingFiles(folder.Path() + L"\\", L"*.txt")), NamesOf(list));
}

TEST(ListMatchingFiles, AllFilesMaskAndWildcards) {
    TempFolder folder;
    folder.AddFile(L"readme");
    folder.AddFile(L"a.txt");
    folder.AddFile(L"ab.dat");
    folder.AddFile(L"abc.dot");
    folder.AddFolder(L"sub");

    EXPECT_EQ(Sorted(NamesOf(ListMatchingFiles(folder.Path(), L"*.*"))),
              (std::vector<std::wstring>{L"a.txt", L"ab.dat", L"abc.dot", L"readme"}));
    EXPECT_EQ(Sorted(NamesOf(ListMatchingFiles(folder.Path(), L"a*.d?t"))),
              (std::vector<std::wstring>{L"ab.dat", L"abc.dot"}));
    EXPECT_EQ(NamesOf(ListMatchingFiles(folder.Path(), L"readme")),
              (std::vector<std::wstring>{L"readme"}));

    // A mask with a folder or drive part names another folder's files: nothing is listed.
    folder.AddFile(L"sub\\a.txt");
    for (const std::wstring& mask : std::vector<std::wstring>{L"sub\\*.txt", L"..\\*", L"sub/*.txt", L"C:\\x\\*",
                                                              L"C:*.txt", folder.PathOf(L"*.txt")}) {
        EXPECT_TRUE(ListMatchingFiles(folder.Path(), mask).empty());
        EXPECT_TRUE(ListMatchingFilesWithSubFolders(folder.Path(), mask).empty());
    }
}

// A search by a mask also matches each file's short 8.3 name (under Wine always, on Windows where
// short names are made): only files whose long names match are listed, in either scope.
TEST(ListMatchingFiles, OnlyLongNamesMatch) {
    TempFolder folder;
    const std::vector<std::wstring> names{L"report.doc", L"report2.docx", L"a.txt", L"d.txtold", L"i.txt~",
                                          L"b.JPG", L"c.jpg2", L"index.html", L"photo.jpeg", L"noext", L"x.JPG"};
    folder.AddFolder(L"sub");
    for (const std::wstring& name : names) {
        folder.AddFile(name);
        folder.AddFile(L"sub\\" + name);
    }
    const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> cases{
        {L"*.doc", {L"report.doc"}},
        {L"*.txt", {L"a.txt"}},
        {L"*.jpg", {L"b.JPG", L"x.JPG"}},
        {L"*.htm", {}},
        {L"*.jpe", {}},
        {L"*.", {L"noext"}},  // the names without an extension
        {L"*.*", Sorted(names)},
        {L"report*.doc", {L"report.doc"}},
    };
    for (const auto& [mask, expected] : cases) {
        EXPECT_EQ(Sorted(NamesOf(ListMatchingFiles(folder.Path(), mask))), expected);
        std::vector<std::wstring> tree = expected;
        for (const std::wstring& name : expected) tree.push_back(L"sub\\" + name);
        EXPECT_EQ(Sorted(NamesOf(ListMatchingFilesWithSubFolders(folder.Path(), mask))), Sorted(tree));
    }
}

TEST(LongNameMatches, FollowsTheRulesOfLongNames) {
    const std::vector<std::tuple<const wchar_t*, const wchar_t*, bool>> cases{
        {L"a.txt", L"*.txt", true},         {L"A.TXT", L"*.txt", true},
        {L"report2.docx", L"*.doc", false}, {L"d.txtold", L"*.txt", false},
        {L"a.tar.gz", L"*.tar.gz", true},   {L"a.tar.gz", L"*.gz", true},
        {L"a.b.txt", L"*.txt", true},       {L"readme", L"*.", true},
        {L"a.txt", L"*.", false},           {L"readme", L"readme.*", true},
        {L"readme.txt", L"readme.*", true}, {L"a.txt", L"a?.txt", true},
        {L"ab.txt", L"?.txt", false},       {L"abc.dot", L"a*.d?t", true},
        {L"abc", L"*.*", true},             {L"x", L"*", true},
        {L"日本語.TXT", L"*.txt", true},    {L"\u00C4.txt", L"\u00E4.TXT", true},
        {L"x.jpg2", L"*.JPG", false},       {L"a.b", L"a*b", true},
        {L"txt", L"txt", true},             {L"a.txt", L"txt", false},
        {L"a.txt", L"*.txt ", false},       {L"a<b.txt", L"a<b.txt", true},
    };
    for (const auto& [name, mask, expected] : cases)
        EXPECT_EQ(LongNameMatches(name, mask), expected) << static_cast<int>(std::wstring(name).size());
}

// Names that a path cannot hold as themselves (seen under Wine and over shares from other
// systems): joined to the folder's path they would name another file, so they are never listed.
TEST(ListMatchingFiles, LeavesOutNamesAPathWouldReadAsAnotherFile) {
    TempFolder folder;
    folder.AddFolder(L"sub");
    for (const wchar_t* name : {L"b.txt", L"sub\\b.txt", L"trail.txt", L"x.txt"}) folder.AddFile(name);
    folder.AddFile(L".JPG", FILE_ATTRIBUTE_HIDDEN);
    if (!folder.AddHostFile(L"sub\\b.txt")) GTEST_SKIP() << "only the host can make such names";
    for (const wchar_t* name : {L"a:b.txt", L"\\.JPG", L"trail.txt.", L"blank.txt ", L"st*r.txt", L"q?.txt"})
        folder.AddHostFile(name);
    folder.AddFolder(L"sub2");
    folder.AddFile(L"sub2\\c.txt");
    folder.AddHostFile(L"sub2\\c.txt");  // sub2\c.txt in the folder itself

    const std::vector<std::wstring> plain{L"b.txt", L"trail.txt", L"x.txt"};
    EXPECT_EQ(Sorted(NamesOf(ListMatchingFiles(folder.Path(), L"*.*"))), plain);
    EXPECT_EQ(Sorted(NamesOf(ListMatchingFiles(folder.Path(), L"*.txt"))), plain);
    EXPECT_EQ(NamesOf(ListMatchingFiles(folder.Path(), L"*.JPG")), std::vector<std::wstring>{});
    EXPECT_EQ(Sorted(NamesOf(ListMatchingFilesWithSubFolders(folder.Path(), L"*.*"))),
              Sorted({L"b.txt", L"trail.txt", L"x.txt", L"sub\\b.txt", L"sub2\\c.txt"}));

    // Converted, only the listed files change, each in its own folder.
    RecordingSink sink;
    RenameCheckedFiles(folder.Path(), ListMatchingFiles(folder.Path(), L"*.*"), L"bak", sink);
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"sub")), std::vector<std::wstring>{L"b.txt"});
    EXPECT_EQ(test::NamesInFolder(folder.PathOf(L"sub2")), std::vector<std::wstring>{L"c.txt"});
    EXPECT_EQ(folder.Names(), Sorted({L".JPG", L"\\.JPG", L"a:b.txt", L"b.bak", L"blank.txt ", L"q?.txt",
                                      L"st*r.txt", L"sub", L"sub\\b.txt", L"sub2", L"sub2\\c.txt", L"trail.bak",
                                      L"trail.txt.", L"x.bak"}));

    // A folder whose name a path cannot hold is not entered: its path would lead elsewhere.
    TempFolder tree;
    tree.AddFolder(L"dot");
    tree.AddFile(L"dot\\inner.txt");
    ASSERT_TRUE(tree.RunOnHost(L"mkdir dot. && touch dot./in.txt && touch x.txt",
                               [&] { return tree.Names().size() == 3; }));
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(tree.Path(), L"*.txt")),
              (std::vector<std::wstring>{L"x.txt", L"dot\\inner.txt"}));
    // Nor is it listed or converted when it is the folder chosen: its path names "dot".
    const std::wstring dotted = tree.PathOf(L"dot.");
    EXPECT_TRUE(ListMatchingFiles(dotted, L"*.*").empty());
    EXPECT_TRUE(ListMatchingFilesWithSubFolders(dotted, L"*.*").empty());
    RecordingSink intoDot;
    RenameCheckedFiles(dotted, {{L"inner.txt"}}, L"bak", intoDot);
    EXPECT_EQ(test::NamesInFolder(tree.PathOf(L"dot")), std::vector<std::wstring>{L"inner.txt"});
}

TEST(ListMatchingFiles, NothingForNoMatchMissingFolderOrEmptyPath) {
    TempFolder folder;
    folder.AddFile(L"a.txt");
    EXPECT_TRUE(ListMatchingFiles(folder.Path(), L"*.doc").empty());
    EXPECT_TRUE(ListMatchingFiles(folder.PathOf(L"missing"), L"*.*").empty());
    EXPECT_TRUE(ListMatchingFiles(folder.Path(), L"").empty());

    // An empty folder path must not search the root of the current drive.
    RootProbe probe;
    ASSERT_EQ(NamesOf(ListMatchingFiles(probe.Root(), probe.Name())),
              (std::vector<std::wstring>{probe.Name()}));
    EXPECT_TRUE(ListMatchingFiles(L"", probe.Name()).empty());
    EXPECT_TRUE(ListMatchingFiles(L"", L"*.*").empty());
    EXPECT_TRUE(ListMatchingFilesWithSubFolders(L"", probe.Name()).empty());
}

TEST(ListMatchingFiles, JapaneseAndNonShiftJisNames) {
    TempFolder folder(L"データ表");
    folder.AddFile(L"日本語.txt");
    folder.AddFile(L"ｶﾀｶﾅ.txt");
    folder.AddFile(L"한글.txt");
    folder.AddFile(L"\U0001F600.txt");
    folder.AddFile(L"ソ.doc");
    EXPECT_EQ(Sorted(NamesOf(ListMatchingFiles(folder.Path(), L"*.txt"))),
              Sorted({L"日本語.txt", L"ｶﾀｶﾅ.txt", L"한글.txt", L"\U0001F600.txt"}));
    EXPECT_EQ(NamesOf(ListMatchingFiles(folder.Path(), L"*.doc")), (std::vector<std::wstring>{L"ソ.doc"}));
}

std::vector<std::wstring> Joined(std::vector<std::wstring> first, const std::vector<std::wstring>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST(ListMatchingFilesWithSubFolders, ListsTheWholeTreeInAStableOrderByRelativePaths) {
    TempFolder root;
    for (const wchar_t* name : {L"z.txt", L"m.txt", L"skip.doc"}) root.AddFile(name);
    root.AddFile(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    root.AddFile(L"system.txt", FILE_ATTRIBUTE_SYSTEM);
    for (const wchar_t* folder : {L"写真", L"写真\\2024", L"B", L"a", L"a\\deeper", L"folder.txt", L"hidden",
                                  L"hidden\\inner", L"system"})
        root.AddFolder(folder);
    for (const wchar_t* name : {L"写真\\2024\\a.txt", L"写真\\x.TXT", L"B\\b.txt", L"a\\deeper\\d.txt", L"a\\a1.txt",
                                L"folder.txt\\inner.txt", L"hidden\\inner\\h.txt", L"system\\s.txt"})
        root.AddFile(name);
    root.AddFile(L"a\\hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    root.AddFile(L"a\\deeper\\system.txt", FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(SetFileAttributesW(root.PathOf(L"hidden").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW(root.PathOf(L"system").c_str(), FILE_ATTRIBUTE_SYSTEM));

    // The folder's own files in enumeration order, then the subfolders by name whatever their case,
    // each with its own files before its subfolders; a folder whose name matches is entered, never
    // listed; hidden and system files and folders are left out at every depth.
    const std::vector<std::wstring> below{L"a\\a1.txt", L"a\\deeper\\d.txt", L"B\\b.txt", L"folder.txt\\inner.txt",
                                          L"写真\\x.TXT", L"写真\\2024\\a.txt"};
    const MatchList list = ListMatchingFilesWithSubFolders(root.Path(), L"*.txt");
    EXPECT_EQ(NamesOf(list), Joined(NamesOf(ListMatchingFiles(root.Path(), L"*.txt")), below));
    EXPECT_TRUE(std::all_of(list.begin(), list.end(), [](const MatchEntry& e) { return e.Checked; }));
    // The masks that take every name, with a trailing separator on the folder: the same order.
    const std::vector<std::wstring> everything = Joined(NamesOf(ListMatchingFiles(root.Path(), L"*.*")), below);
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(root.Path() + L"\\", L"*.*")), everything);
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(root.Path(), L"*")), everything);
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(root.Path(), L"?.txt")),
              Joined(NamesOf(ListMatchingFiles(root.Path(), L"?.txt")),
                     {L"a\\deeper\\d.txt", L"B\\b.txt", L"写真\\x.TXT", L"写真\\2024\\a.txt"}));
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(root.Path(), L"*.doc")), std::vector<std::wstring>{L"skip.doc"});
    EXPECT_TRUE(ListMatchingFilesWithSubFolders(root.PathOf(L"missing"), L"*.*").empty());
}

TEST(ListMatchingFilesWithSubFolders, NeverEntersLinksAndLeavesOutPathsPastTheLimit) {
    TempFolder root;
    root.AddFolder(L"a");
    root.AddFile(L"a\\a.txt");
    root.AddFolderLink(L"loop", L".");   // back to the listed folder: a loop
    root.AddFolderLink(L"again", L"a");  // the same folder a second time
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(root.Path(), L"*.txt")), std::vector<std::wstring>{L"a\\a.txt"});

    // Folders deep enough that a file's full path reaches MAX_PATH - 1 characters: that file is
    // listed, one whose path is a character longer is left out, not cut. Made and removed through
    // the prefix that lets the file functions take long paths.
    const std::wstring longPaths = L"\\\\?\\";
    std::wstring deep = root.Path();
    std::wstring relative;
    const std::wstring part(40, L'd');
    while (deep.size() + 1 + part.size() <= 200) {
        deep += L"\\" + part;
        relative += part + L"\\";
        ASSERT_TRUE(CreateDirectoryW((longPaths + deep).c_str(), nullptr));
    }
    const size_t nameLength = MAX_PATH - 1 - (deep.size() + 1);
    const std::wstring fits = std::wstring(nameLength - 4, L'f') + L".txt";
    const std::wstring over = std::wstring(nameLength - 3, L'o') + L".txt";
    for (const std::wstring& name : {fits, over}) {
        const HANDLE file = CreateFileW((longPaths + deep + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    ASSERT_EQ((deep + L"\\" + fits).size(), static_cast<size_t>(MAX_PATH - 1));
    EXPECT_EQ(NamesOf(ListMatchingFilesWithSubFolders(root.Path(), L"*.txt")),
              (std::vector<std::wstring>{L"a\\a.txt", relative + fits}));
    DeleteFileW((longPaths + deep + L"\\" + over).c_str());
}

TEST(RenameCheckedFiles, RenamesCheckedEntriesAndStepsForEveryEntry) {
    TempFolder folder;
    folder.AddFile(L"a.txt");
    folder.AddFile(L"b.txt");
    folder.AddFile(L"c.tar.txt");
    folder.AddFile(L"readonly.txt", FILE_ATTRIBUTE_READONLY);
    MatchList list = ListMatchingFiles(folder.Path(), L"*.txt");
    ASSERT_EQ(list.size(), 4u);
    for (MatchEntry& entry : list) entry.Checked = entry.Name != L"b.txt";

    RecordingSink sink;
    RenameCheckedFiles(folder.Path(), list, L"bak", sink);

    EXPECT_EQ(folder.Names(),
              (std::vector<std::wstring>{L"a.bak", L"b.txt", L"c.tar.bak", L"readonly.bak"}));
    EXPECT_EQ(sink.calls.front(), L"start 4");
    EXPECT_EQ(sink.steps, 4);
    EXPECT_EQ(sink.calls.back(), L"finish");
    EXPECT_EQ(sink.calls.size(), 6u);

    // Told to stop, the run stops before the next entry; what was renamed stays renamed.
    list = ListMatchingFiles(folder.Path(), L"*.bak");
    RecordingSink stopped;
    stopped.stopAfter = 2;
    RenameCheckedFiles(folder.Path(), list, L"txt", stopped);
    EXPECT_EQ(stopped.calls, (std::vector<std::wstring>{L"start 3", L"step", L"step", L"finish"}));
    EXPECT_EQ(ListMatchingFiles(folder.Path(), L"*.txt").size(), 3u);  // b.txt and the two renamed back
}

TEST(RenameCheckedFiles, NeverReplacesAnExistingFile) {
    TempFolder folder;
    folder.AddFile(L"a.txt", 0, "new");
    folder.AddFile(L"a.doc", 0, "doc");
    folder.AddFile(L"b.txt", 0, "b");
    folder.AddFile(L"b.bak", 0, "precious");
    // Both a.txt and a.doc want to become a.bak: the first in list order wins.
    MatchList list{{L"a.txt"}, {L"a.doc"}, {L"b.txt"}};
    RecordingSink sink;
    RenameCheckedFiles(folder.Path(), list, L"bak", sink);

    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bak", L"a.doc", L"b.bak", L"b.txt"}));
    const auto content = [&](const wchar_t* name) {
        char buffer[16] = {};
        DWORD read = 0;
        const HANDLE file = CreateFileW(folder.PathOf(name).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
        ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
        CloseHandle(file);
        return std::string(buffer, read);
    };
    EXPECT_EQ(content(L"a.bak"), "new");
    EXPECT_EQ(content(L"b.bak"), "precious");
    EXPECT_EQ(sink.steps, 3);
}

TEST(RenameCheckedFiles, AChangeOfCaseOnlyRenamesAndOnlyWhatHappenedCounts) {
    TempFolder folder;
    folder.AddFile(L"x.JPG", 0, "x");
    folder.AddFile(L"y.jpg");
    folder.AddFile(L"z.Jpg");
    // Whether this file system applies a change of case asked of it directly.
    folder.AddFile(L"probe.JPG");
    MoveFileW(folder.PathOf(L"probe.JPG").c_str(), folder.PathOf(L"probe.jpg").c_str());
    const bool direct = FolderHoldsExactly(folder.Path(), L"probe.jpg");
    DeleteFileW(folder.PathOf(L"probe.jpg").c_str());
    RecordingSink sink;
    std::vector<std::wstring> namesWhenTold;
    sink.onTemporary = [&] { namesWhenTold = folder.Names(); };
    RenameCheckedFiles(folder.Path(), {{L"x.JPG"}, {L"y.jpg"}, {L"z.Jpg"}, {L"gone.JPG"}}, L"jpg", sink);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"x.jpg", L"y.jpg", L"z.jpg"}));
    EXPECT_EQ(test::ReadFileBytes(folder.PathOf(L"x.jpg")), "x");
    // The name already right and the file that is gone were not renamed.
    EXPECT_EQ(sink.renamed, (std::vector<std::pair<size_t, bool>>{{0, true}, {1, false}, {2, true}, {3, false}}));
    // A temporary name only where the direct rename kept the case (Wine): told before the file
    // moved there, and named after the file.
    EXPECT_EQ(sink.temporaries.size(), direct ? 0u : 2u);
    for (const auto& [entry, temporary] : sink.temporaries) {
        EXPECT_EQ(temporary, entry == 0 ? L"x.JPG.morvane-tmp" : L"z.Jpg.morvane-tmp") << entry;
    }
    // A temporary name that cannot be recorded is never used: the file keeps its name.
    if (!direct) {
        EXPECT_EQ(namesWhenTold, (std::vector<std::wstring>{L"x.jpg", L"y.jpg", L"z.Jpg"}));
        RecordingSink unrecorded;
        unrecorded.refuseTemporary = true;
        RenameCheckedFiles(folder.Path(), {{L"x.jpg"}}, L"JPG", unrecorded);
        EXPECT_EQ(unrecorded.renamed, (std::vector<std::pair<size_t, bool>>{{0, false}}));
        EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"x.jpg", L"y.jpg", L"z.jpg"}));
    }

    // In a folder that tells case apart (here made by the host), another entry may hold the new
    // name in another case: that file keeps its name, and nothing is left under a temporary one.
    TempFolder pair;
    if (!pair.AddHostFile(L"x.JPG")) return;
    pair.AddHostFile(L"x.jpg");
    RecordingSink both;
    RenameCheckedFiles(pair.Path(), {{L"x.JPG"}, {L"x.jpg"}}, L"jpg", both);
    EXPECT_EQ(both.renamed, (std::vector<std::pair<size_t, bool>>{{0, false}, {1, false}}));
    EXPECT_EQ(pair.Names(), (std::vector<std::wstring>{L"x.JPG", L"x.jpg"}));
    EXPECT_EQ(RenameEntry(pair.Path(), L"x.jpg", L"x.JPG"), RenameResult::NotRenamed);
    EXPECT_EQ(pair.Names(), (std::vector<std::wstring>{L"x.JPG", L"x.jpg"}));
    // The same where the name is held in a third case.
    for (const wchar_t* name : {L"y.JPG", L"y.Jpg", L"y.jPG"}) pair.AddHostFile(name);
    EXPECT_EQ(RenameEntry(pair.Path(), L"y.JPG", L"y.jpg"), RenameResult::NotRenamed);
    EXPECT_EQ(RenameEntry(pair.Path(), L"y.jPG", L"y.jpg"), RenameResult::NotRenamed);
    EXPECT_EQ(pair.Names(), (std::vector<std::wstring>{L"x.JPG", L"x.jpg", L"y.JPG", L"y.Jpg", L"y.jPG"}));
}

// Files of subfolders, named by their paths from the listed folder: each is renamed in its own
// folder by the same rules, a change of case through a temporary name of that folder.
TEST(RenameCheckedFiles, RenamesTheFilesOfSubFoldersEachInItsOwnFolder) {
    TempFolder root;
    root.AddFolder(L"写真");
    root.AddFolder(L"写真\\2024");
    for (const wchar_t* name : {L"a.txt", L"写真\\a.txt", L"写真\\b.BAK", L"写真\\c.txt", L"写真\\2024\\a.txt"})
        root.AddFile(name);
    root.AddFile(L"写真\\c.bak", 0, "precious");
    RecordingSink sink;
    RenameCheckedFiles(root.Path(),
                       {{L"a.txt"}, {L"写真\\a.txt"}, {L"写真\\b.BAK"}, {L"写真\\c.txt"}, {L"写真\\2024\\a.txt"}}, L"bak", sink);
    EXPECT_EQ(root.Names(), (std::vector<std::wstring>{L"a.bak", L"写真"}));
    EXPECT_EQ(test::NamesInFolder(root.PathOf(L"写真")),
              (std::vector<std::wstring>{L"2024", L"a.bak", L"b.bak", L"c.bak", L"c.txt"}));
    EXPECT_EQ(test::NamesInFolder(root.PathOf(L"写真\\2024")), std::vector<std::wstring>{L"a.bak"});
    EXPECT_EQ(test::ReadFileBytes(root.PathOf(L"写真\\c.bak")), "precious");
    EXPECT_EQ(sink.renamed,
              (std::vector<std::pair<size_t, bool>>{{0, true}, {1, true}, {2, true}, {3, false}, {4, true}}));

    // A name is changed in its folder, never moved to another one.
    EXPECT_FALSE(RenameInFolder(root.Path(), L"写真\\a.bak", L"a.txt"));
    EXPECT_FALSE(RenameInFolder(root.Path(), L"a.bak", L"写真\\x.bak"));
    EXPECT_FALSE(RenameInFolder(root.Path(), L"写真\\a.bak", L"写真\\2024\\x.bak"));
    EXPECT_EQ(root.Names(), (std::vector<std::wstring>{L"a.bak", L"写真"}));
    EXPECT_TRUE(FolderHoldsExactly(root.Path(), L"写真\\2024\\a.bak"));
    EXPECT_FALSE(FolderHoldsExactly(root.Path(), L"写真\\2024\\A.bak"));
    EXPECT_EQ(NewEntryName(L"写真.d\\2024\\readme", L"bak"), L"写真.d\\2024\\readme.bak");
}

TEST(RenameCheckedFiles, SameExtensionMissingFilesAndEmptyListChangeNothing) {
    TempFolder folder;
    folder.AddFile(L"a.txt");
    RecordingSink sink;
    RenameCheckedFiles(folder.Path(), {{L"a.txt"}, {L"vanished.txt"}}, L"txt", sink);
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt"}));
    EXPECT_EQ(sink.steps, 2);

    RecordingSink emptyRun;
    RenameCheckedFiles(folder.Path(), {}, L"bak", emptyRun);
    EXPECT_EQ(emptyRun.calls, (std::vector<std::wstring>{L"start 0", L"finish"}));
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.txt"}));
}

// An extension that can never give a file a name of its own is refused for every file: nothing
// leaves the folder, nothing is cut from a name, no extension is dropped.
TEST(RenameCheckedFiles, RefusesExtensionsThatCanNeverWork) {
    TempFolder outer;
    outer.AddFolder(L"in");
    const std::wstring inner = outer.PathOf(L"in");
    outer.AddFile(L"in\\a.txt");

    const std::vector<std::pair<std::wstring, ExtensionFault>> refused{
        {L"\\..\\x", ExtensionFault::ForbiddenCharacter}, {L"/../x", ExtensionFault::ForbiddenCharacter},
        {L"x\\y", ExtensionFault::ForbiddenCharacter},     {L"x:stream", ExtensionFault::ForbiddenCharacter},
        {L":", ExtensionFault::ForbiddenCharacter},          {L"*", ExtensionFault::ForbiddenCharacter},
        {L"a?b", ExtensionFault::ForbiddenCharacter},        {L"<\">|", ExtensionFault::ForbiddenCharacter},
        {L"x\ty", ExtensionFault::ForbiddenCharacter},      {L"bak.", ExtensionFault::EndsInDotOrBlank},
        {L"bak ", ExtensionFault::EndsInDotOrBlank},         {L"   ", ExtensionFault::OnlyBlanks},
        {std::wstring(255, L'x'), ExtensionFault::TooLong},
    };
    for (const auto& [extension, fault] : refused) {
        EXPECT_EQ(CheckNewExtension(extension), fault) << extension.size();
        RecordingSink sink;
        RenameCheckedFiles(inner, {{L"a.txt"}}, extension, sink);
        EXPECT_EQ(sink.steps, 1);
        EXPECT_EQ(sink.renamed, (std::vector<std::pair<size_t, bool>>{{0, false}}));
        EXPECT_EQ(test::NamesInFolder(inner), std::vector<std::wstring>{L"a.txt"}) << extension.size();
        EXPECT_EQ(outer.Names(), (std::vector<std::wstring>{L"in"}));
    }
    for (const wchar_t* usable : {L"", L"bak", L" bak", L"b.a.k", L"表ソ", L"x y"})
        EXPECT_EQ(CheckNewExtension(usable), ExtensionFault::None);

    // A new name longer than a name may be is never asked for; a shorter one still works.
    const std::wstring longName = std::wstring(250, L'n') + L".t";
    outer.AddFile(L"in\\" + longName);
    RecordingSink sink;
    RenameCheckedFiles(inner, {{longName}, {L"a.txt"}}, L"longer", sink);
    EXPECT_EQ(sink.renamed, (std::vector<std::pair<size_t, bool>>{{0, false}, {1, true}}));
    EXPECT_EQ(test::NamesInFolder(inner), Sorted({L"a.longer", longName}));
}

TEST(RenameCheckedFiles, EmptyFolderPathRenamesNothing) {
    RootProbe probe;
    RecordingSink sink;
    RenameCheckedFiles(L"", {{probe.Name()}}, L"bak", sink);
    EXPECT_TRUE(probe.Exists(probe.Name()));
    EXPECT_EQ(sink.steps, 1);
}

TEST(RenameCheckedFiles, DriveRootUsesOneSeparator) {
    RootProbe probe;
    RecordingSink sink;
    RenameCheckedFiles(probe.Root(), {{probe.Name()}}, L"bak", sink);
    EXPECT_FALSE(probe.Exists(probe.Name()));
    EXPECT_TRUE(probe.Exists(NewFileName(probe.Name(), L"bak")));
}

TEST(RenameCheckedFiles, JapaneseAndNonShiftJisNames) {
    TempFolder folder(L"データ表");
    folder.AddFile(L"日本語.txt");
    folder.AddFile(L"한글.txt");
    folder.AddFile(L"\U0001F600.txt");
    RecordingSink sink;
    RenameCheckedFiles(folder.Path(), ListMatchingFiles(folder.Path(), L"*.txt"), L"表ソ", sink);
    EXPECT_EQ(folder.Names(), Sorted({L"日本語.表ソ", L"한글.表ソ", L"\U0001F600.表ソ"}));
}

}  // namespace
}  // namespace morvane
