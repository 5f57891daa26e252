#include "ui/list_box.h"

#include "ui/font.h"

namespace morvane {

ListBox::ListBox(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    // The designed height holds, whether or not it is a whole number of entries.
    CreateHandle(L"LISTBOX", true, LBS_NOTIFY | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                 WS_EX_CLIENTEDGE);
}

int ListBox::Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }

void ListBox::Clear() { SendMessageW(Handle(), LB_RESETCONTENT, 0, 0); }

int ListBox::Add(const std::wstring& text) {
    return static_cast<int>(SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void ListBox::Delete(int index) { SendMessageW(Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0); }

std::wstring ListBox::Item(int index) const {
    const auto length = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

int ListBox::ItemIndex() const {
    const auto index = SendMessageW(Handle(), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void ListBox::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) index = -1;
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void ListBox::SetItemHeight(int height) {
    designItemHeight_ = height;
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, EntryHeightForDpi(height, Font(), Dpi()));
    Invalidate();
}

void ListBox::Command(WORD code) {
    if (code == LBN_SELCHANGE && OnChange) OnChange();
}

}  // namespace morvane
