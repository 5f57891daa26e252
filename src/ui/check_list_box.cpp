#include "ui/check_list_box.h"

#include <windowsx.h>

namespace morvane {

namespace {

// Each entry's data holds its flags.
constexpr LRESULT kCheckedFlag = 1;
constexpr LRESULT kDimmedFlag = 2;

}  // namespace

CheckListBox::CheckListBox(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetBounds(left, top, width, height);
    CreateHandle(L"LISTBOX", true,
                 LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE);
}

int CheckListBox::Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }

void CheckListBox::Clear() { SendMessageW(Handle(), LB_RESETCONTENT, 0, 0); }

void CheckListBox::Reserve(int entries, size_t characters) {
    if (entries > 0)
        SendMessageW(Handle(), LB_INITSTORAGE, static_cast<WPARAM>(entries),
                     static_cast<LPARAM>((characters + static_cast<size_t>(entries)) * sizeof(wchar_t)));
}

int CheckListBox::Add(const std::wstring& text, bool checked) {
    const auto index = static_cast<int>(SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
    if (index >= 0) SendMessageW(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(index), checked ? kCheckedFlag : 0);
    return index;
}

std::wstring CheckListBox::Item(int index) const {
    const auto length = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

LRESULT CheckListBox::Flags(int index) const {
    const LRESULT data = SendMessageW(Handle(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? 0 : data;
}

void CheckListBox::SetFlag(int index, LRESULT flag, bool on) {
    const LRESULT flags = Flags(index);
    SendMessageW(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(index), on ? flags | flag : flags & ~flag);
    RECT item;
    if (SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(Handle(), &item, FALSE);
}

bool CheckListBox::Checked(int index) const { return (Flags(index) & kCheckedFlag) != 0; }

void CheckListBox::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Count() || Checked(index) == checked) return;
    SetFlag(index, kCheckedFlag, checked);
    if (OnCheckChanged) OnCheckChanged(index);
}

bool CheckListBox::Dimmed(int index) const { return (Flags(index) & kDimmedFlag) != 0; }

void CheckListBox::SetDimmed(int index, bool dimmed) {
    if (index < 0 || index >= Count() || Dimmed(index) == dimmed) return;
    SetFlag(index, kDimmedFlag, dimmed);
}

void CheckListBox::Toggle(int index) { SetChecked(index, !Checked(index)); }

void CheckListBox::SetItemHeight(int height) {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, height);
    Invalidate();
}

void CheckListBox::SetBackground(COLORREF color) {
    if (color == Color()) return;
    background_.Reset(CreateSolidBrush(color));
    SetColor(color);
}

int CheckListBox::IndexAt(POINT point) const {
    // Worked out from the top entry: LB_ITEMFROMPOINT answers only the low 16 bits of an index.
    RECT client;
    GetClientRect(Handle(), &client);
    const auto height = static_cast<int>(SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0));
    if (!PtInRect(&client, point) || height <= 0) return -1;
    const auto index = static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0)) + point.y / height;
    return index < Count() ? index : -1;
}

int CheckListBox::CheckBoxWidth() const {
    return static_cast<int>(SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0)) + 2;
}

HBRUSH CheckListBox::ControlColor(HDC dc) {
    if (!background_) return nullptr;
    SetBkColor(dc, Color());
    return background_.Get();
}

LRESULT CheckListBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        // The entry under the pointer before the list box scrolls a half-shown one into view.
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const int hit = point.x < CheckBoxWidth() ? IndexAt(point) : -1;
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (hit >= 0) Toggle(hit);
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            Toggle(static_cast<int>(SendMessageW(Handle(), LB_GETCARETINDEX, 0, 0)));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') return 0;  // already toggled on the key press
        break;
    }
    return WinControl::WndProc(message, wParam, lParam);
}

void CheckListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) {
        if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
        return;
    }
    const int index = static_cast<int>(item.itemID);
    const HDC dc = item.hDC;
    const int boxWidth = CheckBoxWidth();
    const int itemHeight = item.rcItem.bottom - item.rcItem.top;

    RECT box{item.rcItem.left, item.rcItem.top, item.rcItem.left + boxWidth, item.rcItem.bottom};
    FillRect(dc, &box, background_ ? background_.Get() : GetSysColorBrush(COLOR_WINDOW));
    const int side = itemHeight - 2 > 0 ? itemHeight - 2 : itemHeight;
    RECT check{box.left + 2, box.top + (itemHeight - side) / 2, box.left + 2 + side, box.top + (itemHeight - side) / 2 + side};
    DrawFrameControl(dc, &check, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (Checked(index) ? DFCS_CHECKED : 0));

    RECT text = item.rcItem;
    text.left += boxWidth;
    const bool selected = item.itemState & ODS_SELECTED;
    if (selected) {
        FillRect(dc, &text, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        FillRect(dc, &text, background_ ? background_.Get() : GetSysColorBrush(COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(Dimmed(index) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    RECT label = text;
    label.left += 2;
    const std::wstring caption = Item(index);
    DrawTextW(dc, caption.c_str(), -1, &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

}  // namespace morvane
