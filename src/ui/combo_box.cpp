#include "ui/combo_box.h"

#include <commctrl.h>

namespace morvane {

OwnerDrawComboBox::OwnerDrawComboBox(WinControl* parent, int left, int top, int width, int height)
    : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    CreateHandle(L"COMBOBOX", true, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_VSCROLL | WS_TABSTOP, 0);
}

int OwnerDrawComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

int OwnerDrawComboBox::Insert(int position, LPARAM data) {
    // Without CBS_HASSTRINGS the row's "string" is its data value.
    return static_cast<int>(SendMessageW(Handle(), CB_INSERTSTRING, static_cast<WPARAM>(position), data));
}

void OwnerDrawComboBox::Delete(int position) {
    SendMessageW(Handle(), CB_DELETESTRING, static_cast<WPARAM>(position), 0);
}

void OwnerDrawComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

LPARAM OwnerDrawComboBox::Data(int index) const {
    const LRESULT data = SendMessageW(Handle(), CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR ? 0 : data;
}

int OwnerDrawComboBox::ItemIndex() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }

void OwnerDrawComboBox::SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int OwnerDrawComboBox::ItemHeight() const { return static_cast<int>(SendMessageW(Handle(), CB_GETITEMHEIGHT, 0, 0)); }

void OwnerDrawComboBox::SetItemHeight(int height) {
    // In design pixels.
    SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), Scaled(height));  // the edit portion
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, Scaled(height));                         // the rows
}

void OwnerDrawComboBox::SetDropDownCount(int rows) { SendMessageW(Handle(), CB_SETMINVISIBLE, static_cast<WPARAM>(rows), 0); }

bool OwnerDrawComboBox::DroppedDown() const { return SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0; }

void OwnerDrawComboBox::SetDroppedDown(bool dropped) { SendMessageW(Handle(), CB_SHOWDROPDOWN, dropped ? TRUE : FALSE, 0); }

void OwnerDrawComboBox::Command(WORD code) {
    if (code == CBN_SELCHANGE) Change();
}

}  // namespace morvane
