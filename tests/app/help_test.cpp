#include "app/help.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "ui/executable.h"

#include <string>
#include <utility>
#include <vector>

namespace morvane {

// The platform's reader of compiled help files, the one its help engine reads them with. Declared
// outside the anonymous namespace: an abstract class of internal linkage that nothing in this file
// implements lets the compiler turn every call through it into a pure virtual call.
// {5d02926a-212e-11d0-9df9-00a0c922e6ec} and {88cc31de-27ab-11d0-9df9-00a0c922e6ec}.
constexpr CLSID kHelpStorageClass = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
constexpr IID kHelpStorageInterface = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
struct IHelpStorage : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

// The help file's pages and their titles, as the contents list them. The test program has a copy
// of the built help file beside it, where the program has its own.
const std::vector<std::pair<std::wstring, std::wstring>> kTopPages = {
    {L"index.htm", L"Morvane について"},
    {L"mainwindow.htm", L"メインウィンドウ"},
    {L"target.htm", L"対象の指定と新しい拡張子"},
    {L"commands.htm", L"コマンド一覧"},
    {L"batch.htm", L"一括変換ダイアログ"},
    {L"subfolders.htm", L"サブフォルダも含めて変換"},
    {L"undo.htm", L"一括変換を元に戻す"},
    {L"history.htm", L"変換の履歴"},
    {L"extlist.htm", L"拡張子リスト"},
    {L"foldermenu.htm", L"フォルダの右クリックメニュー"},
    {L"foldermenu-user.htm", L"右クリックメニューと管理者の権限"},
    {L"settings.htm", L"記憶される設定"},
    {L"commandline.htm", L"コマンドラインからの起動"},
    {L"drop.htm", L"フォルダをドラッグして開く"},
    {L"keyboard.htm", L"キーボードでの操作"},
};
const std::vector<std::pair<std::wstring, std::wstring>> kMenuPages = {
    {L"menu-target.htm", L"対象拡張子のメニュー"},
    {L"menu-newext.htm", L"変換拡張子のメニュー"},
    {L"menu-view.htm", L"「表示」のメニュー"},
    {L"menu-property.htm", L"「ﾌﾟﾛﾊﾟﾃｨ」のメニュー"},
    {L"menu-help.htm", L"「ﾍﾙﾌﾟ」のメニュー"},
};

// A page of the help file as text; the pages are stored in Shift-JIS.
std::wstring ReadPage(IStorage& storage, const std::wstring& name) {
    IStream* stream = nullptr;
    if (FAILED(storage.OpenStream(name.c_str(), nullptr, STGM_READ, 0, &stream))) return {};
    std::string bytes;
    char buffer[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(buffer, sizeof buffer, &read)) && read > 0) bytes.append(buffer, read);
    stream->Release();
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(932, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring TitleOf(const std::wstring& page) {
    const size_t start = page.find(L"<title>"), end = page.find(L"</title>");
    return start == std::wstring::npos || end == std::wstring::npos ? L"" : page.substr(start + 7, end - start - 7);
}

TEST(Help, TheHelpFileHoldsEveryPageInShiftJis) {
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    IHelpStorage* reader = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(kHelpStorageClass, nullptr, CLSCTX_INPROC_SERVER, kHelpStorageInterface,
                                           reinterpret_cast<void**>(&reader))));
    IStorage* storage = nullptr;
    ASSERT_TRUE(SUCCEEDED(reader->StgOpenStorage(HelpFileBesideExecutable().c_str(), nullptr, STGM_READ, nullptr, 0, &storage)))
        << "no help file at " << testing::PrintToString(HelpFileBesideExecutable());
    std::vector<std::pair<std::wstring, std::wstring>> pages = kTopPages;
    pages.insert(pages.end(), kMenuPages.begin(), kMenuPages.end());
    for (const auto& [file, title] : pages) {
        const std::wstring page = ReadPage(*storage, file);
        EXPECT_EQ(TitleOf(page), title) << testing::PrintToString(file);
        EXPECT_NE(page.find(L"charset=Shift_JIS"), std::wstring::npos) << testing::PrintToString(file);
    }
    // The menu pages name the commands exactly as the menus show them.
    EXPECT_NE(ReadPage(*storage, L"menu-view.htm").find(L"大きいｱｲｺﾝ(<u>G</u>)"), std::wstring::npos);
    EXPECT_NE(ReadPage(*storage, L"menu-target.htm").find(L"ｻﾌﾞﾌｫﾙﾀﾞも含める"), std::wstring::npos);
    EXPECT_NE(ReadPage(*storage, L"menu-property.htm").find(L"ﾌｫﾙﾀﾞの右ｸﾘｯｸﾒﾆｭｰに追加"), std::wstring::npos);
    EXPECT_NE(ReadPage(*storage, L"menu-help.htm").find(L"ﾄﾋﾟｯｸの検索(<u>T</u>)"), std::wstring::npos);
    EXPECT_NE(ReadPage(*storage, L"keyboard.htm").find(L"変換(<u>O</u>)"), std::wstring::npos);
    EXPECT_FALSE(ReadPage(*storage, L"morvane.css").empty());
    storage->Release();
    reader->Release();
    CoUninitialize();
}

std::vector<std::wstring> ItemTexts(HWND tree, HTREEITEM first) {
    std::vector<std::wstring> texts;
    for (auto item = first; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[256] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = 256;
        TreeView_GetItem(tree, &data);
        texts.push_back(text);
    }
    return texts;
}

BOOL CALLBACK FindTree(HWND child, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (std::wstring(name) != WC_TREEVIEWW) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

// A library of the same name beside the program (a planted hhctrl.ocx in the Downloads folder)
// is never loaded: the help engine, and every library loaded by name once the program has started,
// come from the system's folder.
TEST(Help, TheEngineAndOtherLibrariesComeOnlyFromTheSystemFolder) {
    const wchar_t planted[] = L"morvane-planted.dll";
    const HMODULE found = LoadLibraryW(planted);
    ASSERT_NE(found, nullptr) << "the planted library is not beside the test program";
    FreeLibrary(found);
    EXPECT_EQ(LoadSystemLibrary(planted), nullptr);

    ASSERT_NE(ShowHelpContents(nullptr, HelpFileBesideExecutable()), nullptr);
    wchar_t system[MAX_PATH] = {}, engine[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetModuleFileNameW(GetModuleHandleW(L"hhctrl.ocx"), engine, MAX_PATH);
    EXPECT_EQ(CompareStringOrdinal(engine, static_cast<int>(wcslen(system)), system, -1, TRUE), CSTR_EQUAL);
    CloseHelpWindows();

    LoadLibrariesFromTheSystemOnly();
    EXPECT_EQ(LoadLibraryW(planted), nullptr);
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);  // as the other tests expect it
}

TEST(Help, ContentsWindowOpensOnTheProgramsTopics) {
    EXPECT_EQ(HelpFileBesideExecutable().substr(HelpFileBesideExecutable().find_last_of(L'\\')), L"\\Morvane.chm");

    const HWND help = ShowHelpContents(nullptr, HelpFileBesideExecutable());
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(IsWindowVisible(help));
    wchar_t title[128] = {};
    GetWindowTextW(help, title, 128);
    EXPECT_STREQ(title, L"Morvane ヘルプ");

    // The contents tab lists the topics; the commands' entry holds one topic per menu.
    HWND tree = nullptr;
    EnumChildWindows(help, FindTree, reinterpret_cast<LPARAM>(&tree));
    ASSERT_NE(tree, nullptr);
    std::vector<std::wstring> expected;
    for (const auto& page : kTopPages) expected.push_back(page.second);
    const HTREEITEM root = TreeView_GetRoot(tree);
    EXPECT_EQ(ItemTexts(tree, root), expected);
    HTREEITEM commands = root;
    while (commands && ItemTexts(tree, commands).front() != L"コマンド一覧") commands = TreeView_GetNextSibling(tree, commands);
    ASSERT_NE(commands, nullptr);
    TreeView_Expand(tree, commands, TVE_EXPAND);
    expected.clear();
    for (const auto& page : kMenuPages) expected.push_back(page.second);
    EXPECT_EQ(ItemTexts(tree, TreeView_GetChild(tree, commands)), expected);

    // Asked again, the engine brings the same window back rather than opening a second one.
    EXPECT_EQ(ShowHelpContents(nullptr, HelpFileBesideExecutable()), help);
    CloseHelpWindows();
    EXPECT_FALSE(IsWindow(help));
}

}  // namespace
}  // namespace morvane
