#include "ui/check_list_accessible.h"

#include "ui/check_list_box.h"
#include "ui/on_demand.h"

namespace morvane {

namespace {

constexpr int kSelf = -1;
constexpr int kNoEntry = -2;

constexpr wchar_t kCheckAction[] = L"チェックする";
constexpr wchar_t kUncheckAction[] = L"チェックを外す";
constexpr wchar_t kDimmedDescription[] = L"新しい名前が使われているため、名前は変わりません";

void ChildVariant(VARIANT* out, int entry) {
    out->vt = VT_I4;
    out->lVal = entry + 1;
}

}  // namespace

CheckListAccessible* CheckListAccessible::Create(CheckListBox& list) {
    IAccessible* standard = nullptr;
    if (FAILED(ondemand::CreateStdAccessibleObject(list.Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&standard))))
        standard = nullptr;
    return new CheckListAccessible(list, standard);
}

CheckListAccessible::CheckListAccessible(CheckListBox& list, IAccessible* standard) : list_(&list), standard_(standard) {}

CheckListAccessible::~CheckListAccessible() {
    if (standard_) standard_->Release();
}

void CheckListAccessible::Detach() {
    list_ = nullptr;
    // Clients in other programs hold proxies; they are told the object is gone.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

int CheckListAccessible::EntryOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return kNoEntry;
    if (child.lVal == CHILDID_SELF) return kSelf;
    return child.lVal >= 1 && child.lVal <= list_->Count() ? static_cast<int>(child.lVal - 1) : kNoEntry;
}

// ---- The list and its entries ----

HRESULT CheckListAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    return standard_ ? standard_->get_accParent(parent) : S_FALSE;
}

HRESULT CheckListAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    if (!list_) return RPC_E_DISCONNECTED;
    *count = list_->Count();
    return S_OK;
}

HRESULT CheckListAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    // The entries are simple elements, reached through their identifiers.
    return EntryOf(child) >= 0 ? S_FALSE : E_INVALIDARG;
}

HRESULT CheckListAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->get_accName(child, name) : S_FALSE;
    if (entry < 0) return E_INVALIDARG;
    return Text(list_->Item(entry), name);
}

HRESULT CheckListAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->get_accValue(child, value) : S_FALSE;
    return entry < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT CheckListAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->get_accDescription(child, description) : S_FALSE;
    if (entry < 0) return E_INVALIDARG;
    // Said of the entries the dialog shows dimmed: they keep their names.
    return list_->Dimmed(entry) ? Text(kDimmedDescription, description) : S_FALSE;
}

HRESULT CheckListAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    ondemand::VariantInit(role);
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kNoEntry) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = entry == kSelf ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM;
    return S_OK;
}

HRESULT CheckListAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    ondemand::VariantInit(state);
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->get_accState(child, state) : E_FAIL;
    if (entry < 0) return E_INVALIDARG;
    long flags = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (list_->Checked(entry)) flags |= STATE_SYSTEM_CHECKED;
    if (list_->SelectedIndex() == entry) flags |= STATE_SYSTEM_SELECTED;
    if (list_->FocusedIndex() == entry && GetFocus() == list_->Handle()) flags |= STATE_SYSTEM_FOCUSED;
    if (!list_->EntryShown(entry)) flags |= STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(list_->Handle())) flags |= STATE_SYSTEM_UNAVAILABLE;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
}

HRESULT CheckListAccessible::get_accHelp(VARIANT child, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    return EntryOf(child) == kNoEntry ? E_INVALIDARG : S_FALSE;
}

HRESULT CheckListAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return list_ ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT CheckListAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->get_accKeyboardShortcut(child, shortcut) : S_FALSE;
    return entry < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT CheckListAccessible::get_accFocus(VARIANT* child) {
    if (!child) return E_POINTER;
    ondemand::VariantInit(child);
    if (!list_) return RPC_E_DISCONNECTED;
    if (GetFocus() != list_->Handle()) return S_FALSE;
    const int focused = list_->FocusedIndex();
    if (focused >= 0 && focused < list_->Count()) {
        ChildVariant(child, focused);
    } else {
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
    }
    return S_OK;
}

HRESULT CheckListAccessible::get_accSelection(VARIANT* children) {
    if (!children) return E_POINTER;
    ondemand::VariantInit(children);
    if (!list_) return RPC_E_DISCONNECTED;
    const int selected = list_->SelectedIndex();
    if (selected < 0) return S_FALSE;
    ChildVariant(children, selected);
    return S_OK;
}

HRESULT CheckListAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return S_FALSE;
    if (entry < 0) return E_INVALIDARG;
    return Text(list_->Checked(entry) ? kUncheckAction : kCheckAction, action);
}

HRESULT CheckListAccessible::accSelect(long flags, VARIANT child) {
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->accSelect(flags, child) : S_FALSE;
    if (entry < 0) return E_INVALIDARG;
    // One entry at a time is selected: adding to or taking from a selection means nothing here.
    if (flags & (SELFLAG_ADDSELECTION | SELFLAG_REMOVESELECTION | SELFLAG_EXTENDSELECTION)) return E_INVALIDARG;
    if (flags & SELFLAG_TAKEFOCUS) SetFocus(list_->Handle());
    if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) list_->Select(entry);
    return S_OK;
}

HRESULT CheckListAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->accLocation(left, top, width, height, child) : S_FALSE;
    if (entry < 0) return E_INVALIDARG;
    RECT rect{};
    if (!list_->EntryRect(entry, rect)) return S_FALSE;
    MapWindowPoints(list_->Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT CheckListAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    ondemand::VariantInit(end);
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(start);
    if (entry == kNoEntry) return E_INVALIDARG;
    const int count = list_->Count();
    int target = kNoEntry;
    if (entry == kSelf) {
        if (direction == NAVDIR_FIRSTCHILD && count > 0) target = 0;
        else if (direction == NAVDIR_LASTCHILD && count > 0) target = count - 1;
        else if (direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD && standard_)
            return standard_->accNavigate(direction, start, end);
    } else if ((direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) && entry + 1 < count) {
        target = entry + 1;
    } else if ((direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) && entry > 0) {
        target = entry - 1;
    }
    if (target < 0) return S_FALSE;
    ChildVariant(end, target);
    return S_OK;
}

HRESULT CheckListAccessible::accHitTest(long left, long top, VARIANT* child) {
    if (!child) return E_POINTER;
    ondemand::VariantInit(child);
    if (!list_) return RPC_E_DISCONNECTED;
    POINT point{left, top};
    ScreenToClient(list_->Handle(), &point);
    const int entry = list_->IndexAt(point);
    if (entry >= 0) {
        ChildVariant(child, entry);
        return S_OK;
    }
    return standard_ ? standard_->accHitTest(left, top, child) : S_FALSE;
}

HRESULT CheckListAccessible::accDoDefaultAction(VARIANT child) {
    if (!list_) return RPC_E_DISCONNECTED;
    const int entry = EntryOf(child);
    if (entry == kSelf) return standard_ ? standard_->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
    if (entry < 0) return E_INVALIDARG;
    if (!IsWindowEnabled(list_->Handle())) return E_FAIL;  // not while a conversion runs
    list_->Toggle(entry);
    return S_OK;
}

HRESULT CheckListAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT CheckListAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace morvane
