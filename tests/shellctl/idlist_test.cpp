#include "shellctl/idlist.h"

#include <cstring>
#include <vector>

#include "common/temp_folder.h"
#include "shellctl/shell_test_support.h"

namespace morvane {
namespace {

using Bytes = std::vector<unsigned char>;

// A list made byte by byte from identifiers of the given sizes (count field included); each
// identifier's data bytes repeat its own position, so that copies can be told apart.
IDList MakeList(std::initializer_list<USHORT> sizes) {
    Bytes bytes;
    unsigned char fill = 1;
    for (USHORT size : sizes) {
        bytes.push_back(static_cast<unsigned char>(size & 0xFF));
        bytes.push_back(static_cast<unsigned char>(size >> 8));
        bytes.insert(bytes.end(), size - 2u, fill++);
    }
    bytes.insert(bytes.end(), 2, 0);
    auto* list = static_cast<LPITEMIDLIST>(ShellAlloc(bytes.size()));
    std::memcpy(list, bytes.data(), bytes.size());
    return IDList(list);
}

Bytes BytesOf(LPCITEMIDLIST list) {
    const auto* start = reinterpret_cast<const unsigned char*>(list);
    return Bytes(start, start + GetIDListSize(list));
}

// A folder that answers names and comparisons the way the test says, for what real folders of
// this system never do (ANSI names, failing comparisons).
class ScriptedFolder : public IShellFolder {
public:
    STRRET Name{};
    HRESULT NameResult = S_OK;
    HRESULT CompareResult = E_FAIL;
    ULONG References = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IShellFolder) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
    ULONG STDMETHODCALLTYPE Release() override { return --References; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList** items) override {
        *items = nullptr;
        return S_FALSE;  // success, and nothing to list
    }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override {
        EXPECT_GT(References, 1u) << "the folder is held during the call";
        return CompareResult;
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET* name) override {
        EXPECT_GT(References, 1u) << "the folder is held during the call";
        *name = Name;
        return NameResult;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override { return E_NOTIMPL; }
};

class IDListTest : public test::ShellTest {};

TEST_F(IDListTest, SizesAndWalking) {
    EXPECT_EQ(GetIDListSize(nullptr), 0u);
    const IDList empty = MakeList({});
    EXPECT_EQ(GetIDListSize(empty.Get()), 2u);
    const IDList two = MakeList({14, 20});
    EXPECT_EQ(GetIDListSize(two.Get()), 36u);

    // Walking visits each identifier once; the empty list is visited once, as a size-0 one.
    const LPCITEMIDLIST second = NextIDOrNil(two.Get());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(reinterpret_cast<const BYTE*>(second) - reinterpret_cast<const BYTE*>(two.Get()), 14);
    EXPECT_EQ(second, NextID(two.Get()));
    EXPECT_EQ(NextIDOrNil(second), nullptr);
    EXPECT_EQ(NextIDOrNil(empty.Get()), nullptr);
    EXPECT_EQ(NextIDOrNil(nullptr), nullptr);
}

TEST_F(IDListTest, CopiesJoinsAndSplits) {
    const IDList empty = MakeList({});
    const IDList one = MakeList({6});
    const IDList three = MakeList({4, 6, 8});

    // The first identifier with a terminator of its own.
    const IDList first(CopyFirstID(three.Get()));
    EXPECT_EQ(BytesOf(first.Get()), (Bytes{4, 0, 1, 1, 0, 0}));
    EXPECT_EQ(BytesOf(IDList(CopyFirstID(empty.Get())).Get()), (Bytes{0, 0}));
    EXPECT_EQ(CopyFirstID(nullptr), nullptr);

    // Joining with the empty list (or nil) on either side copies the other, terminator included.
    EXPECT_EQ(BytesOf(IDList(ConcatIDLists(empty.Get(), one.Get())).Get()), BytesOf(one.Get()));
    EXPECT_EQ(BytesOf(IDList(ConcatIDLists(one.Get(), empty.Get())).Get()), BytesOf(one.Get()));
    EXPECT_EQ(BytesOf(IDList(ConcatIDLists(nullptr, one.Get())).Get()), BytesOf(one.Get()));
    EXPECT_EQ(BytesOf(IDList(ConcatIDLists(one.Get(), nullptr)).Get()), BytesOf(one.Get()));
    EXPECT_EQ(BytesOf(IDList(ConcatIDLists(one.Get(), three.Get())).Get()),
              (Bytes{6, 0, 1, 1, 1, 1, 4, 0, 1, 1, 6, 0, 2, 2, 2, 2, 8, 0, 3, 3, 3, 3, 3, 3, 0, 0}));
    // The consuming join frees both inputs: only the result stays alive.
    const long before = IDList::LiveCount();
    IDList a = MakeList({4}), b = MakeList({6});
    const IDList joined(ConcatIDListsFree(a.Release(), b.Release()));
    EXPECT_EQ(GetIDListSize(joined.Get()), 12u);
    EXPECT_EQ(IDList::LiveCount(), before + 1);

    // Parent: all but the last identifier; nil for fewer than two.
    EXPECT_EQ(ParentIDList(one.Get()), nullptr);
    EXPECT_EQ(ParentIDList(empty.Get()), nullptr);
    EXPECT_EQ(ParentIDList(nullptr), nullptr);
    EXPECT_EQ(BytesOf(IDList(ParentIDList(three.Get())).Get()), (Bytes{4, 0, 1, 1, 6, 0, 2, 2, 2, 2, 0, 0}));

    // Last: the last identifier alone; the empty list gives an empty list, not nil.
    EXPECT_EQ(BytesOf(IDList(LastIDList(three.Get())).Get()), (Bytes{8, 0, 3, 3, 3, 3, 3, 3, 0, 0}));
    const IDList lastOfEmpty(LastIDList(empty.Get()));
    ASSERT_NE(lastOfEmpty.Get(), nullptr);
    EXPECT_EQ(BytesOf(lastOfEmpty.Get()), (Bytes{0, 0}));
    EXPECT_EQ(LastIDList(nullptr), nullptr);
}

TEST_F(IDListTest, OwningListCountsAndFreesOnce) {
    const long before = IDList::LiveCount();
    {
        IDList a = MakeList({4});
        IDList b = std::move(a);
        EXPECT_EQ(a.Get(), nullptr);
        EXPECT_EQ(IDList::LiveCount(), before + 1);
        IDList c = IDList::Copy(b.Get());
        EXPECT_EQ(BytesOf(c.Get()), BytesOf(b.Get()));
        EXPECT_NE(c.Get(), b.Get());
        c = std::move(b);  // c's own copy is freed
        EXPECT_EQ(IDList::LiveCount(), before + 1);
        c.Reset();
        EXPECT_EQ(IDList::LiveCount(), before);
    }
    EXPECT_EQ(IDList::LiveCount(), before);
}

TEST_F(IDListTest, ComparesThroughTheFolder) {
    test::TempFolder folder(L"_比較");
    folder.AddFolder(L"a");
    folder.AddFolder(L"b");
    const IDList a = test::ParsePath(folder.PathOf(L"a"));
    const IDList b = test::ParsePath(folder.PathOf(L"b"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(CompareIDLists(DesktopFolder(), a.Get(), a.Get()), 0);
    EXPECT_LT(CompareIDLists(DesktopFolder(), a.Get(), b.Get()), 0);
    EXPECT_GT(CompareIDLists(DesktopFolder(), b.Get(), a.Get()), 0);

    // A failed comparison never reads as the same item; the folder is let go afterwards.
    ScriptedFolder scripted;
    EXPECT_EQ(CompareIDLists(&scripted, a.Get(), a.Get()), -1);
    scripted.CompareResult = MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0xFFFE);  // low 16 bits: -2
    EXPECT_EQ(CompareIDLists(&scripted, a.Get(), b.Get()), -2);
    EXPECT_EQ(scripted.References, 1u);
}

TEST_F(IDListTest, DisplayNamesOfEveryKind) {
    // An identifier whose data holds a Shift-JIS name: 表示 is 95 5C 8E A6 (its trail byte is "\").
    const unsigned char id[] = {8, 0, 0x95, 0x5C, 0x8E, 0xA6, 0, 0, 0, 0};
    auto* raw = static_cast<LPITEMIDLIST>(ShellAlloc(sizeof id));
    std::memcpy(raw, id, sizeof id);
    const IDList list(raw);

    ScriptedFolder folder;
    std::wstring name = L"old";
    folder.Name.uType = STRRET_OFFSET;
    folder.Name.uOffset = 2;  // read inside the list, not inside the STRRET
    EXPECT_TRUE(GetDisplayName(&folder, list.Get(), SHGDN_NORMAL, name));
    EXPECT_EQ(name, L"表示");

    folder.Name.uType = STRRET_CSTR;
    std::memcpy(folder.Name.cStr, "\x83\x5C\x83\x74\x83\x67.txt", 11);  // ソフト.txt
    EXPECT_TRUE(GetDisplayName(&folder, list.Get(), SHGDN_NORMAL, name));
    EXPECT_EQ(name, L"ソフト.txt");

    folder.Name.uType = STRRET_WSTR;
    const wchar_t wide[] = L"한국어_名前";
    folder.Name.pOleStr = static_cast<LPWSTR>(ShellAlloc(sizeof wide));
    std::memcpy(folder.Name.pOleStr, wide, sizeof wide);
    EXPECT_TRUE(GetDisplayName(&folder, list.Get(), SHGDN_NORMAL, name));
    EXPECT_EQ(name, L"한국어_名前");

    folder.Name.uType = 7;  // no kind the shell defines
    EXPECT_FALSE(GetDisplayName(&folder, list.Get(), SHGDN_NORMAL, name));
    EXPECT_EQ(name, L"");

    name = L"old";
    folder.Name.uType = STRRET_CSTR;
    folder.NameResult = S_FALSE;
    EXPECT_FALSE(GetDisplayName(&folder, list.Get(), SHGDN_NORMAL, name));
    EXPECT_EQ(name, L"");
    EXPECT_EQ(folder.References, 1u);
}

TEST_F(IDListTest, ASuccessWithoutAResultCountsAsNothing) {
    ScriptedFolder folder;
    const FolderContents items = EnumerateItems(&folder, nullptr, SHCONTF_FOLDERS);
    EXPECT_TRUE(items.Readable);  // an empty folder, not one that cannot be read
    EXPECT_FALSE(items.Items);
    EXPECT_FALSE(items.Next());
    EXPECT_FALSE(NextItem(nullptr));
    EXPECT_FALSE(BindToFolder(nullptr));
    EXPECT_EQ(ItemAttributes(&folder, nullptr, SFGAO_FOLDER), 0u);
    EXPECT_EQ(folder.References, 1u);
}

TEST_F(IDListTest, RealNamesAndIcons) {
    test::TempFolder folder(L"_名前");
    folder.AddFile(L"日本語.txt");
    folder.AddFile(L"한국어.txt");
    for (const wchar_t* file : {L"日本語.txt", L"한국어.txt"}) {
        const IDList list = test::ParsePath(folder.PathOf(file));
        ASSERT_TRUE(list);
        std::wstring name;
        EXPECT_TRUE(GetDisplayName(DesktopFolder(), list.Get(), SHGDN_FORPARSING, name));
        EXPECT_EQ(name, folder.PathOf(file));
        EXPECT_EQ(GetSysIconIndex(list.Get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON), 0);  // a text file's
    }
    EXPECT_NE(SystemImageList(true), nullptr);
    EXPECT_NE(SystemImageList(false), SystemImageList(true));
}

}  // namespace
}  // namespace morvane
