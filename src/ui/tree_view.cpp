#include "ui/tree_view.h"

#include <algorithm>

namespace morvane {

TreeView::TreeView(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    CreateHandle(WC_TREEVIEWW, true, TVS_HASBUTTONS | TVS_HASLINES | TVS_EDITLABELS | TVS_SHOWSELALWAYS | WS_TABSTOP,
                 WS_EX_CLIENTEDGE);
}

TreeView::Node TreeView::Add(Node parent, const NewNode& node) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    insert.item.pszText = node.TextOnDemand ? LPSTR_TEXTCALLBACKW : const_cast<wchar_t*>(node.Text.c_str());
    insert.item.lParam = node.Data;
    insert.item.iImage = node.Image;
    insert.item.iSelectedImage = node.SelectedImage;
    insert.item.cChildren = node.HasChildren ? 1 : 0;
    return reinterpret_cast<Node>(SendMessageW(Handle(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TreeView::Clear() { SendMessageW(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

namespace {

TreeView::Node NextNode(HWND tree, UINT relation, TreeView::Node node) {
    return reinterpret_cast<TreeView::Node>(
        SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(node)));
}

}  // namespace

TreeView::Node TreeView::Root() const { return NextNode(Handle(), TVGN_ROOT, nullptr); }
TreeView::Node TreeView::FirstChild(Node node) const { return node ? NextNode(Handle(), TVGN_CHILD, node) : nullptr; }
TreeView::Node TreeView::NextSibling(Node node) const { return node ? NextNode(Handle(), TVGN_NEXT, node) : nullptr; }
TreeView::Node TreeView::ParentOf(Node node) const { return node ? NextNode(Handle(), TVGN_PARENT, node) : nullptr; }
TreeView::Node TreeView::Selected() const { return NextNode(Handle(), TVGN_CARET, nullptr); }

int TreeView::Level(Node node) const {
    int level = 0;
    for (Node up = ParentOf(node); up; up = ParentOf(up)) ++level;
    return level;
}

int TreeView::ChildCount(Node node) const {
    int count = 0;
    for (Node child = FirstChild(node); child; child = NextSibling(child)) ++count;
    return count;
}

std::wstring TreeView::Text(Node node) const {
    wchar_t text[1024] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    if (!node || !SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    return item.pszText ? item.pszText : L"";
}

void TreeView::SetText(Node node, const std::wstring& text) {
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    if (node) SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

LPARAM TreeView::Data(Node node) const {
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (!node || !SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

void TreeView::SetData(Node node, LPARAM data) {
    TVITEMW item{};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    item.lParam = data;
    if (node) SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool TreeView::HasChildren(Node node) const {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    if (!node || !SendMessageW(Handle(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return false;
    return item.cChildren != 0;
}

void TreeView::SetHasChildren(Node node, bool hasChildren) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    item.cChildren = hasChildren ? 1 : 0;
    if (node) SendMessageW(Handle(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

bool TreeView::Expanded(Node node) const {
    return node && (SendMessageW(Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_EXPANDED) &
                    TVIS_EXPANDED);
}

void TreeView::Select(Node node) {
    SendMessageW(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
}

void TreeView::Expand(Node node) {
    if (node) SendMessageW(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
}

TreeView::Node TreeView::NodeAt(POINT client) const {
    TVHITTESTINFO hit{};
    hit.pt = client;
    const auto node = reinterpret_cast<Node>(SendMessageW(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    // The whole row: the indent and button to the left of the label and the space to its right too.
    return (hit.flags & (TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT)) ? node : nullptr;
}

void TreeView::EditLabel(Node node) {
    if (node) SendMessageW(Handle(), TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(node));
}

bool TreeView::Editing() const { return SendMessageW(Handle(), TVM_GETEDITCONTROL, 0, 0) != 0; }

void TreeView::SetImageList(HIMAGELIST images) {
    SendMessageW(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
}

void TreeView::ApplyStyle(DWORD style, bool on) {
    const LONG_PTR old = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, on ? (old | style) : (old & ~static_cast<LONG_PTR>(style)));
    Invalidate();
}

void TreeView::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_) return;
    readOnly_ = readOnly;
    ApplyStyle(TVS_EDITLABELS, !readOnly);
}

void TreeView::SetShowRoot(bool showRoot) {
    if (showRoot == showRoot_) return;
    showRoot_ = showRoot;
    ApplyStyle(TVS_LINESATROOT, showRoot);
}

void TreeView::SetIndent(int pixels) {
    indent_ = pixels;
    SendMessageW(Handle(), TVM_SETINDENT, static_cast<WPARAM>(Scaled(pixels)), 0);
}

void TreeView::DpiChanged(int) {
    if (indent_) SetIndent(indent_);
}

bool TreeView::Notify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
        const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (info.action & TVE_EXPAND) Expanding(info.itemNew.hItem);
        result = FALSE;
        return true;
    }
    case TVN_SELCHANGEDW:
        SelectionChanged(reinterpret_cast<const NMTREEVIEWW&>(header).itemNew.hItem);
        return true;
    case TVN_DELETEITEMW: {
        const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
        Deleting(info.itemOld.hItem, info.itemOld.lParam);
        return true;
    }
    case TVN_BEGINLABELEDITW:
        result = CanEdit(reinterpret_cast<const NMTVDISPINFOW&>(header).item.hItem) ? FALSE : TRUE;
        return true;
    case TVN_ENDLABELEDITW: {
        const auto& info = reinterpret_cast<const NMTVDISPINFOW&>(header);
        result = (info.item.pszText && Edited(info.item.hItem, info.item.pszText)) ? TRUE : FALSE;
        return true;
    }
    case TVN_GETDISPINFOW: {
        // The control's own notice, filled in for it; texts and images are kept, so this comes once.
        auto& info = const_cast<NMTVDISPINFOW&>(reinterpret_cast<const NMTVDISPINFOW&>(header));
        if ((info.item.mask & TVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0) {
            const std::wstring text = NodeText(info.item.hItem);
            const size_t length = std::min(text.size(), static_cast<size_t>(info.item.cchTextMax - 1));
            text.copy(info.item.pszText, length);
            info.item.pszText[length] = L'\0';
            info.item.mask |= TVIF_DI_SETITEM;
        }
        if (info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
            int image = 0, selectedImage = 0;
            // Stand-ins are asked for again at the next drawing, the text with them.
            const bool keep = NodeImages(info.item.hItem, image, selectedImage);
            info.item.iImage = image;
            info.item.iSelectedImage = selectedImage;
            if (keep)
                info.item.mask |= TVIF_DI_SETITEM;
            else
                info.item.mask &= ~TVIF_DI_SETITEM;
        }
        return true;
    }
    case NM_RCLICK: {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(Handle(), &point);
        RightClick(point);
        result = TRUE;  // handled: no WM_CONTEXTMENU after it
        return true;
    }
    }
    return false;
}

}  // namespace morvane
