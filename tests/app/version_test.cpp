#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvane {
namespace {

// Morvane.exe of the same build, found from the test program's own place in the build tree.
std::wstring ProgramPath() {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + MORVANE_PROGRAM_FROM_TESTS;
}

std::wstring Value(const std::vector<char>& info, const std::wstring& block, const wchar_t* name) {
    void* text = nullptr;
    UINT length = 0;
    const std::wstring query = L"\\StringFileInfo\\" + block + L"\\" + name;
    if (!VerQueryValueW(info.data(), query.c_str(), &text, &length) || length == 0) return {};
    return static_cast<const wchar_t*>(text);
}

TEST(VersionResource, NamesTheProductItsVersionAndMakerInJapaneseAndEnglish) {
    const std::wstring program = ProgramPath();
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), nullptr);
    ASSERT_GT(size, 0u) << "no version resource in " << testing::PrintToString(program);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 2));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    // Japanese first, then English, both in Unicode.
    WORD* translations = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length));
    ASSERT_EQ(length, 8u);
    EXPECT_EQ(translations[0], 0x0411);
    EXPECT_EQ(translations[1], 1200);
    EXPECT_EQ(translations[2], 0x0409);

    for (const wchar_t* block : {L"041104B0", L"040904B0"}) {
        EXPECT_EQ(Value(info, block, L"ProductName"), L"Morvane");
        EXPECT_EQ(Value(info, block, L"ProductVersion"), L"2.00");
        EXPECT_EQ(Value(info, block, L"FileVersion"), L"2.0.0.0");
        EXPECT_EQ(Value(info, block, L"CompanyName"), L"Halvik");
        EXPECT_EQ(Value(info, block, L"LegalCopyright"), L"Copyright © Halvik");
        EXPECT_EQ(Value(info, block, L"OriginalFilename"), L"Morvane.exe");
    }
    // The resource compiler read the Japanese description as UTF-8, not in some other code page.
    EXPECT_EQ(Value(info, L"041104B0", L"FileDescription"), L"Morvane 拡張子一括変更ツール");
    EXPECT_EQ(Value(info, L"040904B0", L"FileDescription"), L"Morvane file extension batch changer");
}

}  // namespace
}  // namespace morvane
