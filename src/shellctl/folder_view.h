#pragma once
// The shell namespace as a tree of folders rooted at the desktop, filled lazily one level at a
// time on first expansion. Selecting a folder shows it in the linked file list and combo box; the
// selected folder is read and set as a path. Labels below the root rename folders through the
// shell; a right-click opens the shell's context menu.
#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shellctl/com_ptr.h"
#include "shellctl/idlist.h"
#include "shellctl/link.h"
#include "ui/tree_view.h"

namespace morvane {

class TComboView;
class TFileView;
class TShellContextMenu;

class TFolderView : public TreeView, public LinkTarget {
public:
    TFolderView(WinControl* parent, int left = 0, int top = 0, int width = 200, int height = 200);
    ~TFolderView() override;

    // What a form calls once its controls exist: right-click selection when a menu is linked,
    // then the tree is built.
    void Loaded();

    // Full parsing path of the selected folder; empty when nothing is selected.
    std::wstring FolderPath() const;
    // Selects the folder of the path. A path the shell cannot parse (or too long to hand over)
    // changes nothing; one that names something the tree does not list clears the selection.
    void SetFolderPath(const std::wstring& path);

    void InitRoot();
    // Reads the node's children; false when its folder cannot be read (the node keeps its button).
    bool FillChildren(Node node);
    Node FindNodeByIDList(LPCITEMIDLIST list);
    Node FindChildNode(Node node, LPCITEMIDLIST id);
    // Selects the child of the selected node with this identifier; without one, nothing changes.
    void SelectChildByID(LPCITEMIDLIST id);
    void SelectByIDList(LPCITEMIDLIST list);
    // Re-labels the selected node's child that had the old identifier.
    void RenameChildNode(LPCITEMIDLIST oldId, LPCITEMIDLIST newId);
    // Goes back to the node selected before, when the file list cannot read the new one; once per
    // selection, so that two unreadable folders cannot send each other back and forth.
    void ReturnToPreviousNode();

    // The node's identifier relative to its parent folder (the desktop's empty list for the root).
    LPCITEMIDLIST NodeID(Node node) const;
    // A new absolute list for the node; the caller owns it.
    IDList GetNodeIDList(Node node) const;
    // Expands the node, filling it first when it has never been.
    void ExpandNode(Node node);

    TFileView* FileView() const { return fileView_.Get(); }
    void SetFileView(TFileView* fileView);
    TShellContextMenu* ContextMenu() const { return contextMenu_.Get(); }
    void SetContextMenu(TShellContextMenu* menu);
    TComboView* ComboView() const { return comboView_.Get(); }
    bool RightClickSelect() const { return rightClickSelect_; }
    void SetRightClickSelect(bool on) { rightClickSelect_ = on; }

    // Until the program is first idle after this, nodes whose icons are not known yet show the
    // plain folder's from the system image list when first drawn, and their own once the idle
    // moments that follow have looked them up, one node each: a start draws its tree without
    // waiting on the shell's lookups (under Wine 30 ms for the first plain folder, 6 to 30 ms
    // for each virtual folder).
    void LookUpImagesWhenIdle();

    bool Busy() const { return busy_; }
    Node CurrentNode() const { return currentNode_; }
    Node PreviousNode() const { return previousNode_; }

protected:
    void Expanding(Node node) override;
    void SelectionChanged(Node node) override;
    void Deleting(Node node, LPARAM data) override;
    bool CanEdit(Node node) override;
    bool Edited(Node node, const std::wstring& text) override;
    void RightClick(POINT point) override;
    bool NodeImages(Node node, int& image, int& selectedImage) override;
    std::wstring NodeText(Node node) override;

private:
    friend class TComboView;  // links itself through SetFolderView
    void SetComboView(TComboView* combo);

    // The folder that holds the node's children; the parent folder of the node's own identifier.
    ComPtr<IShellFolder> FolderOf(Node node) const;
    ComPtr<IShellFolder> ParentFolderOf(Node node) const;
    void NotifyFolderChanged(Node node);
    // The network folder (a child of the root), and any node at or below it.
    bool IsNetworkFolder(Node node) const;
    bool InNetwork(Node node) const;
    // Whether asking a child of the node (in the node's folder) for its subfolders may take long:
    // the network folder, a network, removable or optical drive, a place on the network.
    bool SlowPlace(Node parent, IShellFolder* folder, LPCITEMIDLIST id) const;
    Node AddNode(Node parent, NewNode node, IDList id);
    void ReplaceNodeID(Node node, IDList id);
    // The folder that holds the node, kept for its siblings: the tree asks for the names and icons
    // of the nodes it shows one after the other.
    ComPtr<IShellFolder> ShownParentFolder(Node node);
    // The node's find data, when it is that of a plain folder.
    bool PlainFolderData(Node node, WIN32_FIND_DATAW& found);
    // Looks up the icons of the next node drawn with stand-ins; false when none is left.
    bool LookUpLateImages();

    Link<TFileView> fileView_;
    Link<TShellContextMenu> contextMenu_;
    Link<TComboView> comboView_;
    bool busy_ = false;
    bool rightClickSelect_ = false;
    bool returning_ = false;
    Node currentNode_ = nullptr;
    Node previousNode_ = nullptr;
    Node shownParent_ = nullptr;
    ComPtr<IShellFolder> shownFolder_;
    // The standard folder's icons, closed and open, once a node has shown them.
    bool folderImagesKnown_ = false;
    int folderImage_ = 0;
    int folderSelectedImage_ = 0;
    // Nodes drawn with the plain folder's icons while their own wait for the program to be idle.
    bool imagesWhenIdle_ = false;
    std::vector<Node> lateImages_;
    std::map<Node, std::pair<int, int>> lookedUpImages_;  // taken when next drawn
};

}  // namespace morvane
