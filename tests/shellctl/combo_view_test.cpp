#include "shellctl/combo_view.h"

#include "common/temp_folder.h"
#include "shellctl/demo_form.h"
#include "shellctl/shell_test_support.h"

namespace morvane {
namespace {

using test::TempFolder;

// A folder right below the root of drive C:, removed with everything in it afterwards.
class RootFolder {
public:
    RootFolder() : path_(L"C:\\morvane-combo-" + std::to_wstring(GetCurrentProcessId())) {
        CreateDirectoryW(path_.c_str(), nullptr);
        CreateDirectoryW((path_ + L"\\下").c_str(), nullptr);
    }
    ~RootFolder() {
        RemoveDirectoryW((path_ + L"\\下").c_str());
        RemoveDirectoryW(path_.c_str());
    }
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

class ComboViewTest : public test::ShellTest {
protected:
    int IndexOfList(LPCITEMIDLIST list) const {
        for (int i = 0; i < combo_.Count(); ++i)
            if (CompareIDLists(DesktopFolder(), combo_.Entry(i)->List.Get(), list) == 0) return i;
        return -1;
    }
    // Picks an entry as the user does: the selection moves, the combo box reports the change.
    void Pick(int index) {
        combo_.SetItemIndex(index);
        SendMessageW(form_.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo_.Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo_.Handle()));
    }
    // The leftmost painted column of an entry drawn as a row of the dropped-down list.
    int PaintedLeft(int index, bool editPortion = false) {
        const HDC screen = GetDC(nullptr);
        const HDC dc = CreateCompatibleDC(screen);
        const HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 16);
        ReleaseDC(nullptr, screen);
        const HGDIOBJ old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_COMBOBOX;
        item.hwndItem = combo_.Handle();
        item.itemID = static_cast<UINT>(index);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = editPortion ? ODS_COMBOBOXEDIT : 0;
        item.hDC = dc;
        item.rcItem = RECT{editPortion ? 3 : 0, 0, 200, 16};
        SendMessageW(form_.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
        int left = -1;
        const COLORREF background = GetSysColor(COLOR_WINDOW);
        for (int x = 0; x < 200 && left < 0; ++x)
            for (int y = 0; y < 16; ++y)
                if (GetPixel(dc, x, y) != background) {
                    left = x;
                    break;
                }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return left;
    }

    test::TestForm form_;
    TComboView combo_{&form_, 0, 0, 300};
};

TEST_F(ComboViewTest, FixedEntriesInTreeOrderAndTheAncestryOfTheFolderShown) {
    combo_.Loaded();
    const IDList desktop = SpecialFolderList(nullptr, CSIDL_DESKTOP);
    const IDList computer = SpecialFolderList(nullptr, CSIDL_DRIVES);
    const IDList driveC = test::ParsePath(L"C:\\");
    ASSERT_GT(combo_.Count(), 3);
    EXPECT_EQ(combo_.ItemIndex(), 0);
    EXPECT_EQ(IndexOfList(desktop.Get()), 0);
    EXPECT_EQ(combo_.Entry(0)->Level, 0);
    const int computerAt = IndexOfList(computer.Get());
    const int driveAt = IndexOfList(driveC.Get());
    ASSERT_GT(computerAt, 0);
    EXPECT_EQ(combo_.Entry(computerAt)->Level, 1);
    EXPECT_GT(driveAt, computerAt);
    EXPECT_EQ(combo_.Entry(driveAt)->Level, 2);
    for (int i = computerAt + 1; i <= driveAt; ++i) EXPECT_EQ(combo_.Entry(i)->Level, 2) << i;
    const int fixed = combo_.Count();
    EXPECT_EQ(combo_.FixedEntryCount(), fixed);

    // The desktop and a drive are there already: nothing is added.
    combo_.ShowFolder(desktop.Get());
    EXPECT_EQ(combo_.ItemIndex(), 0);
    combo_.ShowFolder(driveC.Get());
    EXPECT_EQ(combo_.ItemIndex(), driveAt);
    EXPECT_EQ(combo_.Count(), fixed);

    // Two levels below the drive: two entries right after it, the deeper one selected.
    RootFolder folder;
    const IDList deep = test::ParsePath(folder.Path() + L"\\下");
    combo_.ShowFolder(deep.Get());
    ASSERT_EQ(combo_.Count(), fixed + 2);
    EXPECT_EQ(combo_.Entry(driveAt + 1)->Level, 3);
    EXPECT_EQ(combo_.Entry(driveAt + 2)->Level, 4);
    EXPECT_EQ(combo_.ItemIndex(), driveAt + 2);
    EXPECT_EQ(IndexOfList(deep.Get()), driveAt + 2);

    // Each level is indented 10 pixels more in the list; the edit portion is not indented.
    combo_.SetDroppedDown(true);
    EXPECT_EQ(PaintedLeft(driveAt + 2) - PaintedLeft(driveAt + 1), 10);
    EXPECT_LT(PaintedLeft(driveAt + 2, true), PaintedLeft(driveAt + 1));
    combo_.SetDroppedDown(false);

    // Another folder takes their place.
    TempFolder other;
    const IDList otherList = test::ParsePath(other.Path());
    combo_.ShowFolder(otherList.Get());
    EXPECT_EQ(IndexOfList(deep.Get()), -1);
    EXPECT_EQ(combo_.ItemIndex(), IndexOfList(otherList.Get()));
    combo_.ShowFolder(desktop.Get());
    EXPECT_EQ(combo_.Count(), fixed);
}

TEST_F(ComboViewTest, PickingAnEntrySelectsTheFolderInTheTree) {
    TFolderView tree(&form_, 0, 40, 300, 300);
    combo_.SetFolderView(&tree);
    EXPECT_EQ(tree.ComboView(), &combo_);
    combo_.Loaded();
    tree.Loaded();
    TempFolder folder(L"_選択");
    folder.AddFolder(L"子");
    tree.SetFolderPath(folder.PathOf(L"子"));
    const int shown = combo_.ItemIndex();
    EXPECT_EQ(combo_.Entry(shown)->Level, tree.Level(tree.Selected()));

    // The entry of the parent, which the tree's new selection removes and adds again.
    Pick(shown - 1);
    EXPECT_EQ(tree.FolderPath(), folder.Path());
    EXPECT_EQ(combo_.ItemIndex(), shown - 1);
    Pick(0);
    EXPECT_EQ(tree.Selected(), tree.Root());
    EXPECT_EQ(combo_.PathEntryCount(), 0);

    combo_.SetFolderView(nullptr);
    EXPECT_EQ(tree.ComboView(), nullptr);
}

TEST_F(ComboViewTest, EveryListIsFreedAfterARoundOfBrowsing) {
    ASSERT_EQ(IDList::LiveCount(), 0);
    TempFolder folder(L"_一周");
    folder.AddFolder(L"a");
    folder.AddFolder(L"a\\b");
    folder.AddFile(L"x.txt", 0, "123");
    folder.AddFile(L"y.dat");
    {
        TShellDemoForm demo(folder.Path());
        demo.Show();
        EXPECT_GT(IDList::LiveCount(), 0);
        TFolderView& tree = demo.FolderView1;
        TFileView& list = demo.FileView1;
        tree.Expand(tree.Selected());
        list.SortByColumn(1);
        list.SortByColumn(3);
        tree.SetFolderPath(folder.PathOf(L"a\\b"));
        tree.SetFolderPath(folder.Path());

        const int file = test::IndexOf(list, L"x.txt");
        list.Select(file);
        list.EditLabel(file);
        test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list.Handle(), LVM_GETEDITCONTROL, 0, 0)), L"z.txt");
        EXPECT_EQ(list.Text(file), L"z.txt");
        const RECT item = list.ItemRect(file);
        EXPECT_NE(test::RightClickMenu(list.Handle(), item.left + 3, item.top + 3), nullptr);

        const TreeView::Node a = test::ChildNamed(tree, tree.Selected(), L"a");
        ASSERT_NE(a, nullptr);
        const RECT node = test::NodeRect(tree, a);
        EXPECT_NE(test::RightClickMenu(tree.Handle(), node.left + 3, node.top + 3, test::ClickInput::Notification),
                  nullptr);
        tree.Select(a);
        tree.EditLabel(a);
        test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(tree.Handle(), TVM_GETEDITCONTROL, 0, 0)), L"ａ");
        EXPECT_EQ(tree.FolderPath(), folder.PathOf(L"ａ"));

        demo.ComboView1.SetItemIndex(0);
        SendMessageW(demo.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(demo.ComboView1.Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(demo.ComboView1.Handle()));
        EXPECT_EQ(tree.Selected(), tree.Root());
        tree.InitRoot();
    }
    EXPECT_EQ(IDList::LiveCount(), 0);
}

}  // namespace
}  // namespace morvane
