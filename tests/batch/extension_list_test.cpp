#include "batch/extension_list.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/ui_driver.h"
#include "common/temp_folder.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::MessageOf;
using test::ReadFileBytes;

using test::FileLock;
using test::TempFolder;
using Entries = std::vector<std::wstring>;

// Shift-JIS bytes of 表, ソ (both end in 0x5C), すべて and the half-width ﾃｷｽﾄ.
constexpr std::string_view kJapaneseBytes = "\x95\x5C\r\n\x83\x5C\r\n\x82\xB7\x82\xD7\x82\xC4\r\n\xC3\xB7\xBD\xC4\r\n";
const Entries kJapaneseEntries{L"表", L"ソ", L"すべて", L"ﾃｷｽﾄ"};

TEST(ExtensionListFile, ReadingRulesAndTheStoredForm) {
    EXPECT_EQ(ParseExtensionList("a\rb\nc"), (Entries{L"a", L"b", L"c"}));
    EXPECT_EQ(FormatExtensionList({L"a", L"b", L"c"}), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(ParseExtensionList("txt\nbak\n"), (Entries{L"txt", L"bak"}));
    EXPECT_EQ(ParseExtensionList(std::string_view("txt\r\nb\0ak\r\nzip\r\n", 16)), (Entries{L"txt", L"b"}));
    EXPECT_EQ(ParseExtensionList(std::string_view("\0txt", 4)), Entries{});

    const std::string eightBytes{0x74, 0x78, 0x74, 0x0D, 0x0A, 0x62, 0x61, 0x6B, 0x0D, 0x0A};
    EXPECT_EQ(FormatExtensionList({L"txt", L"bak"}), eightBytes);
    EXPECT_EQ(ParseExtensionList(eightBytes), (Entries{L"txt", L"bak"}));
    EXPECT_EQ(FormatExtensionList({}), "");
    EXPECT_EQ(ParseExtensionList(""), Entries{});

    // Empty lines, duplicates and blanks are entries; only a break at the very end adds none.
    EXPECT_EQ(ParseExtensionList("a\r\n\r\na\r\n"), (Entries{L"a", L"", L"a"}));
    EXPECT_EQ(ParseExtensionList("\r\n"), Entries{L""});
    EXPECT_EQ(ParseExtensionList("a\r\rb\n\r"), (Entries{L"a", L"", L"b", L""}));
    EXPECT_EQ(ParseExtensionList(" a \r\n"), Entries{L" a "});
    EXPECT_EQ(FormatExtensionList({L"a", L"", L"a"}), "a\r\n\r\na\r\n");

    // Code page 932 whatever the system's, byte for byte both ways.
    EXPECT_EQ(ParseExtensionList(kJapaneseBytes), kJapaneseEntries);
    EXPECT_EQ(FormatExtensionList(kJapaneseEntries), kJapaneseBytes);
    // A broken lead byte does not swallow the break after it.
    EXPECT_EQ(ParseExtensionList("\x82\r\nbak\r\n").back(), L"bak");
}

TEST(ExtensionListFile, RefusesTextsTheFileCannotHold) {
    for (const std::wstring& text : std::vector<std::wstring>{L"caf\u00E9", L"\u301C", L"\U0001F600", L"a\r\nb",
                                                              std::wstring(L"a\0b", 3)})
        EXPECT_EQ(MessageOf([&] { FormatExtensionList({L"txt", text}); }),
                  L"'" + text + L"' にはﾌｧｲﾙに保存できない文字が含まれています");
    for (const wchar_t* text : {L"", L"～", L"表ソ", L"ｱｲｳ", L"*.txt"})
        EXPECT_EQ(MessageOf([&] { CheckStorableEntry(text); }), L"(no error)") << text;
}

TEST(ExtensionListFile, SavesWholeAndLoadsBackBesideNothingElse) {
    TempFolder folder(L"データ表");
    const std::wstring path = folder.PathOf(L"Morvane.dat");
    EXPECT_EQ(LoadExtensionList(path), Entries{});
    EXPECT_EQ(LoadExtensionList(folder.PathOf(L"missing\\Morvane.dat")), Entries{});

    SaveExtensionList(path, kJapaneseEntries);
    EXPECT_EQ(ReadFileBytes(path), kJapaneseBytes);
    EXPECT_EQ(LoadExtensionList(path), kJapaneseEntries);
    // A shorter list replaces the longer one entirely; the empty list is an empty file.
    SaveExtensionList(path, {L"txt"});
    EXPECT_EQ(ReadFileBytes(path), "txt\r\n");
    SaveExtensionList(path, {});
    EXPECT_EQ(ReadFileBytes(path), "");
    EXPECT_EQ(LoadExtensionList(path), Entries{});
    EXPECT_EQ(folder.Names(), Entries{L"Morvane.dat"});

    // A folder of that name holds no list.
    folder.AddFolder(L"sub");
    EXPECT_EQ(LoadExtensionList(folder.PathOf(L"sub")), Entries{});

    // Beside the executable.
    wchar_t executable[MAX_PATH];
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    std::wstring expected = executable;
    expected = expected.substr(0, expected.find_last_of(L'\\')) + L"\\Morvane.dat";
    EXPECT_EQ(ExtensionListPath(), expected);
}

TEST(ExtensionListFile, FailuresLeaveTheStoredFileIntact) {
    TempFolder folder;
    const std::wstring path = folder.PathOf(L"Morvane.dat");
    folder.AddFile(L"Morvane.dat", 0, kJapaneseBytes);
    {
        FileLock lock(path);
        EXPECT_EQ(MessageOf([&] { LoadExtensionList(path); }), L"ﾌｧｲﾙ " + path + L" は開けません");
        EXPECT_EQ(MessageOf([&] { SaveExtensionList(path, {L"txt"}); }), L"ﾌｧｲﾙ " + path + L" を作成できません");
    }
    EXPECT_EQ(MessageOf([&] { SaveExtensionList(path, {L"txt", L"caf\u00E9"}); }),
              L"'caf\u00E9' にはﾌｧｲﾙに保存できない文字が含まれています");
    EXPECT_EQ(ReadFileBytes(path), kJapaneseBytes);
    EXPECT_EQ(folder.Names(), Entries{L"Morvane.dat"});  // nothing half written left behind

    const std::wstring nowhere = folder.PathOf(L"missing\\Morvane.dat");
    EXPECT_EQ(MessageOf([&] { SaveExtensionList(nowhere, {L"txt"}); }), L"ﾌｧｲﾙ " + nowhere + L" を作成できません");
}

TEST(ExtensionListInMemory, SelectionDeletionAndPick) {
    TempFolder folder;
    folder.AddFile(L"Morvane.dat", 0, "txt\r\nbak\r\n");
    ExtensionList list(folder.PathOf(L"Morvane.dat"));
    list.Load();
    list.DeleteSelected();  // nothing selected: nothing deleted
    list.Select(2);         // outside the list: nothing selected
    list.Save();
    EXPECT_EQ(list.Pick(true), std::nullopt);
    list.Select(1);
    EXPECT_EQ(list.Pick(true), L"bak");
    EXPECT_EQ(list.Pick(false), std::nullopt);

    // Deleted in memory only, until the close that follows stores it (also after a cancel).
    list.DeleteSelected();
    EXPECT_EQ(list.Selected(), -1);
    EXPECT_EQ(ReadFileBytes(list.Path()), "txt\r\nbak\r\n");
    list.Select(0);
    list.DeleteSelected();
    list.Save();
    EXPECT_EQ(ReadFileBytes(list.Path()), "");

    // A save that failed at the close hands nothing to the field.
    list.Append(L"zip");
    list.Select(0);
    {
        FileLock lock(list.Path());
        EXPECT_NE(MessageOf([&] { list.Save(); }), L"(no error)");
        EXPECT_EQ(list.Pick(true), std::nullopt);
    }
    list.Save();
    EXPECT_EQ(list.Pick(true), L"zip");
}

TEST(ExtensionListInMemory, AppendsAreStoredAtOnceAndUnstorableTextsRefused) {
    TempFolder folder;
    ExtensionList list(folder.PathOf(L"Morvane.dat"));
    list.Load();
    EXPECT_EQ(ReadFileBytes(list.Path()), "(missing)");
    list.Append(L"txt");
    EXPECT_EQ(ReadFileBytes(list.Path()), "txt\r\n");
    for (const wchar_t* text : {L"txt", L"", L"すべて"}) list.Append(text);
    EXPECT_EQ(ReadFileBytes(list.Path()), "txt\r\ntxt\r\n\r\n\x82\xB7\x82\xD7\x82\xC4\r\n");

    EXPECT_EQ(MessageOf([&] { list.Append(L"\U0001F600"); }),
              L"'\U0001F600' にはﾌｧｲﾙに保存できない文字が含まれています");
    EXPECT_EQ(list.Entries().size(), 4u);
    EXPECT_EQ(ReadFileBytes(list.Path()), "txt\r\ntxt\r\n\r\n\x82\xB7\x82\xD7\x82\xC4\r\n");

    // An append the disk refuses stays in the list, for the next close to store.
    {
        FileLock lock(list.Path());
        EXPECT_EQ(MessageOf([&] { list.Append(L"bak"); }), L"ﾌｧｲﾙ " + list.Path() + L" を作成できません");
    }
    EXPECT_EQ(list.Entries().back(), L"bak");
    list.Save();
    EXPECT_EQ(ParseExtensionList(ReadFileBytes(list.Path())), list.Entries());
}

TEST(ExtensionListInMemory, AFileThatFailedToLoadIsNeverOverwritten) {
    TempFolder folder;
    folder.AddFile(L"Morvane.dat", 0, kJapaneseBytes);
    ExtensionList list(folder.PathOf(L"Morvane.dat"));
    {
        FileLock lock(list.Path());
        EXPECT_EQ(MessageOf([&] { list.Load(); }), L"ﾌｧｲﾙ " + list.Path() + L" は開けません");
    }
    EXPECT_TRUE(list.SaveBlocked());
    EXPECT_EQ(list.Entries(), Entries{});
    // The rest of the run: an append cannot be stored, so it is refused with the load's message
    // rather than kept in memory only to be lost; closes store nothing.
    EXPECT_EQ(MessageOf([&] { list.Append(L"txt"); }), L"ﾌｧｲﾙ " + list.Path() + L" は開けません");
    EXPECT_EQ(list.Entries(), Entries{});
    list.Save();
    EXPECT_EQ(list.Pick(true), std::nullopt);
    EXPECT_EQ(ReadFileBytes(list.Path()), kJapaneseBytes);
}

}  // namespace
}  // namespace morvane
