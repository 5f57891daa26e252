#include "shellctl/file_view.h"

#include <shlwapi.h>

#include <algorithm>
#include <set>
#include <shobjidl.h>

#include "common/registry_backup.h"
#include "common/temp_folder.h"
#include "common/ui_driver.h"
#include "shellctl/demo_form.h"
#include "shellctl/file_texts.h"
#include "shellctl/file_types.h"
#include "shellctl/folder_order.h"
#include "shellctl/folder_read_ahead.h"
#include "shellctl/shell_context_menu.h"
#include "shellctl/shell_test_support.h"
#include "ui/gdi.h"

namespace morvane {
namespace {

using test::Captions;
using test::IndexOf;
using test::TempFolder;

constexpr ULONGLONG kGiB = 1024ull * 1024 * 1024;

void SetLastWrite(const std::wstring& path, WORD year) {
    const SYSTEMTIME noon{year, 6, 0, 15, 12, 0, 0, 0};
    FILETIME time;
    SystemTimeToFileTime(&noon, &time);
    const HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// A file of the size without writing it: the file system keeps it sparse.
void MakeLargeFile(const std::wstring& path, ULONGLONG size) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

// A list alone on a window, showing a folder.
class FileViewTest : public test::ShellTest {
protected:
    void Show(const std::wstring& path) {
        folderList_ = test::ParsePath(path);
        ASSERT_TRUE(folderList_);
        list_.SetFolderIDList(folderList_.Get());
    }
    void ClickHeader(int column) {
        const RECT rect = list_.HeaderItemRect(column);
        const auto header = reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETHEADER, 0, 0));
        test::PostClickAt(header, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        test::PumpMessages();
    }

    test::TestForm form_;
    TFileView list_{&form_, 0, 0, 680, 460};
    IDList folderList_;
};

TEST_F(FileViewTest, ListsEveryItemWithItsTexts) {
    TempFolder folder(L"_一覧");
    folder.AddFile(L"empty.txt");
    folder.AddFile(L"k1023.txt", 0, std::string(1023, 'x'));
    folder.AddFile(L"k1024.dat", 0, std::string(1024, 'x'));
    folder.AddFile(L"k2048.bin", 0, std::string(2048, 'x'));
    folder.AddFile(L"secret.txt", FILE_ATTRIBUTE_HIDDEN);
    folder.AddFile(L"日本語.txt");
    folder.AddFile(L"한국어.txt");
    folder.AddFolder(L"サブ");
    MakeLargeFile(folder.PathOf(L"huge.iso"), 3 * kGiB);
    MakeLargeFile(folder.PathOf(L"huger.iso"), 5 * kGiB);  // past what 32 bits hold
    list_.SetViewStyle(ViewStyle::Report);
    Show(folder.Path());

    std::vector<std::wstring> names = Captions(list_);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"empty.txt", L"huge.iso", L"huger.iso", L"k1023.txt", L"k1024.dat",
                                                L"k2048.bin", L"secret.txt", L"サブ", L"日本語.txt", L"한국어.txt"}));
    const auto size = [&](const wchar_t* name) { return list_.Text(IndexOf(list_, name), 1); };
    EXPECT_EQ(size(L"empty.txt"), L"       1KB");
    EXPECT_EQ(size(L"k1023.txt"), L"       1KB");
    EXPECT_EQ(size(L"k1024.dat"), L"       2KB");
    EXPECT_EQ(size(L"k2048.bin"), L"       3KB");
    EXPECT_EQ(size(L"huge.iso"), L" 3145729KB");  // from the whole 64-bit size
    EXPECT_EQ(size(L"huger.iso"), L" 5242881KB");
    EXPECT_EQ(size(L"サブ"), L"       1KB");
    SHFILEINFOW type{};
    SHGetFileInfoW(folder.PathOf(L"日本語.txt").c_str(), 0, &type, sizeof type, SHGFI_TYPENAME);
    EXPECT_NE(std::wstring(type.szTypeName), L"");
    EXPECT_EQ(list_.Text(IndexOf(list_, L"日本語.txt"), 2), type.szTypeName);
    EXPECT_EQ(list_.Text(IndexOf(list_, L"サブ"), 2), L"Folder");

    // The shell's order: folders first. The full parsing path of an item; the report style is back.
    EXPECT_EQ(list_.Text(0), L"サブ");
    EXPECT_EQ(list_.GetItemPath(IndexOf(list_, L"한국어.txt")), folder.PathOf(L"한국어.txt"));
    EXPECT_EQ(list_.GetSelectedPath(), L"");
    list_.Select(IndexOf(list_, L"日本語.txt"));
    EXPECT_EQ(list_.GetSelectedPath(), folder.PathOf(L"日本語.txt"));
    EXPECT_EQ(list_.Style(), ViewStyle::Report);
    EXPECT_EQ(list_.ColumnCount(), 4);
    EXPECT_EQ(list_.Image(IndexOf(list_, L"empty.txt")), 0);
    EXPECT_EQ(list_.Overlay(IndexOf(list_, L"empty.txt")), 0);

    // Typing the first letters of a name selects the first item that begins with them.
    list_.Select(0);
    SendMessageW(list_.Handle(), WM_CHAR, L'K', 1);
    EXPECT_EQ(list_.GetSelectedPath(), folder.PathOf(L"k1023.txt"));

    // In the list style the columns are as wide as the longest name, which shows whole; the
    // report's name column keeps its width.
    TempFolder wide(L"_wide");
    const std::wstring longName = L"IMG_20240101_123456_a_rather_long_name.JPG";
    for (const std::wstring& name : {longName, std::wstring(L"a.txt")}) wide.AddFile(name);
    for (int i = 0; i < 80; ++i) wide.AddFile(L"s" + std::to_wstring(i) + L".txt");  // many short names
    Show(wide.Path());
    list_.SetViewStyle(ViewStyle::List);
    SIZE extent{};
    {
        const WindowDC dc(list_.Handle());
        const SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(list_.Handle(), WM_GETFONT, 0, 0)));
        GetTextExtentPoint32W(dc, longName.c_str(), static_cast<int>(longName.size()), &extent);
    }
    EXPECT_GT(SendMessageW(list_.Handle(), LVM_GETCOLUMNWIDTH, 0, 0), extent.cx + GetSystemMetrics(SM_CXSMICON));
    list_.SetViewStyle(ViewStyle::Report);
    EXPECT_EQ(SendMessageW(list_.Handle(), LVM_GETCOLUMNWIDTH, 0, 0), 120);

    // The first folder shown takes its items from a reading ahead of that folder (made while the
    // program starts); any later listing reads the folder again, and a reading of another folder
    // is left unused.
    TempFolder ahead(L"_先読み");
    ahead.AddFile(L"early.txt");
    std::unique_ptr<FolderReadAhead> reading = TFileView::ReadAhead(ahead.Path());
    reading->Wait();
    ahead.AddFile(L"late.txt");
    list_.UseReadAhead(std::move(reading));
    const IDList aheadList = test::ParsePath(ahead.Path());
    EXPECT_TRUE(list_.HoldsReadAhead(aheadList.Get()));
    Show(ahead.Path());
    EXPECT_EQ(Captions(list_), std::vector<std::wstring>{L"early.txt"});
    list_.FillList();
    EXPECT_EQ(Captions(list_), (std::vector<std::wstring>{L"early.txt", L"late.txt"}));
    list_.UseReadAhead(TFileView::ReadAhead(wide.Path()));
    EXPECT_FALSE(list_.HoldsReadAhead(aheadList.Get()));
    Show(ahead.Path());
    EXPECT_EQ(Captions(list_), (std::vector<std::wstring>{L"early.txt", L"late.txt"}));
}

TEST(FileTexts, SizesAndDatesOfAnyRange) {
    EXPECT_EQ(SizeText(0), L"       1KB");
    EXPECT_EQ(SizeText(1023), L"       1KB");
    EXPECT_EQ(SizeText(1024), L"       2KB");
    EXPECT_EQ(SizeText(2048), L"       3KB");
    EXPECT_EQ(SizeText(2 * kGiB), L" 2097153KB");
    EXPECT_EQ(SizeText(5000 * kGiB), L"5242880001KB");
    // Before 1980 and after 2107, where no DOS date reaches, in the same form.
    for (const auto& [year, text] : {std::pair<WORD, const wchar_t*>{1975, L"75/06/15 "}, {2110, L"10/06/15 "}}) {
        const SYSTEMTIME noon{year, 6, 0, 15, 12, 0, 0, 0};
        FILETIME time;
        ASSERT_TRUE(SystemTimeToFileTime(&noon, &time));
        const std::wstring date = DateText(time);
        EXPECT_EQ(date.substr(0, 9), text);
        EXPECT_EQ(date.size(), 14u);
    }
    EXPECT_EQ(DateText(FILETIME{0, 0}), L"");
    EXPECT_EQ(UpperExtension(L"C:\\d.x\\readme"), L"");
    EXPECT_EQ(UpperExtension(L"C:\\d\\Archive.Tar.gZ"), L".GZ");
    EXPECT_EQ(UpperExtension(L"C:.txt"), L".TXT");
}

// Icons and type names come once per type for plain files, yet every item shows what the shell
// gives that very file: programs keep their own icons, folders and shortcuts are asked for singly.
TEST_F(FileViewTest, EveryItemLooksAsTheShellShowsItAlone) {
    // Programs and a type of our own draw their icons from each file.
    const test::RegistryBackup programs(HKEY_CLASSES_ROOT, L".exe");
    const test::RegistryBackup ownType(HKEY_CLASSES_ROOT, L".mvicon");
    const test::RegistryBackup ownClass(HKEY_CLASSES_ROOT, L"MorvaneTest.PerFile");
    const test::RegistryBackup programIcon(HKEY_CLASSES_ROOT, L"exefile\\DefaultIcon");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L".exe", L"", L"exefile");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L"exefile\\DefaultIcon", L"", L"%1");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L".mvicon", L"", L"MorvaneTest.PerFile");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L"MorvaneTest.PerFile\\DefaultIcon", L"", L"%1");

    TempFolder folder(L"_種類");
    for (const wchar_t* name : {L"a.txt", L"B.TXT", L"c.dat", L"d.dat", L"readme", L"notes", L"e.Txt"})
        folder.AddFile(name);
    folder.AddFolder(L"sub.txt");
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring notepad = std::wstring(system) + L"\\notepad.exe";
    for (const wchar_t* name : {L"own.exe", L"own.mvicon"}) ASSERT_TRUE(CopyFileW(self, folder.PathOf(name).c_str(), TRUE));
    for (const wchar_t* name : {L"other.exe", L"other.mvicon"})
        ASSERT_TRUE(CopyFileW(notepad.c_str(), folder.PathOf(name).c_str(), TRUE));
    ComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.ReceiveVoid());
    ASSERT_TRUE(link);
    link->SetPath(folder.PathOf(L"other.exe").c_str());
    ASSERT_HRESULT_SUCCEEDED(link.As<IPersistFile>()->Save(folder.PathOf(L"other.lnk").c_str(), TRUE));
    list_.SetViewStyle(ViewStyle::Report);
    Show(folder.Path());
    ASSERT_EQ(list_.Count(), 13);

    const auto shellLook = [&](const wchar_t* name) {
        const IDList item = test::ParsePath(folder.PathOf(name));
        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item.Get()), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_TYPENAME);
        return std::pair<int, std::wstring>(info.iIcon, info.szTypeName);
    };
    const auto itemOf = [&](const wchar_t* name) {
        for (int i = 0; i < list_.Count(); ++i)
            if (list_.GetItemPath(i) == folder.PathOf(name)) return i;
        return -1;
    };
    for (const wchar_t* name : {L"a.txt", L"B.TXT", L"e.Txt", L"c.dat", L"d.dat", L"readme", L"notes", L"sub.txt",
                                L"own.exe", L"other.exe", L"own.mvicon", L"other.mvicon", L"other.lnk"}) {
        const int index = itemOf(name);
        ASSERT_GE(index, 0);
        const auto [image, type] = shellLook(name);
        EXPECT_EQ(list_.Image(index), image) << "icon of item " << index;
        EXPECT_EQ(list_.Text(index, 2), type) << "type of item " << index;
    }
    // The two programs really look different, so a look shared by type would show.
    EXPECT_NE(list_.Image(itemOf(L"own.exe")), list_.Image(itemOf(L"other.exe")));
    EXPECT_NE(list_.Image(itemOf(L"own.mvicon")), list_.Image(itemOf(L"other.mvicon")));
}

// A real folder whose comparisons are reversed, or fail: the order a folder gives its items is its
// own business, whatever its items' names suggest.
class ReorderedFolder : public IShellFolder {
public:
    // Reversed: the inner folder's order backwards. Logical: folders first, then names with their
    // digits as numbers, as Windows' own file-system folders order them.
    enum class Comparisons { Reversed, Failing, Logical };
    int Calls = 0;
    ReorderedFolder(IShellFolder* inner, Comparisons comparisons) : inner_(inner), comparisons_(comparisons) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IShellFolder) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM how, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
        ++Calls;
        if (comparisons_ == Comparisons::Failing) return E_FAIL;
        if (comparisons_ == Comparisons::Logical) {
            WIN32_FIND_DATAW first{}, second{};
            SHGetDataFromIDListW(inner_, a, SHGDFIL_FINDDATA, &first, sizeof first);
            SHGetDataFromIDListW(inner_, b, SHGDFIL_FINDDATA, &second, sizeof second);
            const bool folderA = first.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            const bool folderB = second.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            const int order = folderA != folderB ? (folderA ? -1 : 1) : StrCmpLogicalW(first.cFileName, second.cFileName);
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order < 0 ? -1 : order > 0)));
        }
        return inner_->CompareIDs(how, b, a);
    }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* c, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* l,
                                               ULONG* a) override {
        return inner_->ParseDisplayName(w, c, n, e, l, a);
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** e) override {
        return inner_->EnumObjects(w, f, e);
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE l, IBindCtx* c, REFIID i, void** o) override {
        return inner_->BindToObject(l, c, i, o);
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE l, IBindCtx* c, REFIID i, void** o) override {
        return inner_->BindToStorage(l, c, i, o);
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID i, void** o) override {
        return inner_->CreateViewObject(w, i, o);
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT n, PCUITEMID_CHILD_ARRAY l, SFGAOF* a) override {
        return inner_->GetAttributesOf(n, l, a);
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT n, PCUITEMID_CHILD_ARRAY l, REFIID i, UINT* r,
                                            void** o) override {
        return inner_->GetUIObjectOf(w, n, l, i, r, o);
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD l, SHGDNF f, STRRET* n) override {
        return inner_->GetDisplayNameOf(l, f, n);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD l, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override {
        return inner_->SetNameOf(w, l, n, f, o);
    }

private:
    IShellFolder* inner_;
    Comparisons comparisons_;
};

// A real folder's items as its enumeration gives them, each identifier owned here.
struct FolderItems {
    explicit FolderItems(const std::wstring& path)
        : list(test::ParsePath(path)), folder(BindToFolder(list.Get())) {
        const FolderContents contents = EnumerateItems(folder.Get(), nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
        for (IDList id = contents.Next(); id; id = contents.Next()) owned.push_back(std::move(id));
        for (const IDList& id : owned) items.push_back(id.Get());
    }
    IDList list;
    ComPtr<IShellFolder> folder;
    std::vector<IDList> owned;
    std::vector<LPCITEMIDLIST> items;
};

TEST_F(FileViewTest, ItemsComeInTheFoldersOwnOrder) {
    TempFolder folder(L"_順");
    for (const wchar_t* name : {L"b.txt", L"A.txt", L"_c.txt", L"co-op.txt", L"coop.txt", L"10.txt", L"9.txt", L"日本.txt"})
        folder.AddFile(name);
    folder.AddFolder(L"z");
    folder.AddFolder(L"Y");
    const FolderItems listed(folder.Path());
    const ComPtr<IShellFolder>& shellFolder = listed.folder;
    const std::vector<LPCITEMIDLIST>& items = listed.items;
    ASSERT_EQ(items.size(), 10u);
    const auto names = [&](const std::vector<size_t>& order) {
        std::vector<std::wstring> shown;
        for (size_t index : order) shown.push_back(DisplayName(shellFolder.Get(), items[index], SHGDN_INFOLDER));
        return shown;
    };
    const auto reversed = [](std::vector<std::wstring> names) {
        std::reverse(names.begin(), names.end());
        return names;
    };

    // The shell's own order (folders first); descending is its reverse.
    const std::vector<std::wstring> ascending = names(FolderOrder(shellFolder.Get(), items, 1));
    std::vector<LPCITEMIDLIST> byShell = items;
    std::stable_sort(byShell.begin(), byShell.end(), [&](LPCITEMIDLIST a, LPCITEMIDLIST b) {
        return CompareIDLists(shellFolder.Get(), a, b) < 0;
    });
    std::vector<std::wstring> expected;
    for (LPCITEMIDLIST item : byShell) expected.push_back(DisplayName(shellFolder.Get(), item, SHGDN_INFOLDER));
    EXPECT_EQ(ascending, expected);
    EXPECT_EQ(ascending.front().size(), 1u);  // a folder
    EXPECT_EQ(names(FolderOrder(shellFolder.Get(), items, -1)), reversed(ascending));
    // Given in the folder's order, in its reverse or in neither, they come in it all the same.
    std::vector<LPCITEMIDLIST> mixed = byShell;
    std::swap(mixed[0], mixed[mixed.size() / 2]);
    for (const std::vector<LPCITEMIDLIST>& given :
         {byShell, std::vector<LPCITEMIDLIST>(byShell.rbegin(), byShell.rend()), mixed}) {
        for (int direction : {1, -1}) {
            std::vector<std::wstring> shown;
            for (size_t index : FolderOrder(shellFolder.Get(), given, direction))
                shown.push_back(DisplayName(shellFolder.Get(), given[index], SHGDN_INFOLDER));
            EXPECT_EQ(shown, direction > 0 ? ascending : reversed(ascending));
        }
    }

    // A folder that orders its items otherwise is followed, both ways.
    ReorderedFolder backwards(shellFolder.Get(), ReorderedFolder::Comparisons::Reversed);
    EXPECT_EQ(names(FolderOrder(&backwards, items, 1)), reversed(ascending));
    EXPECT_EQ(names(FolderOrder(&backwards, items, -1)), ascending);
    // Numbered names as Windows orders them, digits as numbers: guessed by that rule and proven by
    // the neighbours, not sorted pair by pair.
    TempFolder numbered(L"_番号");
    for (const wchar_t* name : {L"DSC_10.JPG", L"DSC_2.JPG", L"dsc_1.jpg", L"DSC_100.JPG", L"DSC_9a.JPG", L"DSC_9.JPG",
                                L"写真 3.png", L"写真 20.png"})
        numbered.AddFile(name);
    numbered.AddFolder(L"版 10");
    numbered.AddFolder(L"版 9");
    const FolderItems numberedListed(numbered.Path());
    const ComPtr<IShellFolder>& numberedFolder = numberedListed.folder;
    const std::vector<LPCITEMIDLIST>& numberedItems = numberedListed.items;
    ASSERT_EQ(numberedItems.size(), 10u);
    ReorderedFolder logical(numberedFolder.Get(), ReorderedFolder::Comparisons::Logical);
    for (int direction : {1, -1}) {
        logical.Calls = 0;
        std::vector<std::wstring> shown;
        for (size_t index : FolderOrder(&logical, numberedItems, direction))
            shown.push_back(DisplayName(numberedFolder.Get(), numberedItems[index], SHGDN_INFOLDER | SHGDN_FORPARSING));
        std::vector<std::wstring> logicalOrder{L"版 9",       L"版 10",       L"dsc_1.jpg",  L"DSC_2.JPG",   L"DSC_9.JPG",
                                               L"DSC_9a.JPG", L"DSC_10.JPG", L"DSC_100.JPG", L"写真 3.png", L"写真 20.png"};
        if (direction < 0) std::reverse(logicalOrder.begin(), logicalOrder.end());
        EXPECT_EQ(shown, logicalOrder);
        EXPECT_LT(logical.Calls, 2 * 10) << "sorted pair by pair";
    }

    // One whose comparisons fail gives every item once, in some order.
    ReorderedFolder failing(shellFolder.Get(), ReorderedFolder::Comparisons::Failing);
    for (int direction : {1, -1}) {
        std::vector<size_t> order = FolderOrder(&failing, items, direction);
        std::sort(order.begin(), order.end());
        EXPECT_EQ(order, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
}

// Which types share one icon among their files: the registry of file types decides.
TEST(FileTypes, AnIconTakenFromEachFileIsNotShared) {
    const test::RegistryBackup extension(HKEY_CLASSES_ROOT, L".mvtest");
    const test::RegistryBackup perFile(HKEY_CLASSES_ROOT, L"MorvaneTest.PerFile");
    const test::RegistryBackup handled(HKEY_CLASSES_ROOT, L"MorvaneTest.Handled");
    const test::RegistryBackup plain(HKEY_CLASSES_ROOT, L"MorvaneTest.Plain");
    EXPECT_TRUE(IconSharedByType(L".TXT"));
    EXPECT_TRUE(IconSharedByType(L""));
    EXPECT_TRUE(IconSharedByType(L".MVTEST"));  // nothing registered
    for (const wchar_t* own : {L".EXE", L".ICO", L".CUR", L".LNK", L".URL"}) EXPECT_FALSE(IconSharedByType(own));

    test::PutRegistryText(HKEY_CLASSES_ROOT, L"MorvaneTest.Plain\\DefaultIcon", L"", L"shell32.dll,3");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L"MorvaneTest.PerFile\\DefaultIcon", L"", L"%1");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L"MorvaneTest.Handled\\shellex\\IconHandler", L"",
                          L"{00000000-0000-0000-0000-000000000001}");
    test::PutRegistryText(HKEY_CLASSES_ROOT, L".mvtest", L"", L"MorvaneTest.Plain");
    EXPECT_TRUE(IconSharedByType(L".MVTEST"));
    test::PutRegistryText(HKEY_CLASSES_ROOT, L".mvtest", L"", L"MorvaneTest.PerFile");
    EXPECT_FALSE(IconSharedByType(L".MVTEST"));
    test::PutRegistryText(HKEY_CLASSES_ROOT, L".mvtest", L"", L"MorvaneTest.Handled");
    EXPECT_FALSE(IconSharedByType(L".MVTEST"));

    // Looks are kept only for the types that share them, by the extension as it is written.
    TypeLooks looks;
    EXPECT_EQ(looks.Find(L"a.txt"), nullptr);
    looks.Remember(L"a.txt", {7, L"Text Document"});
    looks.Remember(L"a.exe", {8, L"Application"});
    looks.Remember(L"readme", {9, L"File"});
    ASSERT_NE(looks.Find(L"b.txt"), nullptr);
    EXPECT_EQ(looks.Find(L"b.txt")->Image, 7);
    EXPECT_EQ(looks.Find(L"b.txt")->TypeName, L"Text Document");
    EXPECT_EQ(looks.Find(L"B.TXT"), nullptr);
    EXPECT_EQ(looks.Find(L"b.exe"), nullptr);
    ASSERT_NE(looks.Find(L"notes"), nullptr);
    EXPECT_EQ(looks.Find(L"notes")->Image, 9);
}

TEST_F(FileViewTest, ShortcutsWearTheOverlay) {
    TempFolder folder(L"_ﾘﾝｸ");
    folder.AddFile(L"a.txt");
    ComPtr<IShellLinkW> link;
    CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.ReceiveVoid());
    ASSERT_TRUE(link);
    link->SetPath(folder.PathOf(L"a.txt").c_str());
    ASSERT_HRESULT_SUCCEEDED(link.As<IPersistFile>()->Save(folder.PathOf(L"a へ.lnk").c_str(), TRUE));
    Show(folder.Path());
    ASSERT_EQ(list_.Count(), 2);
    EXPECT_EQ(list_.Overlay(IndexOf(list_, L"a.txt")), 0);
    const int shortcut = list_.Text(0) == L"a.txt" ? 1 : 0;
    EXPECT_EQ(list_.Overlay(shortcut), 2);
}

TEST_F(FileViewTest, MaskKeepsFoldersAndMatchingExtensions) {
    TempFolder folder(L"_ﾏｽｸ");
    for (const wchar_t* name : {L"a.txt", L"B.TxT", L"a.txt.bak", L"README", L"c.text"}) folder.AddFile(name);
    folder.AddFolder(L"dir.bak");
    list_.SetMask({L".TXT"});
    Show(folder.Path());
    std::vector<std::wstring> names = Captions(list_);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"B.TxT", L"a.txt", L"dir.bak"}));

    // An entry without its dot matches nothing; setting the mask alone reads nothing.
    list_.SetMask({L"TXT"});
    EXPECT_EQ(list_.Count(), 3);
    list_.FillList();
    EXPECT_EQ(Captions(list_), (std::vector<std::wstring>{L"dir.bak"}));
    list_.SetMask({L".md", L".bak"});
    list_.FillList();
    names = Captions(list_);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"a.txt.bak", L"dir.bak"}));
}

TEST_F(FileViewTest, ColumnClicksSortEachColumnByItsValuesAndDirection) {
    TempFolder folder(L"_並べ替え");
    folder.AddFile(L"c9k.txt", 0, std::string(9 * 1024, 'x'));
    folder.AddFile(L"a10k.txt", 0, std::string(10 * 1024, 'x'));
    folder.AddFile(L"b1k.txt", 0, std::string(10, 'x'));
    MakeLargeFile(folder.PathOf(L"d3g.bin"), 3 * kGiB);
    MakeLargeFile(folder.PathOf(L"e5g.bin"), 5 * kGiB);
    SetLastWrite(folder.PathOf(L"a10k.txt"), 2005);
    SetLastWrite(folder.PathOf(L"b1k.txt"), 1999);
    SetLastWrite(folder.PathOf(L"c9k.txt"), 1985);
    SetLastWrite(folder.PathOf(L"d3g.bin"), 2030);
    SetLastWrite(folder.PathOf(L"e5g.bin"), 1970);
    list_.SetViewStyle(ViewStyle::Report);
    form_.Show();
    Show(folder.Path());

    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"a10k.txt", L"b1k.txt", L"c9k.txt", L"d3g.bin", L"e5g.bin"}));
    EXPECT_EQ(list_.Text(IndexOf(list_, L"b1k.txt"), 3).substr(0, 9), L"99/06/15 ");
    list_.Select(IndexOf(list_, L"c9k.txt"));  // the selection moves with its item in every sort
    // So do the focus and the anchor of a Shift+click, each with its own item.
    list_.SetFocused(IndexOf(list_, L"b1k.txt"));
    list_.SetSelectionMark(IndexOf(list_, L"a10k.txt"));
    EXPECT_EQ(list_.Text(IndexOf(list_, L"a10k.txt"), 3).substr(0, 9), L"05/06/15 ");
    EXPECT_EQ(list_.Text(IndexOf(list_, L"a10k.txt"), 3).size(), 14u);

    ClickHeader(1);  // size, first click after a fill: descending
    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"e5g.bin", L"d3g.bin", L"a10k.txt", L"c9k.txt", L"b1k.txt"}));
    EXPECT_EQ(list_.Focused(), IndexOf(list_, L"b1k.txt"));
    EXPECT_EQ(list_.SelectionMark(), IndexOf(list_, L"a10k.txt"));
    ClickHeader(1);
    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"b1k.txt", L"c9k.txt", L"a10k.txt", L"d3g.bin", L"e5g.bin"}));
    ClickHeader(3);  // the date keeps its own direction: descending first, by time ("99" before "05")
    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"d3g.bin", L"a10k.txt", L"b1k.txt", L"c9k.txt", L"e5g.bin"}));
    EXPECT_EQ(list_.SelectionMark(), IndexOf(list_, L"a10k.txt"));
    ClickHeader(3);
    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"e5g.bin", L"c9k.txt", L"b1k.txt", L"a10k.txt", L"d3g.bin"}));
    ClickHeader(0);
    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"e5g.bin", L"d3g.bin", L"c9k.txt", L"b1k.txt", L"a10k.txt"}));
    ClickHeader(2);  // by type name, descending: the text files before the binary ones
    EXPECT_EQ(Captions(list_).back(), L"d3g.bin");
    const std::vector<std::wstring> types = Captions(list_, 2);
    EXPECT_TRUE(std::is_sorted(types.rbegin(), types.rend(),
                               [](const std::wstring& a, const std::wstring& b) { return lstrcmpW(a.c_str(), b.c_str()) < 0; }));
    EXPECT_EQ(TFileView::SortDirections[1], 1);
    EXPECT_EQ(list_.GetSelectedPath(), folder.PathOf(L"c9k.txt"));
    EXPECT_EQ(list_.SelectedCount(), 1);

    // A fill resets every direction: the size column starts descending again.
    list_.FillList();
    EXPECT_EQ(Captions(list_),
              (std::vector<std::wstring>{L"a10k.txt", L"b1k.txt", L"c9k.txt", L"d3g.bin", L"e5g.bin"}));
    ClickHeader(1);
    EXPECT_EQ(Captions(list_).front(), L"e5g.bin");
    list_.SortByColumn(4);  // no such column: nothing happens
    EXPECT_EQ(Captions(list_).front(), L"e5g.bin");

    // Files that each look their own (programs, icons, shortcuts) share a type name: among them
    // the order they had, here by name, stays.
    TempFolder own(L"_種類");
    for (const wchar_t* name : {L"b.exe", L"a.exe", L"c.exe", L"b.ico", L"a.ico", L"m.txt"}) own.AddFile(name);
    Show(own.Path());
    list_.SortByColumn(2);
    list_.SortByColumn(2);  // ascending
    std::vector<std::wstring> exe, ico;
    for (const std::wstring& name : Captions(list_)) {
        if (name.ends_with(L".exe")) exe.push_back(name);
        if (name.ends_with(L".ico")) ico.push_back(name);
    }
    EXPECT_EQ(exe, (std::vector<std::wstring>{L"a.exe", L"b.exe", L"c.exe"}));
    EXPECT_EQ(ico, (std::vector<std::wstring>{L"a.ico", L"b.ico"}));

    // Items the shell gives no size (the drives under the computer) sort where their empty texts
    // would: last descending, first ascending.
    const IDList computer = SpecialFolderList(nullptr, CSIDL_DRIVES);
    list_.SetFolderIDList(computer.Get());
    const auto sizes = [&] { return Captions(list_, 1); };
    const std::vector<std::wstring> filled = sizes();
    ASSERT_EQ(std::count(filled.begin(), filled.end(), L""), 2);  // the two drives, C: and Z:
    ASSERT_GT(filled.size(), 2u);
    list_.SortByColumn(1);
    EXPECT_EQ(sizes().back(), L"");
    EXPECT_NE(sizes().front(), L"");
    list_.SortByColumn(1);
    const std::vector<std::wstring> ascending = sizes();
    EXPECT_TRUE(std::is_sorted(ascending.begin(), ascending.end())) << "empty sizes first";
    EXPECT_EQ(ascending.front(), L"");
}

TEST_F(FileViewTest, RenamesThroughTheShellOrRestoresTheName) {
    TempFolder folder(L"_改名");
    folder.AddFile(L"a.txt");
    folder.AddFile(L"b.txt");
    form_.Show();
    Show(folder.Path());
    test::ErrorBoxCatcher boxes;  // answers the shell's own message, if it shows one

    int index = IndexOf(list_, L"a.txt");
    list_.EditLabel(index);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)), L"한국어_名前.txt");
    EXPECT_EQ(list_.Text(index), L"한국어_名前.txt");
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"b.txt", L"한국어_名前.txt"}));
    EXPECT_EQ(list_.GetItemPath(index), folder.PathOf(L"한국어_名前.txt"));

    // A name taken already: the shell refuses, the item shows its own name again.
    index = IndexOf(list_, L"b.txt");
    list_.EditLabel(index);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)), L"한국어_名前.txt");
    EXPECT_EQ(list_.Text(index), L"b.txt");
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"b.txt", L"한국어_名前.txt"}));

    // A name too long for the shell's buffer never reaches it.
    list_.EditLabel(index);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)),
                    std::wstring(300, L'x'));
    EXPECT_EQ(list_.Text(index), L"b.txt");
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"b.txt", L"한국어_名前.txt"}));
}

// After a rename in place the row is the renamed file's: its type, its icon; and in the list style
// the columns fit the widest name by its real width, the renamed one included.
TEST_F(FileViewTest, ARenameUpdatesTheWholeRowAndTheColumnsWidth) {
    TempFolder folder(L"_行");
    folder.AddFile(L"a.txt");
    const std::wstring wide = std::wstring(30, L'W') + L".txt";
    folder.AddFile(wide);
    for (int i = 0; i < 70; ++i) folder.AddFile(std::wstring(40, L'i') + std::to_wstring(i) + L".txt");
    form_.Show();
    Show(folder.Path());
    test::ErrorBoxCatcher boxes;
    const auto widthOf = [&](const std::wstring& text) {
        const WindowDC dc(list_.Handle());
        const SelectedObject font(dc, reinterpret_cast<HFONT>(SendMessageW(list_.Handle(), WM_GETFONT, 0, 0)));
        SIZE extent{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        return static_cast<int>(extent.cx);
    };
    const auto columnWidth = [&] { return static_cast<int>(SendMessageW(list_.Handle(), LVM_GETCOLUMNWIDTH, 0, 0)); };
    list_.SetViewStyle(ViewStyle::List);
    EXPECT_GT(columnWidth(), widthOf(list_.Text(IndexOf(list_, wide))) + GetSystemMetrics(SM_CXSMICON));

    int index = IndexOf(list_, L"a.txt");
    ASSERT_GE(index, 0);
    const std::wstring txtType = list_.Text(index, 2);
    EXPECT_EQ(txtType, L"txt file");
    list_.EditLabel(index);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)), L"a.bmp");
    ASSERT_EQ(list_.Text(index), L"a.bmp");
    SHFILEINFOW bmp{};
    SHGetFileInfoW(folder.PathOf(L"a.bmp").c_str(), 0, &bmp, sizeof bmp, SHGFI_TYPENAME | SHGFI_SYSICONINDEX);
    EXPECT_EQ(list_.Text(index, 2), bmp.szTypeName);
    EXPECT_NE(list_.Text(index, 2), txtType);
    EXPECT_EQ(list_.Image(index), bmp.iIcon);

    // Renamed wider than every other name: the columns widen to it.
    const std::wstring wider = std::wstring(45, L'W') + L".bmp";
    list_.EditLabel(index);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)), wider);
    ASSERT_EQ(list_.Text(index), wider);
    EXPECT_GT(columnWidth(), widthOf(wider) + GetSystemMetrics(SM_CXSMICON));

    // Small icons take the widest caption's width as well, coming in and after a rename, and every
    // row still shows its own caption.
    const auto rowWidth = [&](int item) {
        RECT bounds{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(list_.Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds));
        return static_cast<int>(bounds.right - bounds.left);
    };
    list_.SetViewStyle(ViewStyle::SmallIcon);
    EXPECT_GT(rowWidth(index), widthOf(wider) + GetSystemMetrics(SM_CXSMICON));
    const std::wstring widest = std::wstring(60, L'W') + L".txt";
    const int renamed = IndexOf(list_, wide);
    list_.EditLabel(renamed);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)), widest);
    ASSERT_EQ(list_.Text(renamed), widest);
    EXPECT_GT(rowWidth(renamed), widthOf(widest) + GetSystemMetrics(SM_CXSMICON));
    const std::vector<std::wstring> captions = Captions(list_);
    EXPECT_EQ(std::set<std::wstring>(captions.begin(), captions.end()).size(), 72u);
    // Each in a place of its own on the grid.
    std::set<std::pair<LONG, LONG>> places;
    for (int item = 0; item < list_.Count(); ++item) places.emplace(list_.ItemRect(item).left, list_.ItemRect(item).top);
    EXPECT_EQ(places.size(), 72u);
}

// Explorer's "hide extensions of known types" makes the shell's names drop the extension; the
// option shows files by their whole names, and a rename in place edits that whole name. Typing
// the first letters goes by what is shown, on rows not drawn yet too.
TEST_F(FileViewTest, ExtensionsShownWhenAskedAndTypingGoesByWhatIsShown) {
    const std::wstring advancedKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    const test::RegistryBackup advanced(HKEY_CURRENT_USER, advancedKey);
    const DWORD hide = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, advancedKey.c_str(), L"HideFileExt", REG_DWORD, &hide, sizeof hide);
    TempFolder folder(L"_拡張子");
    for (const wchar_t* name : {L"photo.JPG", L"photo.jpeg", L"photo.jpg.txt", L"memo.txt"}) folder.AddFile(name);
    folder.AddFolder(L"版.d");
    Show(folder.Path());

    // Not drawn yet: "photo.j", typed, is the start of the name shown as "photo.jpg", not of the
    // files shown as "photo" whose names begin so. (Asked as the control asks when letters are
    // typed, without the typing's timing.)
    LVFINDINFOW typed{};
    typed.flags = LVFI_PARTIAL | LVFI_STRING | LVFI_WRAP;
    typed.psz = L"photo.j";
    const auto found = static_cast<int>(SendMessageW(list_.Handle(), LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                     reinterpret_cast<LPARAM>(&typed)));
    EXPECT_EQ(list_.GetItemPath(found), folder.PathOf(L"photo.jpg.txt"));

    std::multiset<std::wstring> shown;
    for (const std::wstring& caption : Captions(list_)) shown.insert(caption);
    EXPECT_EQ(shown, (std::multiset<std::wstring>{L"memo", L"photo", L"photo", L"photo.jpg", L"版.d"}));
    list_.Select(IndexOf(list_, L"memo"));
    SendMessageW(list_.Handle(), WM_CHAR, L'p', 1);  // typed: the first item shown beginning so
    EXPECT_EQ(list_.Text(list_.FirstSelected()).substr(0, 5), L"photo");
    list_.SetShowExtensions(true);
    shown.clear();
    for (const std::wstring& caption : Captions(list_)) shown.insert(caption);
    EXPECT_EQ(shown, (std::multiset<std::wstring>{L"memo.txt", L"photo.JPG", L"photo.jpeg", L"photo.jpg.txt", L"版.d"}));

    form_.Show();
    test::ErrorBoxCatcher boxes;
    const int index = IndexOf(list_, L"photo.JPG");
    ASSERT_GE(index, 0);
    list_.EditLabel(index);
    const auto edit = reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0));
    wchar_t editing[MAX_PATH] = {};
    GetWindowTextW(edit, editing, MAX_PATH);
    EXPECT_STREQ(editing, L"photo.JPG");
    test::TypeLabel(edit, L"photo.png");
    EXPECT_EQ(list_.Text(index), L"photo.png");
    EXPECT_EQ(folder.Names(),
              (std::vector<std::wstring>{L"memo.txt", L"photo.jpeg", L"photo.jpg.txt", L"photo.png", L"版.d"}));
    list_.SetShowExtensions(false);
    EXPECT_EQ(list_.Text(index), L"photo");

    // Extensions shown by the system, but never for a type that says so: each file by its type.
    const test::RegistryBackup type(HKEY_CLASSES_ROOT, L".mvnshow");
    const test::RegistryBackup program(HKEY_CLASSES_ROOT, L"Morvane.TestNoExtension");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L".mvnshow", nullptr, REG_SZ, L"Morvane.TestNoExtension",
                    sizeof L"Morvane.TestNoExtension");
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"Morvane.TestNoExtension", L"NeverShowExt", REG_SZ, L"", sizeof L"");
    const DWORD show = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, advancedKey.c_str(), L"HideFileExt", REG_DWORD, &show, sizeof show);
    for (const wchar_t* name : {L"x.mvnshow", L"y.MVNSHOW", L"z.mvnshow"}) folder.AddFile(name);
    Show(folder.Path());
    shown.clear();
    for (const std::wstring& caption : Captions(list_)) shown.insert(caption);
    EXPECT_EQ(shown, (std::multiset<std::wstring>{L"memo.txt", L"photo.jpeg", L"photo.jpg.txt", L"photo.png", L"x",
                                                 L"y", L"z", L"版.d"}));
}

TEST_F(FileViewTest, TheDesktopAndNoFolder) {
    list_.FillList();  // no folder yet: nothing to read
    EXPECT_EQ(list_.Count(), 0);
    EXPECT_EQ(list_.GetItemPath(0), L"");
    const IDList desktop = SpecialFolderList(nullptr, CSIDL_DESKTOP);
    list_.SetFolderIDList(desktop.Get());
    ASSERT_NE(list_.Folder(), nullptr);
    EXPECT_GE(IndexOf(list_, L"マイ コンピューター"), 0);

    // Something that is no folder (a file) is not shown as the desktop: the list stays as it was.
    TempFolder folder;
    folder.AddFile(L"a.txt");
    Show(folder.Path());
    const IDList file = test::ParsePath(folder.PathOf(L"a.txt"));
    list_.SetFolderIDList(file.Get());
    EXPECT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.GetItemPath(0), folder.PathOf(L"a.txt"));
}

TEST_F(FileViewTest, RightClickShowsTheMenuOfTheSelectedItemOnly) {
    TempFolder folder(L"_右");
    folder.AddFile(L"a.txt");
    TShellContextMenu menu;
    list_.SetContextMenu(&menu);
    form_.Show();
    Show(folder.Path());

    // Pressed and released on empty space below the item: no menu.
    EXPECT_EQ(test::RightClickMenu(list_.Handle(), 300, 300), nullptr);
    EXPECT_EQ(menu.Items().Count(), 0);

    // With the item selected, the shell's menu for it opens.
    list_.Select(0);
    const RECT item = list_.ItemRect(0);
    EXPECT_NE(test::RightClickMenu(list_.Handle(), item.left + 5, item.top + 3), nullptr);
    EXPECT_GT(menu.Items().Count(), 0);
}

}  // namespace
}  // namespace morvane
