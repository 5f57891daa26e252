#include "ui/host_accessible.h"

#include "ui/control.h"
#include "ui/on_demand.h"

namespace morvane {

namespace {

// A windowless control that describes itself, with the states the host knows of.
bool Describes(const Control& control) { return !control.Windowed() && control.Describe().Role != 0; }

AccessibleDescription DescriptionOf(const Control& control) {
    AccessibleDescription description = control.Describe();
    if (!control.Enabled()) description.State |= STATE_SYSTEM_UNAVAILABLE;
    if (!control.Visible()) description.State |= STATE_SYSTEM_INVISIBLE;
    return description;
}

}  // namespace

UINT HostAccessible::ActionMessage() {
    static const UINT message = RegisterWindowMessageW(L"Morvane.AccessibleDefaultAction");
    return message;
}

bool HostAccessible::Wanted(const WinControl& host) {
    if (!host.AccessibleName().empty()) return true;
    for (const Control* child : host.Controls())
        if (Describes(*child)) return true;
    return false;
}

HostAccessible* HostAccessible::Create(WinControl& host) {
    IAccessible* standard = nullptr;
    if (FAILED(ondemand::CreateStdAccessibleObject(host.Handle(), OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&standard))))
        standard = nullptr;
    return new HostAccessible(host, standard);
}

HostAccessible::HostAccessible(WinControl& host, IAccessible* standard) : host_(&host), standard_(standard) {}

HostAccessible::~HostAccessible() {
    if (standard_) standard_->Release();
}

void HostAccessible::Detach() {
    host_ = nullptr;
    // Clients in other programs hold proxies; they are told the object is gone.
    CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

std::vector<Control*> HostAccessible::Elements(const WinControl& host) {
    std::vector<Control*> elements;
    for (Control* child : host.Controls()) {
        const auto* windowed = dynamic_cast<const WinControl*>(child);
        if (windowed ? windowed->Handle() != nullptr : Describes(*child)) elements.push_back(child);
    }
    return elements;
}

long HostAccessible::ChildId(const WinControl& host, const Control& child) {
    const std::vector<Control*> elements = Elements(host);
    for (size_t i = 0; i < elements.size(); ++i)
        if (elements[i] == &child) return static_cast<long>(i) + 1;
    return 0;
}

void HostAccessible::RunDefaultAction(WinControl& host, long childId) {
    const std::vector<Control*> elements = Elements(host);
    if (childId < 1 || childId > static_cast<long>(elements.size())) return;
    Control* element = elements[static_cast<size_t>(childId - 1)];
    if (element->Enabled() && element->Visible()) element->DoDefaultAction();
}

Control* HostAccessible::ElementOf(const VARIANT& child, bool* valid) const {
    *valid = false;
    if (child.vt != VT_I4) return nullptr;
    if (child.lVal == CHILDID_SELF) {
        *valid = true;
        return nullptr;
    }
    const std::vector<Control*> elements = Elements(*host_);
    if (child.lVal < 1 || child.lVal > static_cast<long>(elements.size())) return nullptr;
    *valid = true;
    return elements[static_cast<size_t>(child.lVal - 1)];
}

IDispatch* HostAccessible::WindowObject(const Control& element) {
    const auto* windowed = dynamic_cast<const WinControl*>(&element);
    if (!windowed || !windowed->Handle()) return nullptr;
    IDispatch* object = nullptr;
    if (FAILED(ondemand::AccessibleObjectFromWindow(windowed->Handle(), static_cast<DWORD>(OBJID_WINDOW),
                                                    __uuidof(IDispatch), reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

HRESULT HostAccessible::AsVariant(Control* element, VARIANT* out) const {
    if (!element) {
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return S_OK;
    }
    if (IDispatch* object = WindowObject(*element)) {
        out->vt = VT_DISPATCH;
        out->pdispVal = object;
        return S_OK;
    }
    const long id = ChildId(*host_, *element);
    if (id == 0) return S_FALSE;
    out->vt = VT_I4;
    out->lVal = id;
    return S_OK;
}

// ---- The window and its elements ----

HRESULT HostAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    return standard_ ? standard_->get_accParent(parent) : S_FALSE;
}

HRESULT HostAccessible::get_accChildCount(long* count) {
    if (!count) return E_POINTER;
    if (!host_) return RPC_E_DISCONNECTED;
    *count = static_cast<long>(Elements(*host_).size());
    return S_OK;
}

HRESULT HostAccessible::get_accChild(VARIANT child, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid || !element) return E_INVALIDARG;
    // Windowless controls are simple elements, reached through their identifiers.
    *object = WindowObject(*element);
    return *object ? S_OK : S_FALSE;
}

HRESULT HostAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) {
        if (!host_->AccessibleName().empty()) return Text(host_->AccessibleName(), name);
        return standard_ ? standard_->get_accName(child, name) : S_FALSE;
    }
    if (element->Windowed()) return E_INVALIDARG;  // its own object answers
    return Text(element->Describe().Name, name);
}

HRESULT HostAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->get_accValue(child, value) : S_FALSE;
    return S_FALSE;
}

HRESULT HostAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->get_accDescription(child, description) : S_FALSE;
    return S_FALSE;
}

HRESULT HostAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!role) return E_POINTER;
    ondemand::VariantInit(role);
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid || (element && element->Windowed())) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->get_accRole(child, role) : E_FAIL;
    role->vt = VT_I4;
    role->lVal = element->Describe().Role;
    return S_OK;
}

HRESULT HostAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!state) return E_POINTER;
    ondemand::VariantInit(state);
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid || (element && element->Windowed())) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->get_accState(child, state) : E_FAIL;
    state->vt = VT_I4;
    state->lVal = DescriptionOf(*element).State;
    return S_OK;
}

HRESULT HostAccessible::get_accHelp(VARIANT child, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    ElementOf(child, &valid);
    return valid ? S_FALSE : E_INVALIDARG;
}

HRESULT HostAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return host_ ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->get_accKeyboardShortcut(child, shortcut) : S_FALSE;
    return S_FALSE;
}

HRESULT HostAccessible::get_accFocus(VARIANT* child) {
    if (!child) return E_POINTER;
    ondemand::VariantInit(child);
    if (!host_) return RPC_E_DISCONNECTED;
    const HWND focus = GetFocus();
    if (focus == host_->Handle()) {
        // The window has the keys; the element it gives them to is the one that says so.
        for (Control* element : Elements(*host_))
            if (!element->Windowed() && (DescriptionOf(*element).State & STATE_SYSTEM_FOCUSED))
                return AsVariant(element, child);
        return AsVariant(nullptr, child);
    }
    return standard_ ? standard_->get_accFocus(child) : S_FALSE;
}

HRESULT HostAccessible::get_accSelection(VARIANT* children) {
    if (!children) return E_POINTER;
    ondemand::VariantInit(children);
    return host_ ? S_FALSE : RPC_E_DISCONNECTED;
}

HRESULT HostAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->get_accDefaultAction(child, action) : S_FALSE;
    const std::wstring text = element->Describe().DefaultAction;
    return text.empty() ? S_FALSE : Text(text, action);
}

HRESULT HostAccessible::accSelect(long flags, VARIANT child) {
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->accSelect(flags, child) : S_FALSE;
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT HostAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid || (element && element->Windowed())) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->accLocation(left, top, width, height, child) : S_FALSE;
    RECT rect = element->BoundsRect();
    MapWindowPoints(host_->Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    *left = rect.left;
    *top = rect.top;
    *width = rect.right - rect.left;
    *height = rect.bottom - rect.top;
    return S_OK;
}

HRESULT HostAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
    if (!end) return E_POINTER;
    ondemand::VariantInit(end);
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    Control* element = ElementOf(start, &valid);
    if (!valid) return E_INVALIDARG;
    const std::vector<Control*> elements = Elements(*host_);
    const long count = static_cast<long>(elements.size());
    long target = 0;
    if (!element) {
        if (direction == NAVDIR_FIRSTCHILD) target = 1;
        else if (direction == NAVDIR_LASTCHILD) target = count;
        else return standard_ ? standard_->accNavigate(direction, start, end) : S_FALSE;
    } else {
        const long id = start.lVal;
        if (direction == NAVDIR_NEXT || direction == NAVDIR_RIGHT || direction == NAVDIR_DOWN) target = id + 1;
        else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_LEFT || direction == NAVDIR_UP) target = id - 1;
    }
    if (target < 1 || target > count) return S_FALSE;
    return AsVariant(elements[static_cast<size_t>(target - 1)], end);
}

HRESULT HostAccessible::accHitTest(long left, long top, VARIANT* child) {
    if (!child) return E_POINTER;
    ondemand::VariantInit(child);
    if (!host_) return RPC_E_DISCONNECTED;
    POINT point{left, top};
    ScreenToClient(host_->Handle(), &point);
    if (Control* element = host_->ControlAt(point, true); element && Describes(*element))
        return AsVariant(element, child);
    return standard_ ? standard_->accHitTest(left, top, child) : S_FALSE;
}

HRESULT HostAccessible::accDoDefaultAction(VARIANT child) {
    if (!host_) return RPC_E_DISCONNECTED;
    bool valid = false;
    const Control* element = ElementOf(child, &valid);
    if (!valid) return E_INVALIDARG;
    if (!element) return standard_ ? standard_->accDoDefaultAction(child) : DISP_E_MEMBERNOTFOUND;
    if (element->Windowed() || element->Describe().DefaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
    if (!element->Enabled()) return E_FAIL;
    PostMessageW(host_->Handle(), ActionMessage(), 0, child.lVal);
    return S_OK;
}

HRESULT HostAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT HostAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace morvane
