#include "shellctl/shell_context_menu.h"

#include <shobjidl.h>

#include "common/temp_folder.h"
#include "shellctl/shell_test_support.h"

namespace morvane {
namespace {

using test::TempFolder;

std::wstring SendToPath() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_SENDTO, TRUE);
    return path;
}

// A shortcut in the user's Send To folder for as long as it lives.
class SendToTarget {
public:
    SendToTarget(const std::wstring& name, const std::wstring& target) : link_(SendToPath() + L"\\" + name + L".lnk") {
        ComPtr<IShellLinkW> shellLink;
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.ReceiveVoid());
        EXPECT_TRUE(shellLink);
        if (!shellLink) return;
        shellLink->SetPath(target.c_str());
        EXPECT_HRESULT_SUCCEEDED(shellLink.As<IPersistFile>()->Save(link_.c_str(), TRUE));
    }
    ~SendToTarget() { DeleteFileW(link_.c_str()); }

private:
    std::wstring link_;
};

// A context-menu object that records the commands invoked on it.
class RecordingContextMenu : public IContextMenu {
public:
    std::vector<UINT_PTR> Verbs;
    std::vector<CMINVOKECOMMANDINFO> Infos;
    ULONG References = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IContextMenu) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
    ULONG STDMETHODCALLTYPE Release() override { return --References; }
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        Verbs.push_back(reinterpret_cast<UINT_PTR>(info->lpVerb));
        Infos.push_back(*info);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return E_NOTIMPL; }
};

// The real data object of an item, passed through, with the calls it receives recorded.
class RecordingDataObject : public IDataObject {
public:
    explicit RecordingDataObject(IDataObject* inner) : inner_(inner) {}
    int Reads = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IDataObject) ? this : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* f, STGMEDIUM* m) override { ++Reads; return inner_->GetData(f, m); }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* f, STGMEDIUM* m) override { ++Reads; return inner_->GetDataHere(f, m); }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* f) override { return inner_->QueryGetData(f); }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* a, FORMATETC* b) override { return inner_->GetCanonicalFormatEtc(a, b); }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* f, STGMEDIUM* m, BOOL r) override { return inner_->SetData(f, m, r); }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD d, IEnumFORMATETC** e) override { return inner_->EnumFormatEtc(d, e); }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* f, DWORD a, IAdviseSink* s, DWORD* c) override { return inner_->DAdvise(f, a, s, c); }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD c) override { return inner_->DUnadvise(c); }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** e) override { return inner_->EnumDAdvise(e); }

private:
    IDataObject* inner_;
    ULONG references_ = 1;
};

// A shell-style menu: entries with identifiers, a separator, a greyed entry, submenus.
class ShellStyleMenu {
public:
    ShellStyleMenu() : menu_(CreatePopupMenu()) {}
    ~ShellStyleMenu() { DestroyMenu(menu_); }
    ShellStyleMenu& Entry(const wchar_t* caption, UINT id, UINT flags = 0) {
        AppendMenuW(menu_, MF_STRING | flags, id, caption);
        return *this;
    }
    ShellStyleMenu& Separator() {
        AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        return *this;
    }
    ShellStyleMenu& Submenu(const wchar_t* caption, UINT id, int entries = 1) {
        const HMENU sub = CreatePopupMenu();
        for (int i = 0; i < entries; ++i) AppendMenuW(sub, MF_STRING, id + 100 + i, L"inner");
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_SUBMENU;
        info.wID = id;
        info.hSubMenu = sub;
        info.dwTypeData = const_cast<wchar_t*>(caption);
        InsertMenuItemW(menu_, static_cast<UINT>(GetMenuItemCount(menu_)), TRUE, &info);
        return *this;
    }
    HMENU Get() const { return menu_; }

private:
    HMENU menu_;
};

TShellMenuItem& ItemAt(TShellContextMenu& menu, int index) {
    return static_cast<TShellMenuItem&>(menu.Items().Item(index));
}

class ContextMenuTest : public test::ShellTest {
protected:
    test::TestForm form_;
};

TEST_F(ContextMenuTest, CopiesTheShellMenuAndInvokesByOffset) {
    RecordingContextMenu shell;
    TShellContextMenu menu;
    {
        ShellStyleMenu entries;
        entries.Entry(L"開く(&O)", 1).Separator().Entry(L"印刷(&P)", 5, MF_GRAYED).Submenu(L"送る(&N)", 7)
            .Entry(L"ﾌﾟﾛﾊﾟﾃｨ(&R)", 9).Entry(L"範囲外", 0x8000);
        menu.BuildFromShellMenu(entries.Get(), form_.Handle(), &shell);
    }
    ASSERT_EQ(menu.Items().Count(), 6);
    EXPECT_EQ(ItemAt(menu, 0).Caption(), L"開く(&O)");
    EXPECT_TRUE(ItemAt(menu, 1).IsSeparator());
    EXPECT_EQ(ItemAt(menu, 2).Caption(), L"印刷(&P)");
    EXPECT_FALSE(ItemAt(menu, 2).Enabled());
    EXPECT_TRUE(ItemAt(menu, 0).Enabled());
    EXPECT_EQ(ItemAt(menu, 3).Caption(), L"送る(&N)");
    EXPECT_EQ(ItemAt(menu, 3).Count(), 0);  // the shell's submenu is not copied; Send To is empty
    EXPECT_EQ(ItemAt(menu, 4).Caption(), L"ﾌﾟﾛﾊﾟﾃｨ(&R)");
    EXPECT_EQ(shell.References, 7u);  // each item holds the shell's menu

    // The verb is the offset from the first identifier; the whole structure goes to the shell.
    ItemAt(menu, 4).Click();
    ItemAt(menu, 0).Click();
    EXPECT_EQ(shell.Verbs, (std::vector<UINT_PTR>{8, 0}));
    ASSERT_EQ(shell.Infos.size(), 2u);
    EXPECT_EQ(shell.Infos[0].cbSize, sizeof(CMINVOKECOMMANDINFO));
    EXPECT_EQ(shell.Infos[0].hwnd, form_.Handle());
    EXPECT_EQ(shell.Infos[0].nShow, SW_SHOWNORMAL);
    EXPECT_EQ(shell.Infos[0].fMask, 0u);

    // Never a command: a separator, a greyed entry, a submenu's entry, an identifier out of range.
    for (int index : {1, 2, 3, 5}) ItemAt(menu, index).Click();
    EXPECT_EQ(shell.Verbs.size(), 2u);

    // A second build replaces every entry of the first and lets its menu go.
    RecordingContextMenu other;
    {
        ShellStyleMenu entries;
        entries.Entry(L"別", 3);
        menu.BuildFromShellMenu(entries.Get(), form_.Handle(), &other);
    }
    ASSERT_EQ(menu.Items().Count(), 1);
    EXPECT_EQ(ItemAt(menu, 0).Caption(), L"別");
    EXPECT_EQ(shell.References, 1u);
    menu.BuildFromShellMenu(nullptr, form_.Handle(), &other);
    EXPECT_EQ(menu.Items().Count(), 0);
    EXPECT_EQ(other.References, 1u);
}

// A handler of the Windows kind: its submenu is empty until the menu tells it that the submenu is
// about to open, and one of its entries is drawn by itself, without a text.
class FillingContextMenu : public RecordingContextMenu, public IContextMenu3 {
public:
    int Fills = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IContextMenu3 || iid == IID_IContextMenu2) {
            *out = static_cast<IContextMenu3*>(this);
            AddRef();
            return S_OK;
        }
        return RecordingContextMenu::QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return RecordingContextMenu::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return RecordingContextMenu::Release(); }
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU, UINT, UINT, UINT, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        return RecordingContextMenu::InvokeCommand(info);
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, LPSTR, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override {
        LRESULT result = 0;
        return HandleMenuMsg2(message, wParam, lParam, &result);
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg2(UINT message, WPARAM wParam, LPARAM, LRESULT*) override {
        if (message != WM_INITMENUPOPUP) return S_OK;
        ++Fills;
        const auto submenu = reinterpret_cast<HMENU>(wParam);
        if (GetMenuItemCount(submenu) > 0) return S_OK;
        AppendMenuW(submenu, MF_STRING, 20, L"メモ帳");
        AppendMenuW(submenu, MF_OWNERDRAW, 21, reinterpret_cast<LPCWSTR>(1));
        AppendMenuW(submenu, MF_STRING, 22, L"ペイント");
        return S_OK;
    }
};

// The handlers fill their submenus before the copy, and entries that would show as blanks stay
// out; the Send To place still takes the Send To folder's targets, not the shell's entries.
TEST_F(ContextMenuTest, SubmenusAreFilledAndCopiedWithoutBlanks) {
    FillingContextMenu shell;
    TShellContextMenu menu;
    {
        ShellStyleMenu entries;
        entries.Entry(L"開く(&O)", 1).Submenu(L"プログラムから開く(&H)", 7, 0).Entry(L"", 8, MF_OWNERDRAW)
            .Submenu(L"送る(&N)", 9, 0);
        menu.BuildFromShellMenu(entries.Get(), form_.Handle(), static_cast<RecordingContextMenu*>(&shell));
    }
    EXPECT_EQ(shell.Fills, 2);
    ASSERT_EQ(menu.Items().Count(), 3);
    EXPECT_EQ(ItemAt(menu, 1).Caption(), L"プログラムから開く(&H)");
    MenuItem& openWith = ItemAt(menu, 1);
    ASSERT_EQ(openWith.Count(), 2);
    EXPECT_EQ(openWith.Item(0).Caption(), L"メモ帳");
    EXPECT_EQ(openWith.Item(1).Caption(), L"ペイント");
    EXPECT_EQ(ItemAt(menu, 2).Caption(), L"送る(&N)");
    EXPECT_EQ(ItemAt(menu, 2).Count(), 0);  // the Send To folder here is empty
    openWith.Item(1).Click();
    EXPECT_EQ(shell.Verbs, (std::vector<UINT_PTR>{21}));
    ItemAt(menu, 1).Click();  // opens a submenu: no command
    EXPECT_EQ(shell.Verbs.size(), 1u);
    menu.BuildFromShellMenu(nullptr, form_.Handle(), static_cast<RecordingContextMenu*>(&shell));
}

TEST_F(ContextMenuTest, SendToTargetsGoUnderTheLastSubmenuEntry) {
    TempFolder source, destination(L"_送り先");
    source.AddFile(L"doc.txt", 0, "hello");
    const SendToTarget target(L"送り先", destination.Path());
    RecordingContextMenu shell;
    TShellContextMenu menu;

    // Only submenu entry first: no Send To children, only the shell's own entries.
    {
        ShellStyleMenu entries;
        entries.Submenu(L"新規作成(&W)", 2).Entry(L"開く(&O)", 1);
        menu.BuildFromShellMenu(entries.Get(), form_.Handle(), &shell);
    }
    ASSERT_EQ(ItemAt(menu, 0).Count(), 1);
    EXPECT_EQ(ItemAt(menu, 0).Item(0).Caption(), L"inner");

    // The data object of a real file, watched on its way to the target.
    const IDList folderList = test::ParsePath(source.Path());
    const ComPtr<IShellFolder> folder = BindToFolder(folderList.Get());
    const IDList file = test::ParsePath(source.PathOf(L"doc.txt"));
    const IDList item(LastIDList(file.Get()));
    LPCITEMIDLIST items[] = {item.Get()};
    ComPtr<IDataObject> data;
    ASSERT_HRESULT_SUCCEEDED(folder->GetUIObjectOf(nullptr, 1, items, IID_IDataObject, nullptr, data.ReceiveVoid()));
    RecordingDataObject watched(data.Get());
    {
        ShellStyleMenu entries;
        // A submenu of 8 entries: its count lies where GetMenuState reports a separator.
        entries.Submenu(L"新規作成(&W)", 2).Entry(L"開く(&O)", 1).Submenu(L"送る(&N)", 4, 8).Entry(L"削除(&D)", 6);
        menu.BuildFromShellMenu(entries.Get(), form_.Handle(), &shell, &watched);
    }
    EXPECT_EQ(ItemAt(menu, 0).Count(), 1);  // its own entry, no Send To target
    EXPECT_EQ(ItemAt(menu, 2).Caption(), L"送る(&N)");
    EXPECT_FALSE(ItemAt(menu, 2).IsSeparator());
    ASSERT_EQ(ItemAt(menu, 2).Count(), 1);
    auto& sendTo = static_cast<TShellMenuItem&>(ItemAt(menu, 2).Item(0));
    EXPECT_EQ(sendTo.Caption(), L"送り先");
    EXPECT_FALSE(sendTo.ShellMenu);
    EXPECT_EQ(sendTo.InvokeInfo.lpVerb, nullptr);
    EXPECT_NE(menu.SendToFolder(), nullptr);

    // Choosing it hands the item to the target's drop target, not to the shell menu.
    sendTo.Click();
    EXPECT_GT(watched.Reads, 0);
    EXPECT_TRUE(shell.Verbs.empty());
}

TEST_F(ContextMenuTest, PopsUpTheShellsMenuForARealFileAndRunsItsCommands) {
    TempFolder folder(L"_ﾒﾆｭｰ");
    folder.AddFile(L"文書.txt", 0, "hello");
    form_.Show();
    const IDList folderList = test::ParsePath(folder.Path());
    const ComPtr<IShellFolder> shellFolder = BindToFolder(folderList.Get());
    const IDList file = test::ParsePath(folder.PathOf(L"文書.txt"));
    const IDList item(LastIDList(file.Get()));
    TShellContextMenu menu;
    menu.PopupForItem(form_.Handle(), nullptr, POINT{10, 10}, item.Get());  // no folder: nothing
    EXPECT_EQ(menu.Items().Count(), 0);

    HMENU shown = nullptr;
    test::ModalScript script;
    script.Then([&] {
        shown = PopupMenu::Showing();
        EndMenu();
    });
    menu.PopupForItem(form_.Handle(), shellFolder.Get(), POINT{10, 10}, item.Get());
    EXPECT_NE(shown, nullptr);
    int separators = 0, copy = -1;
    for (int i = 0; i < menu.Items().Count(); ++i) {
        separators += ItemAt(menu, i).IsSeparator() ? 1 : 0;
        if (ItemAt(menu, i).Caption() == L"コピー(&C)") copy = i;
    }
    EXPECT_GT(separators, 0);
    ASSERT_GE(copy, 0);

    // The shell's own command, chosen after the menu closed: the file is on the clipboard.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_HDROP));
    ItemAt(menu, copy).Click();
    test::PumpMessages();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_HDROP));
    OleFlushClipboard();
}

}  // namespace
}  // namespace morvane
