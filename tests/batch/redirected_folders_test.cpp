#include "batch/redirected_folders.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

// Which folders the 32-bit build refuses on 64-bit Windows: where the system would show it
// SysWOW64's files in place of the folder's own.
TEST(RedirectedFolders, System32AndWhatLiesBelowButTheFoldersWindowsLeavesAlone) {
    const std::wstring windows = L"C:\\Windows";
    for (const wchar_t* folder : {L"C:\\Windows\\System32", L"c:\\windows\\system32\\", L"C:\\Windows\\System32\\drivers",
                                  L"C:\\Windows\\System32\\ja-JP", L"C:\\Windows\\lastgood\\System32\\x",
                                  L"C:/Windows/System32/wbem"})
        EXPECT_TRUE(RedirectedFor32Bit(folder, windows, false)) << testing::PrintToString(std::wstring(folder));
    for (const wchar_t* folder : {L"C:\\Windows", L"C:\\Windows\\SysWOW64", L"C:\\Windows\\Sysnative",
                                  L"C:\\Windows\\System32x", L"C:\\Windows\\System32\\drivers\\etc",
                                  L"C:\\Windows\\System32\\spool\\drivers", L"C:\\Windows\\System32\\catroot2",
                                  L"C:\\Windows\\System32\\DriverStore\\FileRepository", L"D:\\Windows\\System32", L""})
        EXPECT_FALSE(RedirectedFor32Bit(folder, windows, false)) << testing::PrintToString(std::wstring(folder));
    // With subfolders a batch from above reaches System32 too.
    EXPECT_TRUE(RedirectedFor32Bit(L"C:\\Windows", windows, true));
    EXPECT_TRUE(RedirectedFor32Bit(L"C:\\", windows, true));
    EXPECT_FALSE(RedirectedFor32Bit(L"C:\\Users", windows, true));
    EXPECT_FALSE(RedirectedFor32Bit(L"C:\\Windows\\System32\\spool", windows, true));
#ifdef _WIN64
    // The 64-bit build sees every folder as it is.
    EXPECT_FALSE(RedirectedHere(L"C:\\Windows\\System32", true));
#endif
}

}  // namespace
}  // namespace morvane
