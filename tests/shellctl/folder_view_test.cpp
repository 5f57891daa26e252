#include "shellctl/folder_view.h"

#include <set>

#include "common/temp_folder.h"
#include "shellctl/demo_form.h"
#include "shellctl/namespace_folder.h"
#include "shellctl/shell_test_support.h"
#include "ui/application.h"

namespace morvane {
namespace {

using test::ChildNamed;
using test::Captions;
using test::IndexOf;
using test::TempFolder;

// The tree, list, combo box and menu linked as the main window links them.
class FolderViewTest : public test::ShellTest {
protected:
    TShellDemoForm form_;
    TFolderView& tree_ = form_.FolderView1;
    TFileView& list_ = form_.FileView1;

    // Selects a list item and double-clicks it, as the user does.
    void DoubleClick(int index) {
        list_.Select(index);
        const RECT item = list_.ItemRect(index);
        const LPARAM at = MAKELPARAM(item.left + 4, item.top + 3);
        PostMessageW(list_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(list_.Handle(), WM_LBUTTONUP, 0, at);
        PostMessageW(list_.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list_.Handle(), WM_LBUTTONUP, 0, at);
        test::PumpMessages();
    }
};

TEST_F(FolderViewTest, StartsAtTheDesktopExpandedOneLevel) {
    const TreeView::Node root = tree_.Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(tree_.NextSibling(root), nullptr);
    const IDList desktop = SpecialFolderList(nullptr, CSIDL_DESKTOP);
    EXPECT_EQ(tree_.Text(root), DisplayName(DesktopFolder(), desktop.Get(), SHGDN_INFOLDER));
    EXPECT_EQ(tree_.Selected(), root);
    EXPECT_EQ(tree_.CurrentNode(), root);
    EXPECT_TRUE(tree_.Expanded(root));
    EXPECT_NE(ChildNamed(tree_, root, L"マイ コンピューター"), nullptr);
    EXPECT_TRUE(tree_.RightClickSelect());
    EXPECT_GE(IndexOf(list_, L"マイ コンピューター"), 0);  // the list shows the desktop

    // The root has no menu and its label cannot be edited.
    form_.Show();
    const RECT rect = test::NodeRect(tree_, root);
    EXPECT_EQ(test::RightClickMenu(tree_.Handle(), rect.left + 4, rect.top + 3, test::ClickInput::Notification), nullptr);
    tree_.EditLabel(root);
    EXPECT_FALSE(tree_.Editing());
}

TEST_F(FolderViewTest, FolderPathSelectsAndReadsBackFullPaths) {
    TempFolder folder(L"_フォルダ");
    folder.AddFolder(L"子");
    folder.AddFile(L"a.txt");
    tree_.SetFolderPath(folder.PathOf(L"子"));
    EXPECT_EQ(tree_.FolderPath(), folder.PathOf(L"子"));
    EXPECT_EQ(form_.FileView1.Count(), 0);
    // Every node on the way is expanded.
    for (TreeView::Node up = tree_.ParentOf(tree_.Selected()); up; up = tree_.ParentOf(up))
        EXPECT_TRUE(tree_.Expanded(up)) << tree_.Level(up);

    tree_.SetFolderPath(folder.Path());
    EXPECT_EQ(tree_.FolderPath(), folder.Path());
    EXPECT_EQ(Captions(list_), (std::vector<std::wstring>{L"子", L"a.txt"}));
    const TreeView::Node shown = tree_.Selected();

    // A missing path or one too long to hand to the shell changes nothing.
    tree_.SetFolderPath(folder.PathOf(L"無い"));
    tree_.SetFolderPath(folder.Path() + L"\\" + std::wstring(260, L'x'));
    EXPECT_EQ(tree_.Selected(), shown);

    // A file parses but is no node: the selection goes, the list keeps its folder.
    tree_.SetFolderPath(folder.PathOf(L"a.txt"));
    EXPECT_EQ(tree_.Selected(), nullptr);
    EXPECT_EQ(tree_.FolderPath(), L"");
    EXPECT_EQ(list_.Count(), 2);
}

TEST_F(FolderViewTest, FillsNodesLazilyAndDropsEmptyButtons) {
    TempFolder folder(L"_遅延");
    folder.AddFolder(L"deep");
    folder.AddFolder(L"deep\\inner");
    folder.AddFolder(L"leaf");
    tree_.SetFolderPath(folder.Path());
    const TreeView::Node node = tree_.Selected();
    EXPECT_EQ(tree_.FirstChild(node), nullptr);
    tree_.Expand(node);
    const TreeView::Node deep = ChildNamed(tree_, node, L"deep");
    const TreeView::Node leaf = ChildNamed(tree_, node, L"leaf");
    ASSERT_TRUE(deep && leaf);
    // Children are known to exist, but not read before the first expansion.
    EXPECT_TRUE(tree_.HasChildren(deep));
    EXPECT_EQ(tree_.FirstChild(deep), nullptr);
    tree_.Expand(deep);
    EXPECT_NE(ChildNamed(tree_, deep, L"inner"), nullptr);

    // A folder without subfolders loses its button the first time it is expanded.
    tree_.Expand(leaf);
    EXPECT_FALSE(tree_.HasChildren(leaf));
    EXPECT_EQ(tree_.FirstChild(leaf), nullptr);

    // Filled once: a folder made afterwards appears only after InitRoot.
    folder.AddFolder(L"deep\\later");
    tree_.Expand(deep);
    EXPECT_EQ(ChildNamed(tree_, deep, L"later"), nullptr);
    tree_.InitRoot();
    EXPECT_EQ(tree_.PreviousNode(), nullptr);  // cleared with the node it named
    tree_.SetFolderPath(folder.PathOf(L"deep"));
    tree_.Expand(tree_.Selected());
    EXPECT_NE(ChildNamed(tree_, tree_.Selected(), L"later"), nullptr);
}

// Each node wears the shell's icons for its folder, closed and open, looked up when it is drawn.
TEST_F(FolderViewTest, NodesWearTheShellsIconsForTheirFolders) {
    TempFolder folder(L"_アイコン");
    folder.AddFolder(L"子");
    tree_.SetFolderPath(folder.PathOf(L"子"));
    form_.Show();
    UpdateWindow(tree_.Handle());
    const auto images = [](const TFolderView& tree, TreeView::Node node) {
        TVITEMW item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = node;
        SendMessageW(tree.Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return std::pair<int, int>(item.iImage, item.iSelectedImage);
    };
    const auto shellImages = [](const TFolderView& tree, TreeView::Node node) {
        const IDList list = tree.GetNodeIDList(node);
        return std::pair<int, int>(GetSysIconIndex(list.Get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON),
                                   GetSysIconIndex(list.Get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON));
    };
    const auto shownNodes = [](const TFolderView& tree) {
        std::vector<TreeView::Node> nodes{tree.Root(), tree.Selected(), tree.ParentOf(tree.Selected())};
        for (TreeView::Node child = tree.FirstChild(tree.Root()); child; child = tree.NextSibling(child))
            nodes.push_back(child);  // the desktop's own entries: My Computer, the documents, the trash
        return nodes;
    };
    std::set<int> distinct;
    for (TreeView::Node node : shownNodes(tree_)) {
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(images(tree_, node), shellImages(tree_, node)) << tree_.Level(node);
        distinct.insert(images(tree_, node).first);
    }
    EXPECT_GT(distinct.size(), 2u);  // special folders look different from plain ones

    // A tree that looks icons up when the program is idle draws the special folders with the
    // plain folder's at first, and with their own once the idle moments have passed.
    TShellDemoForm starting;
    TFolderView& late = starting.FolderView1;
    late.LookUpImagesWhenIdle();
    late.SetFolderPath(folder.PathOf(L"子"));
    starting.Show();
    UpdateWindow(late.Handle());
    const TreeView::Node computer = ChildNamed(late, late.Root(), L"マイ コンピューター");
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(images(late, computer), images(late, late.Selected()));
    EXPECT_NE(images(late, computer), shellImages(late, computer));
    while (App().RunIdleWork()) {
    }
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(late.Handle(), &update, FALSE));  // drawn again, taking them as it draws
    UpdateWindow(late.Handle());
    for (TreeView::Node node : shownNodes(late)) EXPECT_EQ(images(late, node), shellImages(late, node)) << late.Level(node);
}

TEST_F(FolderViewTest, DoubleClickInTheListOpensTheSubfolderInTheTree) {
    TempFolder folder(L"_ダブル");
    folder.AddFolder(L"サブ");
    folder.AddFile(L"サブ\\inside.txt");
    tree_.SetFolderPath(folder.Path());
    bool doubleClickEvent = false;
    list_.OnDblClick = [&] { doubleClickEvent = true; };
    form_.Show();

    DoubleClick(IndexOf(list_, L"サブ"));

    EXPECT_EQ(tree_.FolderPath(), folder.PathOf(L"サブ"));
    EXPECT_EQ(Captions(list_), (std::vector<std::wstring>{L"inside.txt"}));
    EXPECT_FALSE(doubleClickEvent);

    // A child the tree does not know leaves the selection as it was.
    const IDList stranger = test::ParsePath(folder.PathOf(L"サブ\\inside.txt"));
    const IDList last(LastIDList(stranger.Get()));
    tree_.SelectChildByID(last.Get());
    EXPECT_EQ(tree_.FolderPath(), folder.PathOf(L"サブ"));
}

TEST_F(FolderViewTest, RenamesRelabelTheTreeAndKeepTheListOnTheFolder) {
    TempFolder folder(L"_改名");
    folder.AddFolder(L"old");
    folder.AddFolder(L"tree");
    folder.AddFile(L"tree\\x.txt");
    tree_.SetFolderPath(folder.Path());
    form_.Show();
    test::ErrorBoxCatcher boxes;  // answers the shell's own messages

    // Renamed in the list: the tree's node for it follows.
    const int index = IndexOf(list_, L"old");
    list_.EditLabel(index);
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(list_.Handle(), LVM_GETEDITCONTROL, 0, 0)), L"新しい名前");
    EXPECT_EQ(list_.Text(index), L"新しい名前");
    const TreeView::Node renamed = ChildNamed(tree_, tree_.Selected(), L"新しい名前");
    ASSERT_NE(renamed, nullptr);
    EXPECT_EQ(ChildNamed(tree_, tree_.Selected(), L"old"), nullptr);
    tree_.Select(renamed);
    EXPECT_EQ(tree_.FolderPath(), folder.PathOf(L"新しい名前"));

    // Renamed in the tree while the list shows it: the list goes on showing it under the new name.
    tree_.SetFolderPath(folder.PathOf(L"tree"));
    tree_.EditLabel(tree_.Selected());
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(tree_.Handle(), TVM_GETEDITCONTROL, 0, 0)), L"木");
    EXPECT_EQ(tree_.Text(tree_.Selected()), L"木");
    EXPECT_EQ(tree_.FolderPath(), folder.PathOf(L"木"));
    ASSERT_EQ(list_.Count(), 1);
    EXPECT_EQ(list_.GetItemPath(0), folder.PathOf(L"木\\x.txt"));

    // Refused (the name is taken): the label shows the folder's own name again.
    tree_.EditLabel(tree_.Selected());
    test::TypeLabel(reinterpret_cast<HWND>(SendMessageW(tree_.Handle(), TVM_GETEDITCONTROL, 0, 0)), L"新しい名前");
    EXPECT_EQ(tree_.Text(tree_.Selected()), L"木");
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"新しい名前", L"木"}));
}

TEST_F(FolderViewTest, RightClickMenusBelongToTheNodeUnderThePointer) {
    TempFolder folder(L"_右");
    folder.AddFolder(L"a");
    folder.AddFolder(L"b");
    tree_.SetFolderPath(folder.PathOf(L"a"));
    const TreeView::Node a = tree_.Selected();
    const TreeView::Node b = tree_.NextSibling(a);
    ASSERT_NE(b, nullptr);
    form_.Show();
    SendMessageW(tree_.Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(b));
    const RECT rect = test::NodeRect(tree_, b);

    EXPECT_NE(test::RightClickMenu(tree_.Handle(), rect.left + 3, rect.top + 3, test::ClickInput::Notification), nullptr);
    EXPECT_GT(form_.ShellContextMenu1.Items().Count(), 0);
    EXPECT_EQ(tree_.Selected(), a);  // the selection stays

    // Anywhere on the node's row: in its indent, and right of its label.
    RECT client;
    GetClientRect(tree_.Handle(), &client);
    ASSERT_GT(rect.left, 8);
    form_.ShellContextMenu1.Items().Clear();
    EXPECT_NE(test::RightClickMenu(tree_.Handle(), 2, rect.top + 3, test::ClickInput::Notification), nullptr);
    EXPECT_GT(form_.ShellContextMenu1.Items().Count(), 0);
    ASSERT_GT(client.right - 5, rect.right);
    form_.ShellContextMenu1.Items().Clear();
    EXPECT_NE(test::RightClickMenu(tree_.Handle(), client.right - 5, rect.top + 3, test::ClickInput::Notification),
              nullptr);
    EXPECT_GT(form_.ShellContextMenu1.Items().Count(), 0);
    EXPECT_EQ(tree_.Selected(), a);

    // Empty space below the last node (the root alone, collapsed): no menu.
    SendMessageW(tree_.Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(tree_.Root()));
    ASSERT_LT(test::NodeRect(tree_, tree_.Root()).bottom, client.bottom - 5);
    EXPECT_EQ(test::RightClickMenu(tree_.Handle(), client.right - 5, client.bottom - 5, test::ClickInput::Notification), nullptr);
}

// A tree whose every new folder is reported unreadable, as a list does when its folder cannot be
// enumerated (the shell of this system reads every file-system folder, so it is told here).
class TUnreadableFolderView : public TFolderView {
public:
    using TFolderView::TFolderView;
    bool Unreadable = false;
    int Changes = 0;

protected:
    void SelectionChanged(Node node) override {
        TFolderView::SelectionChanged(node);
        if (!Unreadable) return;
        ++Changes;
        ASSERT_LT(Changes, 10) << "the tree bounces between two unreadable folders";
        ReturnToPreviousNode();
    }
};

TEST_F(FolderViewTest, GoesBackFromAnUnreadableFolderOnlyOnce) {
    TempFolder folder(L"_読めない");
    folder.AddFolder(L"a");
    folder.AddFolder(L"b");
    test::TestForm bare;
    TUnreadableFolderView tree(&bare);
    tree.Loaded();
    tree.SetFolderPath(folder.PathOf(L"a"));
    const TreeView::Node a = tree.Selected();
    tree.Unreadable = true;
    // b cannot be read: back to a, which cannot be read either, but is not left again.
    tree.SetFolderPath(folder.PathOf(L"b"));
    EXPECT_EQ(tree.Changes, 2);
    EXPECT_EQ(tree.Selected(), a);
    EXPECT_EQ(tree.CurrentNode(), a);
    // The next selection may go back once again.
    tree.Changes = 0;
    tree.SetFolderPath(folder.PathOf(L"b"));
    EXPECT_EQ(tree.Changes, 2);
    EXPECT_EQ(tree.Selected(), a);
}

// A folder that cannot be read (a drive without a medium, say): the tree, the list and the combo
// box all go back to the folder shown before, and the folder is asked for its items once. One that
// answers that it has nothing to list is an empty folder.
TEST_F(FolderViewTest, FoldersThatCannotBeReadOrHoldNothing) {
    TempFolder folder(L"_戻り先");
    folder.AddFile(L"a.txt");
    test::NamespaceFolder unreadable(L"読めない", test::NamespaceFolder::Answer::Unreadable);
    tree_.InitRoot();
    tree_.SetFolderPath(folder.Path());
    const TreeView::Node shown = tree_.Selected();
    const TreeView::Node node = ChildNamed(tree_, tree_.Root(), L"読めない");
    ASSERT_NE(node, nullptr);

    tree_.Select(node);
    EXPECT_EQ(unreadable.Enumerations(), 1);
    EXPECT_EQ(tree_.Selected(), shown);
    EXPECT_EQ(Captions(list_), (std::vector<std::wstring>{L"a.txt"}));
    const TComboData* entry = form_.ComboView1.Entry(form_.ComboView1.ItemIndex());
    ASSERT_NE(entry, nullptr);
    const IDList shownList = tree_.GetNodeIDList(shown);
    EXPECT_EQ(CompareIDLists(DesktopFolder(), entry->List.Get(), shownList.Get()), 0) << "the combo box shows another folder";

    // Expanded by the program: one attempt, the node keeps its button for the next.
    tree_.ExpandNode(node);
    EXPECT_EQ(unreadable.Enumerations(), 2);
    EXPECT_TRUE(tree_.HasChildren(node));
    EXPECT_EQ(tree_.FirstChild(node), nullptr);
    EXPECT_EQ(tree_.Selected(), shown);

    // Nothing to list (S_FALSE): shown empty, and the node loses its button once expanded.
    unreadable.SetAnswer(test::NamespaceFolder::Answer::NothingToList);
    tree_.Select(node);
    EXPECT_EQ(tree_.Selected(), node);
    EXPECT_EQ(list_.Count(), 0);
    tree_.ExpandNode(node);
    EXPECT_FALSE(tree_.HasChildren(node));
    EXPECT_EQ(tree_.Selected(), node);
}

// As the Windows shell gives them: an archive is a folder and a stream (a file for the tree and
// the list alike), and a removable drive is not asked for subfolders before it is expanded.
TEST_F(FolderViewTest, ArchivesAreFilesAndSlowPlacesAreNotAskedAhead) {
    test::NamespaceFolder place(L"場所", test::NamespaceFolder::Answer::Items);
    place.SetChildren({{L"書庫.zip", SFGAO_FOLDER | SFGAO_STREAM | SFGAO_HASSUBFOLDER},
                       {L"フォルダ", SFGAO_FOLDER | SFGAO_HASSUBFOLDER},
                       {L"空のフォルダ", SFGAO_FOLDER},
                       {L"取り外せる", SFGAO_FOLDER | SFGAO_REMOVABLE},
                       {L"文書.txt", 0}});
    tree_.InitRoot();
    const TreeView::Node node = ChildNamed(tree_, tree_.Root(), L"場所");
    ASSERT_NE(node, nullptr);
    tree_.ExpandNode(node);
    std::vector<std::wstring> children;
    for (TreeView::Node child = tree_.FirstChild(node); child; child = tree_.NextSibling(child))
        children.push_back(tree_.Text(child));
    EXPECT_EQ(children, (std::vector<std::wstring>{L"フォルダ", L"空のフォルダ", L"取り外せる"}));
    EXPECT_TRUE(tree_.HasChildren(ChildNamed(tree_, node, L"フォルダ")));
    EXPECT_FALSE(tree_.HasChildren(ChildNamed(tree_, node, L"空のフォルダ")));
    EXPECT_TRUE(tree_.HasChildren(ChildNamed(tree_, node, L"取り外せる")));
    EXPECT_EQ(place.TimesAsked(L"取り外せる", SFGAO_HASSUBFOLDER), 0);
    EXPECT_EQ(place.TimesAsked(L"フォルダ", SFGAO_HASSUBFOLDER), 1);

    // The list shows the archive among the files: the mask applies to it, a double-click hands it
    // to the shell to open instead of looking for it in the tree.
    tree_.Select(node);
    std::set<std::wstring> shown;
    for (const std::wstring& caption : Captions(list_)) shown.insert(caption);
    EXPECT_EQ(shown, (std::set<std::wstring>{L"フォルダ", L"取り外せる", L"文書.txt", L"書庫.zip", L"空のフォルダ"}));
    list_.SetMask({L".TXT"});
    list_.FillList();
    EXPECT_EQ(IndexOf(list_, L"書庫.zip"), -1);
    EXPECT_GE(IndexOf(list_, L"文書.txt"), 0);
    list_.SetMask({L".ZIP"});
    list_.FillList();
    const int archive = IndexOf(list_, L"書庫.zip");
    ASSERT_GE(archive, 0);
    int opened = 0;
    list_.OnDblClick = [&] { ++opened; };
    // The shell opens an item of this folder by the folder's handlers, which it has none of: the
    // shell says so in a box of its own.
    const test::ErrorBoxCatcher shellsWord;
    list_.SetFileExecute(true);
    form_.Show();
    DoubleClick(archive);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(tree_.Selected(), node);
    list_.SetMask({});
}

TEST_F(FolderViewTest, LinksAreOptionalAndClearedWhenTheOtherGoes) {
    TempFolder folder(L"_単独");
    folder.AddFolder(L"x");
    test::TestForm bare;
    {
        TFolderView alone(&bare);
        alone.Loaded();
        EXPECT_FALSE(alone.RightClickSelect());
        alone.SetFolderPath(folder.PathOf(L"x"));
        EXPECT_EQ(alone.FolderPath(), folder.PathOf(L"x"));
        {
            TFileView list(&bare);
            alone.SetFileView(&list);
            EXPECT_EQ(list.FolderView(), &alone);
            alone.SetFolderPath(folder.Path());
            EXPECT_EQ(Captions(list), (std::vector<std::wstring>{L"x"}));
        }
        EXPECT_EQ(alone.FileView(), nullptr);
        alone.SetFolderPath(folder.PathOf(L"x"));  // reaches no list that is gone
        EXPECT_EQ(alone.FolderPath(), folder.PathOf(L"x"));
    }
    TFileView orphan(&bare), successor(&bare);
    {
        TFolderView tree(&bare);
        tree.SetFileView(&orphan);
        tree.SetFileView(&successor);  // the list it replaces is let go
        EXPECT_EQ(orphan.FolderView(), nullptr);
        EXPECT_EQ(successor.FolderView(), &tree);
    }
    EXPECT_EQ(successor.FolderView(), nullptr);
}

}  // namespace
}  // namespace morvane
