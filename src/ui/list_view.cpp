#include "ui/list_view.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "ui/dpi.h"
#include "ui/gdi.h"

namespace morvane {

namespace {

constexpr DWORD StyleBits(ViewStyle style) {
    switch (style) {
    case ViewStyle::Icon:
        return LVS_ICON;
    case ViewStyle::SmallIcon:
        return LVS_SMALLICON;
    case ViewStyle::List:
        return LVS_LIST;
    case ViewStyle::Report:
        break;
    }
    return LVS_REPORT;
}

// Keeps a visible window out of sight for as long as it lives, as the system's own WM_SETREDRAW
// does (the list view answers that message itself and stays in sight). Nothing of the window is
// drawn meanwhile, scroll bars included; it is left to be drawn again afterwards.
class OutOfSight {
public:
    explicit OutOfSight(HWND window) : window_(window) { DefWindowProcW(window_, WM_SETREDRAW, FALSE, 0); }
    ~OutOfSight() { DefWindowProcW(window_, WM_SETREDRAW, TRUE, 0); }
    OutOfSight(const OutOfSight&) = delete;
    OutOfSight& operator=(const OutOfSight&) = delete;

private:
    HWND window_;
};

// The selection of a list, its focus and the anchor of range selection, to be put back as they were.
class KeptSelection {
public:
    explicit KeptSelection(const ListView& list) : focused_(list.Focused()), mark_(list.SelectionMark()) {
        for (int index = list.FirstSelected(); index >= 0; index = list.NextSelected(index)) selected_.push_back(index);
    }
    bool Empty() const { return selected_.empty() && focused_ < 0 && mark_ < 0; }
    // The same items at their places after a move: now[i] is where the item once at i is.
    KeptSelection Moved(const std::vector<int>& now) const {
        const auto at = [&](int index) {
            return index >= 0 && static_cast<size_t>(index) < now.size() ? now[static_cast<size_t>(index)] : -1;
        };
        KeptSelection moved = *this;
        moved.selected_.clear();
        for (const int index : selected_)
            if (at(index) >= 0) moved.selected_.push_back(at(index));
        moved.focused_ = at(focused_);
        moved.mark_ = at(mark_);
        return moved;
    }
    void Restore(ListView& list) const {
        list.ClearSelection();
        for (const int index : selected_) list.AddToSelection(index);
        list.SetFocused(focused_);
        list.SetSelectionMark(mark_);
    }

private:
    std::vector<int> selected_;
    int focused_;
    int mark_;
};

}  // namespace

ListView::ListView(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    // The image lists are the system's, shared by every user: the control must not destroy them.
    CreateHandle(WC_LISTVIEWW, true,
                 LVS_ICON | LVS_OWNERDATA | LVS_SHAREIMAGELISTS | LVS_EDITLABELS | LVS_SHOWSELALWAYS | WS_TABSTOP,
                 WS_EX_CLIENTEDGE);
    // Overlays are asked of the owner with the texts and images.
    SendMessageW(Handle(), LVM_SETCALLBACKMASK, LVIS_OVERLAYMASK, 0);
    // Under Wine the control works out the size of its rows at its first paint with items, and
    // sets the ranges of its scroll bars again; in the list and small-icon styles it measures every
    // item's label for that, so that a list of 100,000 has its owner name every one. Painted here
    // once with one item, in the large-icon style that measures no label, it never does it again.
    SendMessageW(Handle(), LVM_SETITEMCOUNT, 1, 0);
    {
        const MemoryDC scratch(nullptr);
        SendMessageW(Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(scratch.Get()), PRF_CLIENT);
    }
    SendMessageW(Handle(), LVM_SETITEMCOUNT, 0, 0);
}

int ListView::Count() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)); }

void ListView::SetCount(int count) {
    if (count == 0) {
        SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);  // the selection and focus go with the items
        return;
    }
    if (!IsWindowVisible(Handle())) {
        SendMessageW(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
        return;
    }
    // Under Wine the control draws its scroll bars at every change of their ranges, a few
    // milliseconds each: out of sight it changes them unseen, and is drawn once afterwards, with
    // its scroll bars.
    {
        const OutOfSight unseen(Handle());
        SendMessageW(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void ListView::RedrawItems(int first, int last) {
    SendMessageW(Handle(), LVM_REDRAWITEMS, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}

std::wstring ListView::Text(int index, int subItem) const {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListView::Image(int index) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    if (!SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iImage;
}

int ListView::Overlay(int index) const {
    const auto state = static_cast<UINT>(
        SendMessageW(Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_OVERLAYMASK));
    return static_cast<int>((state & LVIS_OVERLAYMASK) >> 8);
}

int ListView::ColumnCount() const {
    const auto header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void ListView::AddColumn(const std::wstring& caption, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = Scaled(width);
    column.fmt = format;
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount()), reinterpret_cast<LPARAM>(&column));
}

void ListView::SetColumn(int index, const std::wstring& caption, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = Scaled(width);
    column.fmt = format;
    SendMessageW(Handle(), LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void ListView::DpiChanged(int oldDpi) {
    for (int column = 0; column < ColumnCount(); ++column) {
        const auto width = static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                     MAKELPARAM(MulDiv(width, Dpi(), oldDpi), 0));
    }
}

int ListView::FirstSelected() const { return NextSelected(-1); }

int ListView::NextSelected(int after) const {
    return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED));
}

int ListView::SelectedCount() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETSELECTEDCOUNT, 0, 0)); }

namespace {

void SetItemState(HWND list, int index, UINT mask, UINT state) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void ListView::Select(int index, bool selected) {
    SetItemState(Handle(), index, LVIS_SELECTED | LVIS_FOCUSED, selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0);
}

void ListView::ClearSelection() { SetItemState(Handle(), -1, LVIS_SELECTED | LVIS_FOCUSED, 0); }

void ListView::AddToSelection(int index) { SetItemState(Handle(), index, LVIS_SELECTED, LVIS_SELECTED); }

int ListView::Focused() const {
    return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void ListView::SetFocused(int index) {
    if (index >= 0) SetItemState(Handle(), index, LVIS_FOCUSED, LVIS_FOCUSED);
}

int ListView::SelectionMark() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETSELECTIONMARK, 0, 0)); }

void ListView::SetSelectionMark(int index) {
    SendMessageW(Handle(), LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(index));
}

bool ListView::MultiSelect() const { return !(GetWindowLongPtrW(Handle(), GWL_STYLE) & LVS_SINGLESEL); }

void ListView::SetMultiSelect(bool multiSelect) {
    const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, multiSelect ? (style & ~static_cast<LONG_PTR>(LVS_SINGLESEL)) : (style | LVS_SINGLESEL));
}

void ListView::EditLabel(int index) {
    ::SetFocus(Handle());
    SendMessageW(Handle(), LVM_EDITLABELW, static_cast<WPARAM>(index), 0);
}

void ListView::Reorder(const std::vector<size_t>& order, const std::function<void()>& move) {
    const KeptSelection before(*this);
    move();
    if (before.Empty()) {
        Invalidate();
        return;
    }
    std::vector<int> now(order.size(), -1);  // by the place before
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] < now.size()) now[order[i]] = static_cast<int>(i);
    before.Moved(now).Restore(*this);
    Invalidate();
}

bool ListView::CaptionStarts(int index, const std::wstring& text, bool whole) {
    const std::wstring caption = ItemText(index, 0);
    if (caption.size() < text.size() || (whole && caption.size() != text.size())) return false;
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.data(), static_cast<int>(text.size()),
                          text.data(), static_cast<int>(text.size())) == CSTR_EQUAL;
}

int ListView::FindCaption(const std::wstring& text, bool partial, int start, bool wrap) {
    const int count = Count();
    if (count == 0 || text.empty()) return -1;
    start = std::clamp(start, 0, count - 1);
    const int steps = wrap ? count : count - start;
    for (int step = 0; step < steps; ++step) {
        const int index = (start + step) % count;
        if (CaptionStarts(index, text, !partial)) return index;
    }
    return -1;
}

ViewStyle ListView::Style() const {
    switch (GetWindowLongPtrW(Handle(), GWL_STYLE) & LVS_TYPEMASK) {
    case LVS_SMALLICON:
        return ViewStyle::SmallIcon;
    case LVS_LIST:
        return ViewStyle::List;
    case LVS_REPORT:
        return ViewStyle::Report;
    }
    return ViewStyle::Icon;
}

void ListView::SetListColumnWidth(int width) { SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width, 0)); }

std::pair<int, int> ListView::WidestCaption() {
    const int count = Count();
    if (count == 0) return {-1, 0};
    const WindowDC dc(Handle());
    const SelectedObject font(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    TextWidths widths(dc);
    std::vector<std::pair<int, int>> bounds;  // bound, item
    bounds.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) bounds.emplace_back(CaptionWidthBound(index, widths), index);
    std::sort(bounds.begin(), bounds.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::pair<int, int> widest{bounds.front().second, 0};
    for (const auto& [bound, index] : bounds) {
        if (bound <= widest.second) break;
        if (const int width = widths.Exact(ItemText(index, 0)); width > widest.second) widest = {index, width};
    }
    return widest;
}

void ListView::FitListColumns() {
    if (Style() == ViewStyle::SmallIcon) {
        MeasureSmallIcons(false);
        return;
    }
    if (Style() != ViewStyle::List || Count() == 0) return;
    // The small icon and the room around it and the label.
    SetListColumnWidth(WidestCaption().second + SystemMetricForDpi(SM_CXSMICON, Dpi()) + Scaled(12));
}

void ListView::MeasureSmallIcons(bool comingIn) {
    // The control sizes small icons by measuring every item's label as the style comes in, asking
    // the owner for each (seconds for 100,000): it measures one item instead, which stands for the
    // widest caption, and then takes the items back.
    const int count = Count();
    if (count == 0) return;
    const auto [widest, width] = WidestCaption();
    if (!comingIn && width == smallIconWidth_ && count == smallIconCount_) return;
    smallIconWidth_ = width;
    smallIconCount_ = count;
    const KeptSelection kept(*this);
    const int focused = Focused();
    RECT focusRect{LVIR_BOUNDS, 0, 0, 0}, client{};
    GetClientRect(Handle(), &client);
    RECT shown{};
    const bool focusInView = focused >= 0 &&
                             SendMessageW(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(focused),
                                          reinterpret_cast<LPARAM>(&focusRect)) &&
                             IntersectRect(&shown, &focusRect, &client);
    const bool lock = IsWindowVisible(Handle()) != FALSE;
    if (lock) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    standIn_ = widest;
    SendMessageW(Handle(), LVM_SETITEMCOUNT, 1, LVSICF_NOSCROLL);
    // Sized again, it comes in again (through the large icons, which measure nothing).
    if (!comingIn) SetStyleBits(ViewStyle::Icon);
    SetStyleBits(ViewStyle::SmallIcon);
    standIn_ = -1;
    SendMessageW(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
    // The items back in their places on the grid of the new size, the focused one still in view.
    SendMessageW(Handle(), LVM_ARRANGE, LVA_DEFAULT, 0);
    kept.Restore(*this);
    if (focusInView) SendMessageW(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(focused), FALSE);
    if (lock) SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void ListView::SetStyleBits(ViewStyle style) {
    const LONG_PTR old = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (old & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | StyleBits(style));
}

void ListView::SetStyle(ViewStyle style) {
    if (style == Style()) return;
    if (style == ViewStyle::SmallIcon && Count() > 0) {
        MeasureSmallIcons(true);
        return;
    }
    // Under Wine the list style, coming in, sizes its columns by measuring every item's label
    // (seconds for 100,000 items, whose owner names each one): it comes in without items, its
    // columns keep the control's own width, and the items come back with their selection, focus
    // and anchor.
    const int count = style == ViewStyle::List ? Count() : 0;
    std::optional<KeptSelection> kept;
    if (count > 0) {
        kept.emplace(*this);
        SendMessageW(Handle(), LVM_SETITEMCOUNT, 0, 0);
    }
    // The control's own lock on its drawing: it lays the items out in the new style without
    // drawing each of them on the way, and is drawn once, scroll bars and all, afterwards. (Where
    // the control passes the message on, releasing it makes the window visible: a hidden one is
    // not locked.)
    const bool lock = IsWindowVisible(Handle()) != FALSE;
    if (lock) SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    SetStyleBits(style);
    if (lock) SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    if (kept) {
        SetCount(count);
        kept->Restore(*this);
    }
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void ListView::SetImageLists(HIMAGELIST large, HIMAGELIST small) {
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
    SendMessageW(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));
}

int ListView::ItemAt(POINT client) const {
    LVHITTESTINFO hit{};
    hit.pt = client;
    return static_cast<int>(SendMessageW(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

RECT ListView::ItemRect(int index) const {
    RECT rect{};
    rect.left = LVIR_LABEL;
    SendMessageW(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

RECT ListView::HeaderItemRect(int column) const {
    RECT rect{};
    const auto header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    if (header) SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

bool ListView::Notify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        // The control's own request, answered in place.
        auto& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
            const std::wstring text = ItemText(standIn_ >= 0 ? standIn_ : item.iItem, item.iSubItem);
            const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
            text.copy(item.pszText, length);
            item.pszText[length] = L'\0';
        }
        if (item.mask & LVIF_IMAGE) item.iImage = ItemImage(item.iItem);
        if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_OVERLAYMASK)) {
            item.state &= ~LVIS_OVERLAYMASK;
            item.state |= INDEXTOOVERLAYMASK(static_cast<UINT>(ItemOverlay(item.iItem)));
        }
        return true;
    }
    case LVN_ODFINDITEMW: {
        const auto& info = reinterpret_cast<const NMLVFINDITEMW&>(header);
        result = -1;
        // Typing ahead asks with LVFI_PARTIAL alone, which implies a text.
        if ((info.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && info.lvfi.psz)
            result = FindCaption(info.lvfi.psz, (info.lvfi.flags & LVFI_PARTIAL) != 0, info.iStart,
                                 (info.lvfi.flags & LVFI_WRAP) != 0);
        return true;
    }
    case LVN_COLUMNCLICK:
        ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        return true;
    case NM_CLICK:
        Click();
        return true;
    case NM_DBLCLK:
        DoubleClick();
        return true;
    case NM_RCLICK: {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(Handle(), &point);
        RightClick(point);
        result = TRUE;
        return true;
    }
    case LVN_BEGINLABELEDITW:
        result = CanEdit(reinterpret_cast<const NMLVDISPINFOW&>(header).item.iItem) ? FALSE : TRUE;
        return true;
    case LVN_ENDLABELEDITW: {
        const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        if (info.item.pszText) Edited(info.item.iItem, info.item.pszText);
        result = FALSE;  // the text is the owner's
        return true;
    }
    }
    return false;
}

}  // namespace morvane
