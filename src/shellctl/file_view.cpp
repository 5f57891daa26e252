#include "shellctl/file_view.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "shellctl/file_texts.h"
#include "shellctl/folder_order.h"
#include "shellctl/folder_read_ahead.h"
#include "shellctl/folder_view.h"
#include "shellctl/shell_context_menu.h"
#include "shellctl/shell_folder.h"
#include "ui/gdi.h"
#include "ui/handles.h"
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
constexpr ULONG kShownAttributes = SFGAO_FOLDER | SFGAO_LINK | SFGAO_STREAM;
constexpr int kShortcutOverlay = 2;

ULONGLONG Joined(DWORD high, DWORD low) { return (static_cast<ULONGLONG>(high) << 32) | low; }

FILETIME TimeOf(ULONGLONG value) {
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

// The folder of an absolute list in the file system, or empty.
std::wstring FileSystemPath(LPCITEMIDLIST list) {
    wchar_t path[MAX_PATH] = {};
    return list && SHGetPathFromIDListW(list, path) ? std::wstring(path) : std::wstring();
}

std::wstring JoinPath(const std::wstring& folder, const wchar_t* name) {
    return folder.empty() || folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view start, bool whole) {
    if (text.size() < start.size() || (whole && text.size() != start.size())) return false;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.data(), static_cast<int>(start.size()),
                          start.data(), static_cast<int>(start.size())) == CSTR_EQUAL;
}


bool IsFile(const WIN32_FIND_DATAW& found) { return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && found.cFileName[0]; }

// Whether double-clicking or renaming the item concerns the tree: a folder to browse, not an
// archive that only looks like one.
bool BrowsedInTree(IShellFolder* folder, LPCITEMIDLIST id) {
    const ULONG attributes = ItemAttributes(folder, id, SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_STREAM);
    return (attributes & (SFGAO_FOLDER | SFGAO_FILESYSANCESTOR)) && CountsAsFolder(folder, id, attributes | SFGAO_FOLDER);
}

}  // namespace

// What an item keeps: its identifier (owned), and what the shell gave it once it was first shown.
// Everything else (size, date, the look shared by its type) comes again from the find data its
// identifier carries.
struct TFileView::Item {
    explicit Item(IDList id) : Id(std::move(id)) {}
    IDList Id;
    std::wstring Caption;
    const TypeLooks::Look* Look = nullptr;     // shared by its type, or its own below
    std::unique_ptr<TypeLooks::Look> OwnLook;  // for items that look like nothing else
    int Image = -1;
    ULONG Attributes = 0;
    bool CaptionKnown = false;
    bool AttributesKnown = false;
    // Size and last-write time, once asked for: those of the file system where the item is one of
    // its entries (the find data an identifier carries holds a 32-bit size), else of the find data.
    bool FactsKnown = false;
    bool HasFacts = false;
    ULONGLONG Size = 0;
    ULONGLONG LastWrite = 0;
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
    // The control goes on asking for items until its window is gone; it has none from here on.
    Clear();
}

std::unique_ptr<FolderReadAhead> TFileView::ReadAhead(const std::wstring& path) {
    return std::make_unique<FolderReadAhead>(path, kListedItems);
}

void TFileView::UseReadAhead(std::unique_ptr<FolderReadAhead> readAhead) { readAhead_ = std::move(readAhead); }

bool TFileView::HoldsReadAhead(LPCITEMIDLIST list) const { return readAhead_ && readAhead_->Holds(list, kListedItems); }

void TFileView::SetContextMenu(TShellContextMenu* menu) { contextMenu_.Set(menu); }

void TFileView::SetFolderView(TFolderView* tree) { folderView_.Set(tree); }

TFileView::Item* TFileView::ItemAt(int index) const {
    return index < 0 || static_cast<size_t>(index) >= items_.size() ? nullptr : items_[static_cast<size_t>(index)].get();
}

LPCITEMIDLIST TFileView::ItemID(int index) const {
    const Item* item = ItemAt(index);
    return item ? item->Id.Get() : nullptr;
}

void TFileView::ClearItems() {
    Clear();  // the control first, so that it asks for none of the items going
    items_.clear();
    looks_ = TypeLooks();
}

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
    folderPath_ = FileSystemPath(folderList_.Get());
    folder_ = std::move(folder);
    FillList();
}

void TFileView::FillList() {
    if (!folder_) return;
    const ComPtr<IShellFolder> folder = folder_;
    // The folder read ahead is used by the first listing only: any later one reads it anew.
    std::optional<std::vector<IDList>> ids =
        readAhead_ ? readAhead_->Take(folderList_.Get(), kListedItems) : std::nullopt;
    readAhead_.reset();
    if (!ids) {
        const FolderContents contents = EnumerateItems(folder.Get(), Handle(), kListedItems);
        if (!contents.Readable) {
            // The shell has said why (no medium, unreachable); the tree goes back where it was.
            if (TFolderView* tree = FolderView()) tree->ReturnToPreviousNode();
            return;
        }
        ids.emplace();
        for (IDList id = contents.Next(); id; id = contents.Next()) ids->push_back(std::move(id));
    }

    for (int& direction : SortDirections) direction = 1;
    const HourglassCursor hourglass;
    // The control is touched only twice: emptied here, and given the new count at the end, which
    // it settles out of sight. A lock on its drawing would only have it draw its scroll bars again
    // when released.
    ClearItems();
    icons_ = folder.As<IShellIcon>();
    const std::wstring settings = folderPath_ + (folderPath_.ends_with(L'\\') ? L"" : L"\\") + L"desktop.ini";
    names_ = ShownNames(!folderPath_.empty() && GetIDListSize(folderList_.Get()) > 2 &&
                        GetFileAttributesW(settings.c_str()) == INVALID_FILE_ATTRIBUTES);
    items_.reserve(ids->size());
    for (IDList& id : *ids) {
        auto item = std::make_unique<Item>(std::move(id));
        if (!mask_.empty() && !(AttributesOf(*item) & SFGAO_FOLDER)) {
            // The extension from the find data the identifier carries; from the parsing name
            // where it carries none.
            WIN32_FIND_DATAW found{};
            const std::wstring name = FindDataOf(*item, found) && found.cFileName[0]
                                          ? std::wstring(found.cFileName)
                                          : DisplayName(folder.Get(), item->Id.Get(), SHGDN_FORPARSING);
            if (!PassesMask(name, mask_)) continue;  // its identifier is freed here
        }
        items_.push_back(std::move(item));
    }
    Sort(kName);
    SetCount(static_cast<int>(items_.size()));
    FitListColumns();
}

void TFileView::SetViewStyle(ViewStyle style) {
    SetStyle(style);
    FitListColumns();
}

void TFileView::SetShowExtensions(bool show) {
    if (show == showExtensions_) return;
    showExtensions_ = show;
    // Every caption is asked again when its row is next shown.
    for (const auto& item : items_) item->CaptionKnown = false;
    FitListColumns();
    Invalidate();
}

int TFileView::CaptionWidthBound(int index, TextWidths& widths) {
    // A plain item shows its file name, or (a file whose extension the shell hides) less of it:
    // the file name bounds the caption without asking the shell for it. Other items (drives,
    // folders with names of their own) are asked as they are.
    Item* item = ItemAt(index);
    if (!item) return 0;
    WIN32_FIND_DATAW found{};
    const bool plain = !item->CaptionKnown && FindDataOf(*item, found) && (IsFile(found) || IsPlainFolder(found));
    return widths.Of(plain ? std::wstring_view(found.cFileName) : std::wstring_view(CaptionOf(*item)));
}

bool TFileView::FindDataOf(const Item& item, WIN32_FIND_DATAW& found) const {
    return SUCCEEDED(SHGetDataFromIDListW(folder_.Get(), item.Id.Get(), SHGDFIL_FINDDATA, &found, sizeof found));
}

bool TFileView::FactsOf(Item& item) {
    if (item.FactsKnown) return item.HasFacts;
    item.FactsKnown = true;
    WIN32_FIND_DATAW found{};
    item.HasFacts = FindDataOf(item, found);
    if (!item.HasFacts) return false;
    item.Size = Joined(found.nFileSizeHigh, found.nFileSizeLow);
    item.LastWrite = Joined(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    // A row shown asks the file system for its one entry, by its exact name: quick, also in a large
    // folder.
    WIN32_FILE_ATTRIBUTE_DATA entry{};
    if (!folderPath_.empty() && found.cFileName[0] &&
        GetFileAttributesExW(JoinPath(folderPath_, found.cFileName).c_str(), GetFileExInfoStandard, &entry)) {
        item.Size = Joined(entry.nFileSizeHigh, entry.nFileSizeLow);
        item.LastWrite = Joined(entry.ftLastWriteTime.dwHighDateTime, entry.ftLastWriteTime.dwLowDateTime);
    }
    return true;
}

void TFileView::LearnAllFacts() {
    if (folderPath_.empty()) return;
    // A sort needs every item's: one pass through the folder instead of one question per item.
    std::unordered_map<std::wstring, std::pair<ULONGLONG, ULONGLONG>> entries;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileExW(JoinPath(folderPath_, L"*").c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return;
    do {
        entries.try_emplace(found.cFileName, Joined(found.nFileSizeHigh, found.nFileSizeLow),
                            Joined(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime));
    } while (FindNextFileW(search.Get(), &found));
    for (const auto& owned : items_) {
        Item& item = *owned;
        if (item.FactsKnown) continue;
        item.FactsKnown = true;
        item.HasFacts = FindDataOf(item, found);
        if (!item.HasFacts) continue;
        const auto entry = entries.find(found.cFileName);
        item.Size = entry != entries.end() ? entry->second.first : Joined(found.nFileSizeHigh, found.nFileSizeLow);
        item.LastWrite = entry != entries.end()
                             ? entry->second.second
                             : Joined(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    }
}

ULONG TFileView::AttributesOf(Item& item) {
    if (!item.AttributesKnown) {
        item.Attributes = ItemAttributes(folder_.Get(), item.Id.Get(), kShownAttributes);
        // An archive is a file here, whatever else the shell can make of it.
        if (!CountsAsFolder(folder_.Get(), item.Id.Get(), item.Attributes)) item.Attributes &= ~SFGAO_FOLDER;
        item.AttributesKnown = true;
    }
    return item.Attributes;
}

const std::wstring& TFileView::CaptionOf(Item& item) {
    if (!item.CaptionKnown) {
        // A plain folder's name is its file name: no need to ask the shell. So is a file's when
        // extensions are always shown.
        WIN32_FIND_DATAW found{};
        const bool hasFindData = FindDataOf(item, found);
        const bool plainFolder = hasFindData && IsPlainFolder(found) && !(AttributesOf(item) & SFGAO_LINK);
        const bool file = hasFindData && IsFile(found);
        const std::optional<std::wstring_view> byType = file ? names_.Find(found.cFileName) : std::nullopt;
        if (plainFolder || (file && showExtensions_)) {
            item.Caption = found.cFileName;
        } else if (byType) {
            item.Caption = *byType;
        } else {
            item.Caption = DisplayName(folder_.Get(), item.Id.Get(), SHGDN_INFOLDER);
            if (file) names_.Remember(found.cFileName, item.Caption);
        }
        item.CaptionKnown = true;
    }
    return item.Caption;
}

bool TFileView::CaptionBegins(Item& item, const std::wstring& text, bool whole) {
    WIN32_FIND_DATAW found{};
    if (item.CaptionKnown || whole || !FindDataOf(item, found) || !(IsFile(found) || IsPlainFolder(found)))
        return StartsWithIgnoringCase(CaptionOf(item), text, whole);
    // A plain item shows its file name, or a file the name without its extension: as long as the
    // text is no longer than that, the file name answers for either; a longer text can only match
    // the whole name, and whether that is shown only the shell knows.
    const std::wstring_view name = found.cFileName;
    if (text.size() <= FileNameStem(name).size() || !StartsWithIgnoringCase(name, text, false))
        return StartsWithIgnoringCase(name, text, false);
    return StartsWithIgnoringCase(CaptionOf(item), text, false);
}

const TypeLooks::Look& TFileView::LookOf(Item& item) {
    if (item.Look) return *item.Look;
    WIN32_FIND_DATAW found{};
    const bool hasFindData = FindDataOf(item, found);
    const ULONG attributes = AttributesOf(item);
    const bool directory = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    // Plain files look like every other file of their type, and plain folders like every other
    // folder; shortcuts and everything else are asked for one by one.
    const bool plainFile = hasFindData && !(attributes & (SFGAO_FOLDER | SFGAO_LINK)) && !directory;
    const bool plainFolder = hasFindData && (attributes & SFGAO_FOLDER) && !(attributes & SFGAO_LINK) &&
                             IsPlainFolder(found);
    if (plainFile) item.Look = looks_.Find(found.cFileName);
    if (plainFolder) item.Look = looks_.FindFolder();
    if (item.Look) return *item.Look;
    if (plainFolder) {
        // The standard folder's look, asked by the attributes alone: nothing is bound or opened.
        SHFILEINFOW info{};
        if (SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                           SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES)) {
            looks_.RememberFolder({info.iIcon, info.szTypeName});
            item.Look = looks_.FindFolder();
            return *item.Look;
        }
    }

    // The type name and the icon in one call: it is the costly one.
    TypeLooks::Look look;
    const IDList absolute(ConcatIDLists(folderList_.Get(), item.Id.Get()));
    SHFILEINFOW info{};
    const bool answered = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.Get()), 0, &info, sizeof info,
                                         SHGFI_TYPENAME | SHGFI_SYSICONINDEX | SHGFI_PIDL) != 0;
    if (answered) look = {info.iIcon, info.szTypeName};
    if (answered && plainFile) {
        looks_.Remember(found.cFileName, look);
        item.Look = looks_.Find(found.cFileName);  // null for a type whose files look each their own
    } else if (answered && plainFolder) {
        looks_.RememberFolder(look);
        item.Look = looks_.FindFolder();
    }
    if (!item.Look) {
        item.OwnLook = std::make_unique<TypeLooks::Look>(std::move(look));
        item.Look = item.OwnLook.get();
    }
    return *item.Look;
}

std::wstring TFileView::ItemText(int index, int column) {
    Item* item = ItemAt(index);
    if (!item) return {};
    switch (column) {
    case kName:
        return CaptionOf(*item);
    case kSize:
        return FactsOf(*item) ? SizeText(item->Size) : std::wstring();
    case kType:
        return LookOf(*item).TypeName;
    case kDate:
        return FactsOf(*item) ? DateText(TimeOf(item->LastWrite)) : std::wstring();
    }
    return {};
}

int TFileView::ItemImage(int index) {
    Item* item = ItemAt(index);
    if (!item) return 0;
    if (item->Image < 0) {
        // The folder's own icon when it gives one; the shell's look of the item otherwise.
        int image = -1;
        if (icons_ && icons_->GetIconOf(item->Id.Get(), GIL_FORSHELL, &image) != S_OK) image = -1;
        item->Image = image >= 0 ? image : LookOf(*item).Image;
    }
    return item->Image;
}

int TFileView::ItemOverlay(int index) {
    Item* item = ItemAt(index);
    return item && (AttributesOf(*item) & SFGAO_LINK) ? kShortcutOverlay : 0;
}

bool TFileView::CaptionStarts(int index, const std::wstring& text, bool whole) {
    // What the row shows, whether drawn yet or not; asking the shell for every caption of a large
    // folder would take seconds, and mostly the file name answers.
    Item* item = ItemAt(index);
    return item && CaptionBegins(*item, text, whole);
}

std::vector<size_t> TFileView::OrderBy(int column) {
    const int direction = SortDirections[column];
    if (column == kName) {
        std::vector<LPCITEMIDLIST> ids;
        ids.reserve(items_.size());
        for (const auto& item : items_) ids.push_back(item->Id.Get());
        return FolderOrder(folder_.Get(), ids, direction);
    }

    // What the rows show, as values: sizes and dates as numbers (items without find data, such as
    // drives, first, where their empty texts sort), type names by their rank among the distinct
    // names, so that the names are compared once per type rather than once per pair of items.
    struct Key {
        bool Known = false;
        ULONGLONG Value = 0;
    };
    std::vector<Key> keys(items_.size());
    if (column == kType) {
        std::vector<const TypeLooks::Look*> looks(items_.size());
        for (size_t i = 0; i < items_.size(); ++i) looks[i] = &LookOf(*items_[i]);
        std::vector<const TypeLooks::Look*> distinct = looks;
        std::sort(distinct.begin(), distinct.end());
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        std::stable_sort(distinct.begin(), distinct.end(), [](const TypeLooks::Look* a, const TypeLooks::Look* b) {
            return lstrcmpW(a->TypeName.c_str(), b->TypeName.c_str()) < 0;
        });
        std::unordered_map<const TypeLooks::Look*, ULONGLONG> rank;
        for (size_t i = 0; i < distinct.size(); ++i)
            rank[distinct[i]] = i > 0 && lstrcmpW(distinct[i - 1]->TypeName.c_str(), distinct[i]->TypeName.c_str()) == 0
                                    ? rank[distinct[i - 1]]  // equal names, equal places
                                    : i;
        for (size_t i = 0; i < items_.size(); ++i) keys[i] = {true, rank[looks[i]]};
    } else {
        LearnAllFacts();
        for (size_t i = 0; i < items_.size(); ++i) {
            Item& item = *items_[i];
            if (FactsOf(item)) keys[i] = {true, column == kSize ? item.Size : item.LastWrite};
        }
    }
    std::vector<size_t> order(items_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const Key& first = keys[a];
        const Key& second = keys[b];
        int compared = first.Known != second.Known ? (first.Known ? 1 : -1) : 0;
        if (compared == 0) compared = first.Value < second.Value ? -1 : (second.Value < first.Value ? 1 : 0);
        return compared * direction < 0;
    });
    return order;
}

void TFileView::Sort(int column) {
    if (!folder_ || items_.empty()) return;
    const std::vector<size_t> order = OrderBy(column);
    Reorder(order, [&] {
        std::vector<std::unique_ptr<Item>> sorted;
        sorted.reserve(items_.size());
        for (size_t index : order) sorted.push_back(std::move(items_[index]));
        items_ = std::move(sorted);
    });
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
    if (TFolderView* tree = FolderView(); tree && BrowsedInTree(folder_.Get(), item->Id.Get())) {
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

void TFileView::Edited(int index, const std::wstring& text) {
    // The edited item, which need not be the first selected one when several are.
    Item* item = ItemAt(index);
    if (!folder_ || !item || !item->Id || text.empty()) return;
    const ComPtr<IShellFolder> folder = folder_;
    // Asked before the rename, while the item still exists under its old name.
    const bool browsed = BrowsedInTree(folder.Get(), item->Id.Get());
    WIN32_FIND_DATAW found{};
    // A file shown by its whole name is renamed by its whole name: the text is the new file name,
    // extension included, not a display name the shell would add the old extension to.
    const bool byFileName = showExtensions_ && FindDataOf(*item, found) && IsFile(found);
    const SHGDNF nameKind = byFileName ? SHGDN_INFOLDER | SHGDN_FORPARSING : SHGDN_NORMAL;
    IDList renamed;
    HRESULT result = E_FAIL;
    if (text.size() <= kMaxShellName)
        result = folder->SetNameOf(Handle(), item->Id.Get(), text.c_str(), nameKind, renamed.Receive());
    if (SUCCEEDED(result) && renamed) {
        if (TFolderView* tree = FolderView(); tree && browsed) tree->RenameChildNode(item->Id.Get(), renamed.Get());
        item->Id = std::move(renamed);
        // A new extension may be a new type: its name, its icon, its attributes are asked again.
        item->Look = nullptr;
        item->OwnLook.reset();
        item->Image = -1;
        item->AttributesKnown = false;
    }
    // The shell's name for it now, which may differ from what was typed; on a refusal, the name it
    // had, undoing the edit on screen.
    if (byFileName) {
        item->CaptionKnown = false;
        CaptionOf(*item);
    } else {
        item->Caption = DisplayName(folder.Get(), item->Id.Get(), SHGDN_NORMAL);
        item->CaptionKnown = true;
    }
    item->FactsKnown = false;
    RedrawItems(index, index);
    FitListColumns();
}

}  // namespace morvane
