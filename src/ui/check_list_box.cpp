#include "ui/check_list_box.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>

#include "ui/check_list_accessible.h"
#include "ui/font.h"
#include "ui/on_demand.h"

namespace morvane {

namespace {

constexpr unsigned char kCheckedFlag = 1;
constexpr unsigned char kDimmedFlag = 2;

const std::wstring kNoText;

}  // namespace

CheckListBox::CheckListBox(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    // A list box without data holds nothing but the number of entries (and so never strings:
    // another program reads the entries through the accessible object below).
    CreateHandle(L"LISTBOX", true,
                 LBS_OWNERDRAWFIXED | LBS_NODATA | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE);
}

CheckListBox::~CheckListBox() {
    if (accessible_) {
        accessible_->Detach();
        accessible_->Release();
    }
}

void CheckListBox::Clear() { Assign({}, false); }

void CheckListBox::Assign(std::vector<std::wstring> texts, bool checked) {
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    texts_ = std::move(texts);
    flags_.assign(texts_.size(), checked ? kCheckedFlag : 0);
    if (!texts_.empty()) SendMessageW(Handle(), LB_SETCOUNT, texts_.size(), 0);
    // The entries a screen reader knows are all new.
    NotifyWinEvent(EVENT_OBJECT_REORDER, Handle(), OBJID_CLIENT, CHILDID_SELF);
}

const std::wstring& CheckListBox::Item(int index) const {
    return index >= 0 && index < Count() ? texts_[static_cast<size_t>(index)] : kNoText;
}

bool CheckListBox::Flag(int index, unsigned char flag) const {
    return index >= 0 && index < Count() && (flags_[static_cast<size_t>(index)] & flag) != 0;
}

void CheckListBox::SetFlag(int index, unsigned char flag, bool on) {
    unsigned char& flags = flags_[static_cast<size_t>(index)];
    flags = static_cast<unsigned char>(on ? flags | flag : flags & ~flag);
    RECT item;
    if (SendMessageW(Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(Handle(), &item, FALSE);
}

bool CheckListBox::Checked(int index) const { return Flag(index, kCheckedFlag); }

std::vector<bool> CheckListBox::CheckedFlags() const {
    std::vector<bool> checked(flags_.size());
    for (size_t i = 0; i < flags_.size(); ++i) checked[i] = (flags_[i] & kCheckedFlag) != 0;
    return checked;
}

void CheckListBox::SetChecked(int index, bool checked) {
    if (index < 0 || index >= Count() || Checked(index) == checked) return;
    SetFlag(index, kCheckedFlag, checked);
    NotifyWinEvent(EVENT_OBJECT_STATECHANGE, Handle(), OBJID_CLIENT, index + 1);
    if (OnCheckChanged) OnCheckChanged(index);
}

bool CheckListBox::Dimmed(int index) const { return Flag(index, kDimmedFlag); }

void CheckListBox::SetDimmed(int index, bool dimmed) {
    if (index < 0 || index >= Count() || Dimmed(index) == dimmed) return;
    SetFlag(index, kDimmedFlag, dimmed);
}

void CheckListBox::SetDimmedFlags(const std::vector<bool>& dimmed) {
    bool changed = false;
    for (size_t i = 0; i < flags_.size() && i < dimmed.size(); ++i) {
        const auto flags = static_cast<unsigned char>(dimmed[i] ? flags_[i] | kDimmedFlag : flags_[i] & ~kDimmedFlag);
        changed = changed || flags != flags_[i];
        flags_[i] = flags;
    }
    if (changed) InvalidateRect(Handle(), nullptr, FALSE);
}

void CheckListBox::Toggle(int index) { SetChecked(index, !Checked(index)); }

void CheckListBox::SelectByFirstCharacter(wchar_t character) {
    const int count = Count();
    if (count == 0) return;
    const auto focused = static_cast<int>(SendMessageW(Handle(), LB_GETCARETINDEX, 0, 0));
    for (int step = 1; step <= count; ++step) {
        const int index = ((focused < 0 ? -1 : focused) + step) % count;
        const std::wstring& text = texts_[static_cast<size_t>(index)];
        if (!text.empty() && CompareStringOrdinal(text.data(), 1, &character, 1, TRUE) == CSTR_EQUAL) {
            Select(index);
            return;
        }
    }
}

void CheckListBox::SetItemHeight(int height) {
    designItemHeight_ = height;
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, EntryHeightForDpi(height, Font(), Dpi()));
    Invalidate();
}

void CheckListBox::SetBackground(int systemColor) {
    backgroundColor_ = systemColor;
    const COLORREF color = GetSysColor(systemColor);
    if (color == Color() && background_) return;
    background_.Reset(CreateSolidBrush(color));
    SetColor(color);
}

void CheckListBox::SysColorsChanged() {
    WinControl::SysColorsChanged();
    if (backgroundColor_ >= 0) SetBackground(backgroundColor_);
    Invalidate();
}

void CheckListBox::Command(WORD code) {
    // The caret moved (by the keys or the pointer): screen readers follow it to the entry.
    if (code == LBN_SELCHANGE) NotifyFocus();
}

void CheckListBox::NotifyFocus() const {
    const int focused = FocusedIndex();
    if (GetFocus() != Handle() || focused < 0 || focused >= Count()) return;
    NotifyWinEvent(EVENT_OBJECT_FOCUS, Handle(), OBJID_CLIENT, focused + 1);
}

int CheckListBox::ItemHeight() const { return static_cast<int>(SendMessageW(Handle(), LB_GETITEMHEIGHT, 0, 0)); }

int CheckListBox::IndexAt(POINT point) const {
    // Worked out from the top entry: LB_ITEMFROMPOINT answers only the low 16 bits of an index.
    RECT client;
    GetClientRect(Handle(), &client);
    const int height = ItemHeight();
    if (!PtInRect(&client, point) || height <= 0) return -1;
    const auto index = static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0)) + point.y / height;
    return index < Count() ? index : -1;
}

int CheckListBox::FocusedIndex() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCARETINDEX, 0, 0)); }

int CheckListBox::SelectedIndex() const {
    const auto selected = static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0));
    return selected >= 0 && selected < Count() ? selected : -1;
}

void CheckListBox::Select(int index) {
    if (index < 0 || index >= Count()) return;
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    NotifyFocus();  // Wine's list box announces no selection made by a message
}

bool CheckListBox::EntryRect(int index, RECT& rect) const {
    // From the top entry, as for the pointer: entries far above or below the view have places too.
    const int height = ItemHeight();
    if (index < 0 || index >= Count() || height <= 0) return false;
    RECT client;
    GetClientRect(Handle(), &client);
    const auto top = static_cast<int>(SendMessageW(Handle(), LB_GETTOPINDEX, 0, 0));
    const long long y = static_cast<long long>(index - top) * height;
    if (y < INT_MIN / 2 || y > INT_MAX / 2) return false;
    rect = {client.left, static_cast<int>(y), client.right, static_cast<int>(y) + height};
    return true;
}

bool CheckListBox::EntryShown(int index) const {
    RECT rect{}, client{}, shown{};
    GetClientRect(Handle(), &client);
    return EntryRect(index, rect) && IntersectRect(&shown, &rect, &client);
}

int CheckListBox::CheckBoxWidth() const { return ItemHeight() + 2; }

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
            Toggle(FocusedIndex());
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') return 0;  // already toggled on the key press
        if (wParam > L' ') {
            SelectByFirstCharacter(static_cast<wchar_t>(wParam));
            return 0;
        }
        break;
    case WM_SETFOCUS: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        NotifyFocus();
        return result;
    }
    case WM_GETOBJECT:
        // The list's client object, with its entries as children; anything else is the system's.
        if (static_cast<LONG>(lParam) == OBJID_CLIENT) {
            if (!accessible_) accessible_ = CheckListAccessible::Create(*this);
            return ondemand::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(accessible_));
        }
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
    if (index >= Count()) return;
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
    const std::wstring& caption = Item(index);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &label, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &text);
}

}  // namespace morvane
