#include "app/command_line.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

namespace morvane {
namespace {

using Arguments = std::vector<std::wstring>;

std::wstring FolderOf(std::wstring_view commandLine) { return CommandLineFolder(ProgramArguments(commandLine)); }

TEST(CommandLineFolder, JoinsTheArgumentsWithSingleBlanks) {
    // A path with a blank typed without quotes arrives as two arguments and is put back together.
    EXPECT_EQ(FolderOf(LR"(Morvane.exe C:\My Files)"), LR"(C:\My Files)");
    EXPECT_EQ(FolderOf(LR"(Morvane.exe "C:\My" "Files")"), LR"(C:\My Files)");
    // Several blanks between unquoted parts come back as one; inside quotes they are kept.
    EXPECT_EQ(FolderOf(L"Morvane.exe   C:\\a   b  \t"), L"C:\\a b");
    EXPECT_EQ(FolderOf(LR"(Morvane.exe "C:\a   b")"), LR"(C:\a   b)");
    // The folder-menu entry's quoted argument, Japanese and blanks included, no trailing blank.
    EXPECT_EQ(FolderOf(LR"("C:\Program Files\Morvane\Morvane.exe" "D:\写真 2024\夏")"), LR"(D:\写真 2024\夏)");
    // A quote may open and close in the middle of an argument.
    EXPECT_EQ(FolderOf(LR"(Morvane.exe C:\My" "Files)"), LR"(C:\My Files)");
    // A drive from the folder menu ends in a backslash before the closing quote: it is kept.
    EXPECT_EQ(FolderOf(LR"("C:\Tools\Morvane.exe" "D:\")"), LR"(D:\)");
    // No arguments: no folder.
    EXPECT_EQ(FolderOf(L"Morvane.exe"), L"");
    EXPECT_EQ(FolderOf(LR"("C:\My Tools\Morvane.exe"   )"), L"");
    EXPECT_EQ(FolderOf(L""), L"");
    EXPECT_EQ(CommandLineFolder({}), L"");
    // An empty quoted argument still counts as one.
    EXPECT_EQ(ProgramArguments(LR"(Morvane.exe "" x)"), (Arguments{L"", L"x"}));
}

// Where no backslash stands before a quote, the split is the platform's own.
TEST(CommandLineFolder, SplitsAsThePlatformDoes) {
    for (const wchar_t* line : {LR"(a.exe C:\My Files)", LR"("C:\a b\a.exe" "C:\My" "Files")",
                                L"a.exe \t x\t\"y  z\" w\"v u\"t", LR"(a.exe "" "日本 語")", L"a.exe"}) {
        int count = 0;
        LPWSTR* platform = CommandLineToArgvW(line, &count);
        ASSERT_NE(platform, nullptr);
        const Arguments expected(platform, platform + count);
        LocalFree(platform);
        EXPECT_EQ(SplitArguments(line), expected) << line;
    }
}

}  // namespace
}  // namespace morvane
