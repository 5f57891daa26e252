#pragma once
// What a screen reader sees of a check list: the list itself as the system describes its window,
// and one child per entry, named by the entry's text, with its checked, selected, focused and
// off-screen state and a default action that toggles it. The list box holds no strings of its own
// (it knows only how many entries there are), so the system's own description would have nameless
// children; this object answers WM_GETOBJECT in its place.
#include <windows.h>
#include <oleacc.h>

// Interface identifiers are taken with __uuidof: oleacc.dll exports IID_IAccessible as data, which
// the import library would link as a call thunk.

#include "ui/accessible_object.h"

namespace morvane {

class CheckListBox;

class CheckListAccessible final : public AccessibleObject {
public:
    // The object lives on COM references; the list keeps one and lets go of it when it goes.
    static CheckListAccessible* Create(CheckListBox& list);
    // The list is gone: every call from then on answers that the object is disconnected.
    void Detach();

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
    CheckListAccessible(CheckListBox& list, IAccessible* standard);
    ~CheckListAccessible() override;

    // The entry a child identifier names (0 for the list itself), or -1 for none of them.
    int EntryOf(const VARIANT& child) const;

    CheckListBox* list_;
    IAccessible* standard_;  // the system's description of the list's window, for the list itself
};

}  // namespace morvane
