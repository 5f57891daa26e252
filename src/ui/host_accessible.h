#pragma once
// What a screen reader sees of a window that hosts windowless controls (the toolbar's buttons, a
// form's labels) or that is named by a label of its own: the window itself as the system
// describes it, under the given name if it has one, and its children in the order they came:
// each windowless control that describes itself as a simple element, each child window as the
// system's object for it. Without this object the windowless controls would not exist for the
// reader at all.
#include <windows.h>
#include <oleacc.h>

#include <vector>

#include "ui/accessible_object.h"

namespace morvane {

class Control;
class WinControl;

class HostAccessible final : public AccessibleObject {
public:
    // Whether the window needs an object of its own (a name, or windowless children to show).
    static bool Wanted(const WinControl& host);
    // The object lives on COM references; the host keeps one and lets go of it when it goes.
    static HostAccessible* Create(WinControl& host);
    // The host is gone: every call from then on answers that the object is disconnected.
    void Detach();
    // The identifier of a child among the host's elements (0 when it is none of them).
    static long ChildId(const WinControl& host, const Control& child);
    // Runs the default action of the child with that identifier, as posted by accDoDefaultAction.
    static void RunDefaultAction(WinControl& host, long childId);
    // The message accDoDefaultAction posts to the host: a button's action may open a menu, and the
    // reader that asked must not wait for it to close.
    static UINT ActionMessage();

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override;

private:
    HostAccessible(WinControl& host, IAccessible* standard);
    ~HostAccessible() override;

    // The host's elements, in the order they came.
    static std::vector<Control*> Elements(const WinControl& host);
    // The element a child identifier names; nullptr for the window itself (and *valid false for
    // an identifier that names nothing).
    Control* ElementOf(const VARIANT& child, bool* valid) const;
    // The system's object of a child window, or none.
    static IDispatch* WindowObject(const Control& element);
    HRESULT AsVariant(Control* element, VARIANT* out) const;

    WinControl* host_;
    IAccessible* standard_;  // the system's description of the host's window, for the window itself
};

}  // namespace morvane
