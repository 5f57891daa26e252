#include "ui/list_view.h"

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

}  // namespace

ListView::ListView(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetBounds(left, top, width, height);
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    // The image lists are the system's, shared by every user: the control must not destroy them.
    CreateHandle(WC_LISTVIEWW, true, LVS_ICON | LVS_SHAREIMAGELISTS | LVS_EDITLABELS | LVS_SHOWSELALWAYS | WS_TABSTOP,
                 WS_EX_CLIENTEDGE);
}

int ListView::Count() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)); }

int ListView::Add(const std::wstring& caption, LPARAM data, int image) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = Count();
    item.pszText = const_cast<wchar_t*>(caption.c_str());
    item.lParam = data;
    item.iImage = image;
    return static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::SetSubItem(int index, int subItem, const std::wstring& text) {
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
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

void ListView::SetText(int index, const std::wstring& caption) { SetSubItem(index, 0, caption); }

LPARAM ListView::Data(int index) const {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (index < 0 || !SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return item.lParam;
}

int ListView::Image(int index) const {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = index;
    if (!SendMessageW(Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
    return item.iImage;
}

void ListView::SetOverlay(int index, int overlay) {
    LVITEMW item{};
    item.stateMask = LVIS_OVERLAYMASK;
    item.state = INDEXTOOVERLAYMASK(static_cast<UINT>(overlay));
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int ListView::Overlay(int index) const {
    const auto state = static_cast<UINT>(
        SendMessageW(Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_OVERLAYMASK));
    return static_cast<int>((state & LVIS_OVERLAYMASK) >> 8);
}

void ListView::Clear() { SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0); }

int ListView::IndexOfData(LPARAM data) const {
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return static_cast<int>(SendMessageW(Handle(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int ListView::ColumnCount() const {
    const auto header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void ListView::AddColumn(const std::wstring& caption, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = width;
    column.fmt = format;
    SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(ColumnCount()), reinterpret_cast<LPARAM>(&column));
}

void ListView::SetColumn(int index, const std::wstring& caption, int width, int format) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = const_cast<wchar_t*>(caption.c_str());
    column.cx = width;
    column.fmt = format;
    SendMessageW(Handle(), LVM_SETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int ListView::FirstSelected() const {
    return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

int ListView::SelectedCount() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETSELECTEDCOUNT, 0, 0)); }

void ListView::Select(int index, bool selected) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
    SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
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

void ListView::SetStyle(ViewStyle style) {
    if (style == Style()) return;
    const LONG_PTR old = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (old & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | StyleBits(style));
    Invalidate();
}

void ListView::Sort(PFNLVCOMPARE compare, LPARAM context) {
    SendMessageW(Handle(), LVM_SORTITEMS, static_cast<WPARAM>(context), reinterpret_cast<LPARAM>(compare));
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
    case LVN_DELETEITEM: {
        const auto& info = reinterpret_cast<const NMLISTVIEW&>(header);
        Deleting(info.iItem, info.lParam);
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
        result = (info.item.pszText && Edited(info.item.iItem, info.item.pszText)) ? TRUE : FALSE;
        return true;
    }
    }
    return false;
}

}  // namespace morvane
