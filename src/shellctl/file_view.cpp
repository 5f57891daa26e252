#include "shellctl/file_view.h"

#include "shellctl/file_texts.h"
#include "shellctl/file_types.h"
#include "shellctl/folder_view.h"
#include "shellctl/shell_context_menu.h"
#include "shellctl/shell_folder.h"
#include "ui/screen_cursor.h"

namespace morvane {

namespace {

enum Column { kName, kSize, kType, kDate, kColumns };

struct ColumnLayout {
    const wchar_t* Caption;
    int Width;
    int Format;
};

constexpr ColumnLayout kColumnLayout[kColumns] = {
    {L"名前", 120, LVCFMT_LEFT},
    {L"ｻｲｽﾞ", 60, LVCFMT_RIGHT},
    {L"ﾌｧｲﾙの種類", 120, LVCFMT_LEFT},
    {L"更新日時", 120, LVCFMT_LEFT},
};

constexpr SHCONTF kListedItems = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN;
constexpr int kShortcutOverlay = 2;

template <typename T>
int Order(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

// What an item carries: its identifier (owned) and the values its texts were made from, so that
// sizes and dates sort by value rather than by text.
struct TFileView::Item {
    IDList Id;
    bool HasFindData = false;
    ULONGLONG Size = 0;
    ULONGLONG LastWrite = 0;
    std::wstring TypeName;
};

int TFileView::SortDirections[4] = {1, 1, 1, 1};

TFileView::TFileView(WinControl* parent, int left, int top, int width, int height)
    : ListView(parent, left, top, width, height) {
    for (int column = ColumnCount(); column < kColumns; ++column) AddColumn(L"", 0, LVCFMT_LEFT);
    for (int column = 0; column < kColumns; ++column)
        SetColumn(column, kColumnLayout[column].Caption, kColumnLayout[column].Width, kColumnLayout[column].Format);
    SetImageLists(SystemImageList(false), SystemImageList(true));
}

TFileView::~TFileView() {
    // While this object is whole: the items' deletion notices free their identifiers.
    Clear();
}

void TFileView::SetContextMenu(TShellContextMenu* menu) { contextMenu_.Set(menu); }

void TFileView::SetFolderView(TFolderView* tree) { folderView_.Set(tree); }

TFileView::Item* TFileView::ItemAt(int index) const {
    return index < 0 ? nullptr : reinterpret_cast<Item*>(Data(index));
}

LPCITEMIDLIST TFileView::ItemID(int index) const {
    const Item* item = ItemAt(index);
    return item ? item->Id.Get() : nullptr;
}

void TFileView::Deleting(int, LPARAM data) { delete reinterpret_cast<Item*>(data); }

void TFileView::SetFolderIDList(LPCITEMIDLIST list) {
    if (!list) return;
    // The desktop itself (the empty list) cannot be bound to; it is the shared desktop folder.
    ComPtr<IShellFolder> folder = GetIDListSize(list) <= 2 ? ComPtr<IShellFolder>(DesktopFolder()) : BindToFolder(list);
    if (!folder) {
        // Anything else that cannot be bound is no folder to show: the list keeps what it shows,
        // rather than showing the desktop under another folder's name.
        if (TFolderView* tree = FolderView()) tree->ReturnToPreviousNode();
        return;
    }
    folderList_ = IDList::Copy(list);
    folder_ = std::move(folder);
    FillList();
}

void TFileView::FillList() {
    if (!folder_) return;
    const ComPtr<IShellFolder> folder = folder_;
    const FolderContents items = EnumerateItems(folder.Get(), Handle(), kListedItems);
    if (!items.Readable) {
        // The shell has said why (no medium, unreachable); the tree goes back where it was.
        if (TFolderView* tree = FolderView()) tree->ReturnToPreviousNode();
        return;
    }
    const ComPtr<IShellIcon> icons = folder.As<IShellIcon>();
    TypeLooks looks;

    for (int& direction : SortDirections) direction = 1;
    const HourglassCursor hourglass;
    const UpdateLock lock(*this);
    Clear();
    // Items are added in list style, which lays them out fastest; the style returns at the end,
    // however the fill ends.
    struct ListStyleForFill {
        ListView& list;
        const ViewStyle saved;
        explicit ListStyleForFill(ListView& l) : list(l), saved(l.Style()) { list.SetStyle(ViewStyle::List); }
        ~ListStyleForFill() { list.SetStyle(saved); }
    } listStyle(*this);
    for (IDList id = items.Next(); id; id = items.Next()) {
        const ULONG attributes = ItemAttributes(folder.Get(), id.Get(), SFGAO_FOLDER | SFGAO_LINK);
        if (!(attributes & SFGAO_FOLDER) && !mask_.empty() &&
            !PassesMask(DisplayName(folder.Get(), id.Get(), SHGDN_FORPARSING), mask_))
            continue;  // its identifier is freed here
        AddItem(folder.Get(), icons.Get(), std::move(id), attributes, looks);
    }
    Sort(kName);
}

void TFileView::AddItem(IShellFolder* folder, IShellIcon* icons, IDList id, ULONG attributes, TypeLooks& looks) {
    auto item = std::make_unique<Item>();

    std::wstring sizeText, dateText;
    WIN32_FIND_DATAW found{};
    if (SUCCEEDED(SHGetDataFromIDListW(folder, id.Get(), SHGDFIL_FINDDATA, &found, sizeof found))) {
        item->HasFindData = true;
        item->Size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        item->LastWrite = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                          found.ftLastWriteTime.dwLowDateTime;
        sizeText = SizeText(item->Size);
        dateText = DateText(found.ftLastWriteTime);
    }
    // Plain files look like every other file of their type; folders and shortcuts are asked for
    // one by one.
    const bool plainFile = item->HasFindData && !(attributes & (SFGAO_FOLDER | SFGAO_LINK)) &&
                           !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);

    int image = -1;
    if (icons && icons->GetIconOf(id.Get(), GIL_FORSHELL, &image) != S_OK) image = -1;
    if (const TypeLooks::Look* look = plainFile ? looks.Find(found.cFileName) : nullptr) {
        item->TypeName = look->TypeName;
        if (image == -1) image = look->Image;
    } else {
        // The type name and the icon in one call: it is the costly one.
        const IDList absolute(ConcatIDLists(folderList_.Get(), id.Get()));
        SHFILEINFOW info{};
        const UINT infoFlags = SHGFI_TYPENAME | SHGFI_PIDL | (image == -1 || plainFile ? SHGFI_SYSICONINDEX : 0);
        if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info, infoFlags)) {
            item->TypeName = info.szTypeName;
            if (image == -1) image = info.iIcon;
            if (plainFile) looks.Remember(found.cFileName, {info.iIcon, info.szTypeName});
        }
    }
    if (image == -1) image = 0;

    const std::wstring caption = DisplayName(folder, id.Get(), SHGDN_INFOLDER);
    item->Id = std::move(id);
    Item* data = item.release();  // the list item owns it from here; Deleting frees it
    const int index = Add(caption, reinterpret_cast<LPARAM>(data), image);
    if (index < 0) {
        delete data;
        return;
    }
    if (attributes & SFGAO_LINK) SetOverlay(index, kShortcutOverlay);
    SetSubItem(index, kSize, sizeText);
    SetSubItem(index, kType, data->TypeName);
    SetSubItem(index, kDate, dateText);
}

int CALLBACK TFileView::CompareItems(LPARAM a, LPARAM b, LPARAM context) {
    const auto* view = reinterpret_cast<const TFileView*>(context);
    const auto* first = reinterpret_cast<const Item*>(a);
    const auto* second = reinterpret_cast<const Item*>(b);
    const int column = view->sortColumn_;
    int order = 0;
    switch (column) {
    case kName:
        order = CompareIDLists(view->folder_.Get(), first->Id.Get(), second->Id.Get());
        break;
    case kSize:
        // Items the shell gives no size (drives) sort first, as their empty texts would.
        order = first->HasFindData != second->HasFindData ? (first->HasFindData ? 1 : -1)
                                                          : Order(first->Size, second->Size);
        break;
    case kType:
        order = lstrcmpW(first->TypeName.c_str(), second->TypeName.c_str());
        break;
    case kDate:
        order = first->HasFindData != second->HasFindData ? (first->HasFindData ? 1 : -1)
                                                          : Order(first->LastWrite, second->LastWrite);
        break;
    }
    return order * SortDirections[column];
}

void TFileView::Sort(int column) {
    if (!folder_) return;
    sortColumn_ = column;
    ListView::Sort(CompareItems, reinterpret_cast<LPARAM>(this));
}

void TFileView::SortByColumn(int column) {
    if (column < 0 || column >= kColumns) return;
    SortDirections[column] = -SortDirections[column];
    Sort(column);
}

void TFileView::ColumnClick(int column) { SortByColumn(column); }

std::wstring TFileView::GetItemPath(int index) const {
    const Item* item = ItemAt(index);
    if (!folder_ || !item || !item->Id) return {};
    return DisplayName(folder_.Get(), item->Id.Get(), SHGDN_FORPARSING);
}

std::wstring TFileView::GetSelectedPath() const { return GetItemPath(FirstSelected()); }

void TFileView::DoubleClick() {
    const Item* item = ItemAt(FirstSelected());
    if (!folder_ || !item || !item->Id) return;
    const ULONG attributes =
        ItemAttributes(folder_.Get(), item->Id.Get(), SFGAO_FOLDER | SFGAO_FILESYSANCESTOR);
    if (TFolderView* tree = FolderView(); tree && attributes) {
        // A copy: the tree's selection change refills this list, which frees the item's own.
        const IDList id = IDList::Copy(item->Id.Get());
        tree->SelectChildByID(id.Get());
        return;
    }
    if (!fileExecute_) return;
    const IDList absolute(ConcatIDLists(folderList_.Get(), item->Id.Get()));
    SHELLEXECUTEINFOW execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_INVOKEIDLIST;
    execute.hwnd = Handle();
    execute.lpVerb = L"";
    execute.lpParameters = L"";
    execute.lpDirectory = L"";
    execute.nShow = SW_SHOWNORMAL;
    execute.lpIDList = absolute.Get();
    ShellExecuteExW(&execute);  // the shell reports its own failures
    if (OnDblClick) OnDblClick();
}

void TFileView::RightClick(POINT point) {
    const Item* item = ItemAt(FirstSelected());
    TShellContextMenu* menu = ContextMenu();
    if (!menu || !folder_ || !item || !item->Id) return;
    const ComPtr<IShellFolder> folder = folder_;
    const IDList id = IDList::Copy(item->Id.Get());
    menu->PopupForItem(Handle(), folder.Get(), point, id.Get());
}

bool TFileView::Edited(int index, const std::wstring& text) {
    // The edited item, which need not be the first selected one when several are.
    Item* item = ItemAt(index);
    if (!folder_ || !item || !item->Id || text.empty()) return false;
    const ComPtr<IShellFolder> folder = folder_;
    // Asked before the rename, while the item still exists under its old name.
    const ULONG attributes = ItemAttributes(folder.Get(), item->Id.Get(), SFGAO_FOLDER | SFGAO_FILESYSANCESTOR);
    IDList renamed;
    HRESULT result = E_FAIL;
    if (text.size() <= kMaxShellName)
        result = folder->SetNameOf(Handle(), item->Id.Get(), text.c_str(), SHGDN_NORMAL, renamed.Receive());
    if (FAILED(result) || !renamed) {
        SetText(index, DisplayName(folder.Get(), item->Id.Get(), SHGDN_NORMAL));
        return false;
    }
    if (TFolderView* tree = FolderView(); tree && attributes) tree->RenameChildNode(item->Id.Get(), renamed.Get());
    item->Id = std::move(renamed);
    SetText(index, DisplayName(folder.Get(), item->Id.Get(), SHGDN_NORMAL));
    return false;  // the caption is the shell's name for it, set above
}

}  // namespace morvane
