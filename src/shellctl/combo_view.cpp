#include "shellctl/combo_view.h"

#include "shellctl/folder_view.h"
#include "shellctl/shell_folder.h"

namespace morvane {

namespace {

constexpr SHCONTF kComboItems = SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr int kRowHeight = 16;
constexpr int kDropDownRows = 8;
constexpr int kIndentPerLevel = 10;

// Destroys an icon the shell handed over, on every path.
class OwnedIcon {
public:
    explicit OwnedIcon(HICON icon) : icon_(icon) {}
    ~OwnedIcon() {
        if (icon_) DestroyIcon(icon_);
    }
    OwnedIcon(const OwnedIcon&) = delete;
    OwnedIcon& operator=(const OwnedIcon&) = delete;
    HICON Get() const { return icon_; }

private:
    HICON icon_;
};

}  // namespace

TComboView::TComboView(WinControl* parent, int left, int top, int width)
    // A combo box's window height is that of its dropped-down list.
    : OwnerDrawComboBox(parent, left, top, width, kRowHeight * (kDropDownRows + 1) + 8) {
    SetItemHeight(kRowHeight);
    SetDropDownCount(kDropDownRows);
}

TComboView::~TComboView() { ClearEntries(); }

void TComboView::Loaded() {
    FillFixedEntries();
    SetItemIndex(0);
}

void TComboView::SetFolderView(TFolderView* tree) {
    // A tree replaced by another no longer shows its folders here.
    if (TFolderView* old = FolderView(); old && old != tree) old->SetComboView(nullptr);
    folderView_.Set(tree);
    if (tree) tree->SetComboView(this);
}

const TComboData* TComboView::Entry(int index) const {
    return index < 0 || index >= Count() ? nullptr : reinterpret_cast<const TComboData*>(Data(index));
}

void TComboView::AddEntry(int position, int level, LPCITEMIDLIST list) {
    auto entry = std::make_unique<TComboData>();
    entry->List = IDList::Copy(list);
    entry->Level = level;
    entry->Index = position;
    Insert(position, reinterpret_cast<LPARAM>(entry.get()));
    (pathMode_ ? pathEntries_ : fixedEntries_).push_back(std::move(entry));
}

int TComboView::InsertPath(LPCITEMIDLIST list) {
    IShellFolder* desktop = DesktopFolder();
    int level = 1, position = 1, scanStart = 1;
    IDList prefix;
    for (LPCITEMIDLIST id = list; id; id = NextIDOrNil(id)) {
        prefix.Reset(ConcatIDListsFree(prefix.Release(), CopyFirstID(id)));
        bool present = false;
        for (int i = scanStart; i < Count() && !present; ++i) {
            const TComboData* entry = Entry(i);
            if (!entry || entry->Level != level) continue;
            const int order = CompareIDLists(desktop, prefix.Get(), entry->List.Get());
            if (order == 0) {
                present = true;
                position = i + 1;
            } else if (order > 0) {
                position = i + 1;
            }
        }
        if (!present) {
            AddEntry(position, level, prefix.Get());
            ++position;
            scanStart = position;
        }
        ++level;
    }
    return position - 1;
}

void TComboView::FillFixedEntries() {
    pathMode_ = false;
    ClearEntries();
    IShellFolder* desktop = DesktopFolder();
    {
        const IDList desktopList = SpecialFolderList(Handle(), CSIDL_DESKTOP);
        if (desktopList) {
            AddEntry(0, 0, desktopList.Get());
            const FolderContents children = EnumerateItems(desktop, Handle(), kComboItems);
            for (IDList id = children.Next(); id; id = children.Next()) {
                const IDList absolute(ConcatIDLists(desktopList.Get(), id.Get()));
                InsertPath(absolute.Get());
            }
        }
    }
    const IDList drives = SpecialFolderList(Handle(), CSIDL_DRIVES);
    const ComPtr<IShellFolder> computer = BindToFolder(drives.Get());
    const FolderContents children = EnumerateItems(computer.Get(), nullptr, kComboItems);
    for (IDList id = children.Next(); id; id = children.Next()) {
        const IDList absolute(ConcatIDLists(drives.Get(), id.Get()));
        InsertPath(absolute.Get());
    }
    pathMode_ = true;
}

void TComboView::ShowFolder(LPCITEMIDLIST list) {
    if (!list) return;
    while (!pathEntries_.empty()) {
        Delete(pathEntries_.back()->Index);
        pathEntries_.pop_back();
    }
    const IDList desktopList = SpecialFolderList(Handle(), CSIDL_DESKTOP);
    if (CompareIDLists(DesktopFolder(), list, desktopList.Get()) != 0)
        SetItemIndex(InsertPath(list));
    else
        SetItemIndex(0);
}

void TComboView::ClearEntries() {
    Clear();
    fixedEntries_.clear();
    pathEntries_.clear();
}

void TComboView::Change() {
    if (OnChange) OnChange();
    const TComboData* entry = Entry(ItemIndex());
    TFolderView* tree = FolderView();
    if (!tree || !entry) return;
    // A copy: the tree's selection comes back here through ShowFolder, which destroys the path
    // entries, this one perhaps among them.
    const IDList list = IDList::Copy(entry->List.Get());
    tree->SelectByIDList(list.Get());
}

void TComboView::DrawItem(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    const int saved = SaveDC(dc);
    SelectObject(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = item.rcItem;
    const TComboData* entry = Entry(static_cast<int>(item.itemID));
    const bool editPortion = (item.itemState & ODS_COMBOBOXEDIT) || rect.left != 0;
    if (!entry) {
        FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    } else if (DroppedDown() || editPortion) {
        const bool selected = item.itemState & ODS_SELECTED;
        const bool highlighted = selected && !editPortion;
        UINT flags = SHGFI_ICON | SHGFI_SMALLICON | SHGFI_PIDL;
        if (selected) flags |= SHGFI_OPENICON | (editPortion ? 0 : SHGFI_SELECTED);
        FillRect(dc, &rect, GetSysColorBrush(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetBkColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(highlighted ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));

        const int x = editPortion ? rect.left + 1 : entry->Level * Scaled(kIndentPerLevel);
        const int side = rect.bottom - rect.top;

        // The entry's name in its parent folder; the desktop's children have no parent list.
        const IDList parentList(ParentIDList(entry->List.Get()));
        ComPtr<IShellFolder> parent = BindToFolder(parentList.Get());
        if (!parent) parent = ComPtr<IShellFolder>(DesktopFolder());
        const IDList last(LastIDList(entry->List.Get()));
        const std::wstring name = DisplayName(parent.Get(), last.Get(), SHGDN_INFOLDER);
        TextOutW(dc, x + side + 3, rect.top, name.c_str(), static_cast<int>(name.size()));

        SHFILEINFOW info{};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(entry->List.Get()), 0, &info, sizeof info, flags);
        const OwnedIcon icon(info.hIcon);
        if (icon.Get()) DrawIconEx(dc, x, rect.top, icon.Get(), side, side, 0, nullptr, DI_NORMAL);
    }
    RestoreDC(dc, saved);
}

}  // namespace morvane
