#include "shellctl/folder_view.h"

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "shellctl/combo_view.h"
#include "shellctl/file_types.h"
#include "shellctl/file_view.h"
#include "shellctl/folder_order.h"
#include "shellctl/shell_context_menu.h"
#include "shellctl/shell_folder.h"
#include "ui/application.h"
#include "ui/screen_cursor.h"

namespace morvane {

namespace {

// Sets a flag for as long as it lives, whatever way the scope is left.
class BusyGuard {
public:
    explicit BusyGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyGuard() { flag_ = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& flag_;
};

}  // namespace

namespace {

constexpr SHCONTF kTreeItems = SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN;

// Whether a drive answers slowly or not at all when asked what it holds: a network drive (also a
// disconnected one), a removable or an optical drive (also without a medium).
bool SlowDrive(const std::wstring& parsingName) {
    if (parsingName.size() != 3 || parsingName[1] != L':' || parsingName[2] != L'\\') return false;
    switch (GetDriveTypeW(parsingName.c_str())) {
    case DRIVE_REMOTE:
    case DRIVE_REMOVABLE:
    case DRIVE_CDROM:
    case DRIVE_NO_ROOT_DIR:
        return true;
    default:
        return false;
    }
}

IDList* NodeList(LPARAM data) { return reinterpret_cast<IDList*>(data); }

}  // namespace

TFolderView::TFolderView(WinControl* parent, int left, int top, int width, int height)
    : TreeView(parent, left, top, width, height) {
    SetImageList(SystemImageList(true));
}

TFolderView::~TFolderView() {
    App().ForgetIdleWork(this);
    // While this object is whole: the nodes' deletion notices free their identifiers.
    busy_ = true;
    Clear();
}

void TFolderView::LookUpImagesWhenIdle() {
    if (std::exchange(imagesWhenIdle_, true)) return;
    App().WhenIdle(this, [this] { return LookUpLateImages(); });
}

bool TFolderView::LookUpLateImages() {
    // The first idle moment comes after every node drawn so far asked for its icons. One lookup
    // each time; the tree is drawn again once all are known, and takes them as it draws. (Setting
    // each item's images costs Wine's tree 20 ms each.)
    imagesWhenIdle_ = false;
    if (!lateImages_.empty()) {
        const Node node = lateImages_.back();
        lateImages_.pop_back();
        int image = 0, selectedImage = 0;
        NodeImages(node, image, selectedImage);
        lookedUpImages_[node] = {image, selectedImage};
    }
    // Also when the last nodes waiting went with their parent.
    if (lateImages_.empty() && !lookedUpImages_.empty()) Invalidate();
    return !lateImages_.empty();
}

void TFolderView::Loaded() {
    if (ContextMenu()) rightClickSelect_ = true;
    InitRoot();
}

void TFolderView::SetFileView(TFileView* fileView) {
    // A list replaced by another no longer sends this tree its double-clicks and renames.
    if (TFileView* old = FileView(); old && old != fileView) old->SetFolderView(nullptr);
    fileView_.Set(fileView);
    if (fileView) fileView->SetFolderView(this);
}

void TFolderView::SetComboView(TComboView* combo) { comboView_.Set(combo); }

void TFolderView::SetContextMenu(TShellContextMenu* menu) {
    contextMenu_.Set(menu);
    if (menu) rightClickSelect_ = true;
}

LPCITEMIDLIST TFolderView::NodeID(Node node) const {
    const IDList* list = node ? NodeList(Data(node)) : nullptr;
    return list ? list->Get() : nullptr;
}

TreeView::Node TFolderView::AddNode(Node parent, NewNode node, IDList id) {
    auto* data = new IDList(std::move(id));
    node.Data = reinterpret_cast<LPARAM>(data);
    const Node added = Add(parent, node);
    if (!added) delete data;
    return added;
}

void TFolderView::ReplaceNodeID(Node node, IDList id) {
    if (IDList* list = NodeList(Data(node))) *list = std::move(id);
    shownParent_ = nullptr;  // the folder kept may lie below the renamed one
}

void TFolderView::Deleting(Node node, LPARAM data) {
    delete NodeList(data);
    if (node == currentNode_) currentNode_ = nullptr;
    if (node == previousNode_) previousNode_ = nullptr;
    if (node == shownParent_) shownParent_ = nullptr;
    std::erase(lateImages_, node);
    lookedUpImages_.erase(node);
}

IDList TFolderView::GetNodeIDList(Node node) const {
    std::vector<LPCITEMIDLIST> path;  // from the node up to the root's child
    for (Node up = node; up && Level(up) > 0; up = ParentOf(up)) path.push_back(NodeID(up));
    if (path.empty()) return IDList::Copy(NodeID(node));
    IDList result = IDList::Copy(path.back());
    for (auto it = path.rbegin() + 1; it != path.rend(); ++it) result.Reset(ConcatIDLists(result.Get(), *it));
    return result;
}

ComPtr<IShellFolder> TFolderView::FolderOf(Node node) const {
    if (!node) return {};
    if (Level(node) == 0) return ComPtr<IShellFolder>(DesktopFolder());
    const IDList absolute = GetNodeIDList(node);
    return BindToFolder(absolute.Get());
}

ComPtr<IShellFolder> TFolderView::ParentFolderOf(Node node) const {
    if (!node || Level(node) == 0) return {};
    return FolderOf(ParentOf(node));
}

void TFolderView::InitRoot() {
    if (busy_ || !DesktopFolder()) return;
    IDList desktop = SpecialFolderList(Handle(), CSIDL_DESKTOP);
    if (!desktop) return;
    std::wstring name;
    if (!GetDisplayName(DesktopFolder(), desktop.Get(), SHGDN_INFOLDER, name)) return;
    {
        const UpdateLock lock(*this);
        {
            const BusyGuard busy(busy_);
            Clear();
        }
        const Node root = AddNode(nullptr, {name, 0, kImagesOnDemand, kImagesOnDemand, true}, std::move(desktop));
        Select(root);
        FillChildren(root);
        Expand(Selected());
    }
    NotifyFolderChanged(Selected());
}

ComPtr<IShellFolder> TFolderView::ShownParentFolder(Node node) {
    const Node parent = ParentOf(node);
    if (!parent) return {};
    if (parent != shownParent_) {
        shownFolder_ = FolderOf(parent);
        shownParent_ = parent;
    }
    return shownFolder_;
}

bool TFolderView::PlainFolderData(Node node, WIN32_FIND_DATAW& found) {
    const ComPtr<IShellFolder> parent = ShownParentFolder(node);
    return parent &&
           SUCCEEDED(SHGetDataFromIDListW(parent.Get(), NodeID(node), SHGDFIL_FINDDATA, &found, sizeof found)) &&
           IsPlainFolder(found);
}

std::wstring TFolderView::NodeText(Node node) {
    return DisplayName(ShownParentFolder(node).Get(), NodeID(node), SHGDN_INFOLDER);
}

bool TFolderView::NodeImages(Node node, int& image, int& selectedImage) {
    if (const auto late = lookedUpImages_.find(node); late != lookedUpImages_.end()) {
        std::tie(image, selectedImage) = late->second;
        lookedUpImages_.erase(late);
        return true;
    }
    // Every plain folder shows the standard folder's icons: asked once.
    WIN32_FIND_DATAW found{};
    const bool plainFolder = PlainFolderData(node, found);
    if (plainFolder && folderImagesKnown_) {
        image = folderImage_;
        selectedImage = folderSelectedImage_;
        return true;
    }
    if (imagesWhenIdle_) {
        if (std::find(lateImages_.begin(), lateImages_.end(), node) == lateImages_.end()) lateImages_.push_back(node);
        image = PlainFolderImage(false);
        selectedImage = PlainFolderImage(true);
        return false;
    }
    const IDList absolute = GetNodeIDList(node);
    image = GetSysIconIndex(absolute.Get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    selectedImage = GetSysIconIndex(absolute.Get(), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_OPENICON);
    if (!lateImages_.empty()) std::erase(lateImages_, node);  // drawn again before its turn came
    if (plainFolder) {
        folderImage_ = image;
        folderSelectedImage_ = selectedImage;
        folderImagesKnown_ = true;
    }
    return true;
}

bool TFolderView::FillChildren(Node node) {
    if (busy_ || !node || !NodeID(node)) return true;
    const ComPtr<IShellFolder> folder = FolderOf(node);
    const FolderContents items = EnumerateItems(folder.Get(), Handle(), kTreeItems);
    if (!items.Readable) {
        // The shell has shown why (a drive without a medium, say); the node keeps its button.
        Select(currentNode_);
        return false;
    }
    const HourglassCursor hourglass;
    const UpdateLock lock(*this);
    const BusyGuard busy(busy_);
    std::vector<IDList> children;
    for (IDList id = items.Next(); id; id = items.Next()) children.push_back(std::move(id));
    std::vector<LPCITEMIDLIST> ids;
    ids.reserve(children.size());
    for (const IDList& id : children) ids.push_back(id.Get());

    // Added in the folder's order. A plain folder's name is its file name, from the find data its
    // identifier carries (the tree asks for the names of all the children of a node it expands);
    // other names and, without the folder's own icons, the shell's icons are looked up when a node
    // is first shown: most nodes of a large folder never are.
    const ComPtr<IShellIcon> icons = folder.As<IShellIcon>();
    // Whether a child has subfolders is asked of it, except where the answer may take seconds:
    // there the child shows its button until it is expanded, as in Explorer.
    const bool inNetwork = InNetwork(node);
    int added = 0;
    for (const size_t index : FolderOrder(folder.Get(), ids, 1)) {
        IDList& id = children[index];
        NewNode child;
        WIN32_FIND_DATAW found{};
        const bool hasFindData =
            SUCCEEDED(SHGetDataFromIDListW(folder.Get(), id.Get(), SHGDFIL_FINDDATA, &found, sizeof found));
        const bool diskFolder = hasFindData && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        bool slow = inNetwork;
        if (!diskFolder) {
            // Archives come with the folders, being folders to the shell too; they are files here.
            const ULONG attributes = ItemAttributes(folder.Get(), id.Get(), kFolderAttributes | SFGAO_REMOVABLE);
            if (!CountsAsFolder(folder.Get(), id.Get(), attributes)) continue;
            slow = slow || (attributes & SFGAO_REMOVABLE) || SlowPlace(node, folder.Get(), id.Get());
        }
        if (diskFolder && IsPlainFolder(found))
            child.Text = found.cFileName;
        else
            child.TextOnDemand = true;
        child.Image = child.SelectedImage = -1;
        if (icons) {
            if (icons->GetIconOf(id.Get(), GIL_OPENICON, &child.SelectedImage) != S_OK) child.SelectedImage = -1;
            if (icons->GetIconOf(id.Get(), GIL_FORSHELL, &child.Image) != S_OK) child.Image = -1;
        }
        if (child.Image < 0 || child.SelectedImage < 0) child.Image = child.SelectedImage = kImagesOnDemand;
        child.HasChildren = slow || ItemAttributes(folder.Get(), id.Get(), SFGAO_HASSUBFOLDER) != 0;
        if (AddNode(node, std::move(child), std::move(id))) ++added;
    }
    if (added == 0) SetHasChildren(node, false);
    return true;
}

bool TFolderView::IsNetworkFolder(Node node) const {
    if (!node || Level(node) != 1) return false;
    const IDList network = SpecialFolderList(Handle(), CSIDL_NETWORK);
    return network && CompareIDLists(DesktopFolder(), NodeID(node), network.Get()) == 0;
}

bool TFolderView::InNetwork(Node node) const {
    Node top = node;
    while (top && Level(top) > 1) top = ParentOf(top);
    return IsNetworkFolder(top);
}

bool TFolderView::SlowPlace(Node parent, IShellFolder* folder, LPCITEMIDLIST id) const {
    // The network folder among the desktop's children, and drives by their kind: both asked without
    // touching what they hold.
    if (Level(parent) == 0) {
        const IDList network = SpecialFolderList(Handle(), CSIDL_NETWORK);
        if (network && CompareIDLists(DesktopFolder(), id, network.Get()) == 0) return true;
    }
    const std::wstring parsingName = DisplayName(folder, id, SHGDN_FORPARSING);
    return SlowDrive(parsingName) || parsingName.starts_with(L"\\\\");
}

void TFolderView::Expanding(Node node) {
    if (HasChildren(node) && !FirstChild(node)) FillChildren(node);
}

void TFolderView::ExpandNode(Node node) {
    if (!node) return;
    // A folder that cannot be read is tried once: the expansion would try it again.
    if (HasChildren(node) && !FirstChild(node) && !FillChildren(node)) return;
    Expand(node);
}

TreeView::Node TFolderView::FindNodeByIDList(LPCITEMIDLIST list) {
    Node node = Root();
    ExpandNode(node);
    if (!list || GetIDListSize(list) <= 2) return node;
    for (LPCITEMIDLIST id = list; id && node; id = NextIDOrNil(id)) {
        const IDList single(CopyFirstID(id));
        node = FindChildNode(node, single.Get());
    }
    return node;
}

TreeView::Node TFolderView::FindChildNode(Node node, LPCITEMIDLIST id) {
    if (!node || !NodeID(node) || !id) return nullptr;
    const ComPtr<IShellFolder> folder = FolderOf(node);
    if (!folder) return nullptr;
    ExpandNode(node);
    for (Node child = FirstChild(node); child; child = NextSibling(child))
        if (CompareIDLists(folder.Get(), NodeID(child), id) == 0) return child;
    return nullptr;
}

void TFolderView::SelectChildByID(LPCITEMIDLIST id) {
    const UpdateLock lock(*this);
    if (const Node child = FindChildNode(Selected(), id)) Select(child);
}

void TFolderView::SelectByIDList(LPCITEMIDLIST list) {
    const UpdateLock lock(*this);
    Select(FindNodeByIDList(list));
}

std::wstring TFolderView::FolderPath() const {
    const Node node = Selected();
    if (!node) return {};
    const IDList absolute = GetNodeIDList(node);
    return DisplayName(DesktopFolder(), absolute.Get(), SHGDN_FORPARSING);
}

void TFolderView::SetFolderPath(const std::wstring& path) {
    IShellFolder* desktop = DesktopFolder();
    if (!desktop || path.size() > kMaxShellName) return;
    std::wstring text = path;  // ParseDisplayName takes a writable string
    IDList list;
    const HRESULT parsed = desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.Receive(), nullptr);
    if (FAILED(parsed) || !list) return;
    const UpdateLock lock(*this);
    Select(FindNodeByIDList(list.Get()));
}

void TFolderView::SelectionChanged(Node node) {
    previousNode_ = currentNode_;
    currentNode_ = node;
    NotifyFolderChanged(node);
}

void TFolderView::ReturnToPreviousNode() {
    if (returning_) return;
    returning_ = true;
    Select(previousNode_);
    returning_ = false;
}

void TFolderView::NotifyFolderChanged(Node node) {
    if (!node || busy_) return;
    const IDList absolute = GetNodeIDList(node);
    if (TFileView* list = FileView()) list->SetFolderIDList(absolute.Get());
    // A list that could not read the folder has sent the tree back, and the combo box has been
    // shown the folder the tree went back to.
    if (Selected() != node) return;
    if (TComboView* combo = ComboView()) combo->ShowFolder(absolute.Get());
}

void TFolderView::RenameChildNode(LPCITEMIDLIST oldId, LPCITEMIDLIST newId) {
    const Node selected = Selected();
    const Node child = FindChildNode(selected, oldId);
    if (!child || !newId) return;
    const ComPtr<IShellFolder> folder = FolderOf(selected);
    SetText(child, DisplayName(folder.Get(), newId, SHGDN_NORMAL));
    ReplaceNodeID(child, IDList(CopyFirstID(newId)));
    if (TComboView* combo = ComboView()) {
        const IDList absolute = GetNodeIDList(selected);
        combo->ShowFolder(absolute.Get());
    }
}

bool TFolderView::CanEdit(Node node) { return !ReadOnly() && node && Level(node) > 0; }

bool TFolderView::Edited(Node node, const std::wstring& text) {
    if (!node || !NodeID(node) || Level(node) == 0) return false;
    const ComPtr<IShellFolder> parent = ParentFolderOf(node);
    if (!parent) return false;
    IDList renamed;
    HRESULT result = E_FAIL;
    if (!text.empty() && text.size() <= kMaxShellName)
        result = parent->SetNameOf(Handle(), NodeID(node), text.c_str(), SHGDN_NORMAL, renamed.Receive());
    if (FAILED(result) || !renamed) {
        SetText(node, DisplayName(parent.Get(), NodeID(node), SHGDN_NORMAL));
        return false;
    }
    ReplaceNodeID(node, std::move(renamed));
    SetText(node, DisplayName(parent.Get(), NodeID(node), SHGDN_NORMAL));
    if (TComboView* combo = ComboView()) {
        const IDList absolute = GetNodeIDList(node);
        combo->ShowFolder(absolute.Get());
    }
    // The list shows the renamed folder (or one inside it) under a name that is gone now.
    const Node selected = Selected();
    bool listShowsIt = false;
    for (Node up = selected; up && !listShowsIt; up = ParentOf(up)) listShowsIt = up == node;
    if (TFileView* list = FileView(); list && listShowsIt) {
        const IDList absolute = GetNodeIDList(selected);
        list->SetFolderIDList(absolute.Get());
    }
    return false;  // the label is the shell's name for it, set above
}

void TFolderView::RightClick(POINT point) {
    // Right-click selection: the menu is for the node under the pointer, the selection stays.
    const Node node = rightClickSelect_ ? NodeAt(point) : Selected();
    TShellContextMenu* menu = ContextMenu();
    if (!menu || !node || Level(node) == 0) return;
    const ComPtr<IShellFolder> parent = ParentFolderOf(node);
    if (!parent) return;
    const IDList id = IDList::Copy(NodeID(node));
    menu->PopupForItem(Handle(), parent.Get(), point, id.Get());
}

}  // namespace morvane
