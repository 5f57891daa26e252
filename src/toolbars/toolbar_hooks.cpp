#include "toolbars/toolbar_hooks.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "toolbars/flat_toolbar.h"
#include "ui/application.h"

namespace morvane {

namespace {

struct HookEntry {
    HookKind Kind;
    HWND Window;
    WinControl* Form;
    WNDPROC Previous;
    WNDPROC Replacement;
    int ApplicationHook;  // 0: none
    // 0: its last toolbar went while another subclass sat on top of it. It stays in the window's
    // chain, passing every message on, until it is on top again or the window goes.
    int Count;
};

// Never destroyed: hooks are removed by toolbars that may go after static objects at the end.
std::vector<std::unique_ptr<HookEntry>>& Entries() {
    static auto* entries = new std::vector<std::unique_ptr<HookEntry>>;
    return *entries;
}

HookEntry* Find(HookKind kind, HWND window) {
    for (const auto& entry : Entries())
        if (entry->Kind == kind && entry->Window == window) return entry.get();
    return nullptr;
}

bool IsMdiChild(HWND window) { return window && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0; }

// The toolbar a control lies in (itself or an ancestor), or none.
TFlatToolbar* ToolbarAround(Control* control) {
    for (; control; control = control->Parent())
        if (auto* bar = dynamic_cast<TFlatToolbar*>(control)) return bar;
    return nullptr;
}

// Whether the control with the keyboard focus lies in a toolbar of the form.
TFlatToolbar* FocusedToolbarOf(const WinControl& form) {
    TFlatToolbar* bar = ToolbarAround(WinControl::FromHandle(GetFocus()));
    return bar && &bar->HostForm() == &form ? bar : nullptr;
}

// The window that is active belongs to the form: the form itself or a window it owns.
bool ActiveWindowBelongsTo(const WinControl& form) {
    const HWND active = GetActiveWindow();
    return active && (active == form.Handle() || GetAncestor(active, GA_ROOTOWNER) == form.Handle());
}

void Erase(const HookEntry& entry) {
    auto& entries = Entries();
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&entry](const auto& e) { return e.get() == &entry; }),
                  entries.end());
}

// Takes the hook out of its window's chain: the window gets its previous procedure back when ours
// is the one on top. Under another subclass, which calls ours, the entry is left behind.
void Release(HookEntry& entry) {
    if (entry.ApplicationHook) App().UnhookMainWindow(std::exchange(entry.ApplicationHook, 0));
    if (IsWindow(entry.Window)) {
        if (GetWindowLongPtrW(entry.Window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(entry.Replacement)) return;
        SetWindowLongPtrW(entry.Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry.Previous));
    }
    Erase(entry);
}

// A hook left behind only passes messages on, and leaves as soon as it can.
LRESULT PassOnLeftBehind(HookEntry& entry, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC previous = entry.Previous;
    if (message == WM_NCDESTROY)
        Erase(entry);
    else
        Release(entry);
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// A floating toolbar is owned by its form and so stays above it. Under Wine the display's
// stacking decides, and there a window shown after its toolbars covers them: a form that comes
// into view shows its floating toolbars again, which puts them on top.
void ShowToolbarsAgain(WinControl& form) {
    for (TFlatToolbar* bar : TFlatToolbar::OwnedBy(form)) {
        if (bar->DockedTo() || !IsWindowVisible(bar->Handle())) continue;
        ShowWindow(bar->Handle(), SW_HIDE);
        ShowWindow(bar->Handle(), SW_SHOWNA);
    }
}

LRESULT CALLBACK FormHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HookEntry* entry = Find(HookKind::Form, window);
    if (!entry) return DefWindowProcW(window, message, wParam, lParam);
    if (entry->Count == 0) return PassOnLeftBehind(*entry, window, message, wParam, lParam);
    const WNDPROC previous = entry->Previous;
    try {
        switch (message) {
        case WM_ACTIVATE:
        case WM_SETFOCUS:
            // The form would take the focus back from an edit of its toolbar (a floating one is
            // another window): while a toolbar's control has the focus, the form never hears of it.
            if (FocusedToolbarOf(*entry->Form)) return 0;
            break;
        case WM_WINDOWPOSCHANGED: {
            WinControl& form = *entry->Form;
            UpdateFloatingVisibility(form, App().Active());
            const LRESULT result = CallWindowProcW(previous, window, message, wParam, lParam);
            // The form has had the message: a failure after this must not pass it on again.
            try {
                if (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) ShowToolbarsAgain(form);
            } catch (...) {
                App().HandleException();
            }
            return result;
        }
        }
    } catch (...) {
        App().HandleException();
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK MdiChildHookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    HookEntry* entry = Find(HookKind::MdiChild, window);
    if (!entry) return DefWindowProcW(window, message, wParam, lParam);
    if (entry->Count == 0) return PassOnLeftBehind(*entry, window, message, wParam, lParam);
    const WNDPROC previous = entry->Previous;
    if (message == WM_WINDOWPOSCHANGED) {
        try {
            UpdateFloatingVisibility(*entry->Form, App().Active());
        } catch (...) {
            App().HandleException();
        }
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// The application's activation: floating toolbars come back or go, and the form's caption shows
// whether one of its windows (the form or a floating toolbar) is the active one.
bool ApplicationActivated(WinControl& form, bool activating) {
    if (activating) {
        TFlatToolbar* bar = FocusedToolbarOf(form);
        if (bar && !bar->DockedTo()) SetActiveWindow(form.Handle());
    }
    UpdateFloatingVisibility(form, activating);
    SendMessageW(form.Handle(), WM_NCACTIVATE, activating && ActiveWindowBelongsTo(form), 0);
    return false;
}

}  // namespace

void HookRegistry::Install(HookKind kind, WinControl& form) {
    const HWND window = form.Handle();
    if (!window) return;
    HookEntry* entry = Find(kind, window);
    if (entry && entry->Count++ > 0) return;
    if (!entry) {
        auto added = std::make_unique<HookEntry>();
        added->Kind = kind;
        added->Window = window;
        added->Replacement = kind == HookKind::Form ? FormHookProc : MdiChildHookProc;
        added->ApplicationHook = 0;
        added->Count = 1;
        added->Previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
        entry = added.get();
        Entries().push_back(std::move(added));
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(entry->Replacement));
    }
    // A hook left behind in the chain is taken into use again where it sits.
    entry->Form = &form;
    if (kind == HookKind::Form) {
        WinControl* hooked = &form;
        entry->ApplicationHook = App().HookMainWindow([hooked](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
            return message == WM_ACTIVATEAPP && ApplicationActivated(*hooked, wParam != FALSE);
        });
    }
}

void HookRegistry::Uninstall(HookKind kind, HWND window) {
    HookEntry* entry = Find(kind, window);
    if (!entry || entry->Count == 0 || --entry->Count > 0) return;
    Release(*entry);
}

int HookRegistry::Count(HookKind kind, HWND window) {
    const HookEntry* entry = Find(kind, window);
    return entry ? entry->Count : 0;
}

WinControl& HostFormOf(WinControl& owner) {
    if (IsMdiChild(owner.Handle())) {
        // An MDI child lives in the frame's client window, a child of the frame.
        const HWND client = GetParent(owner.Handle());
        if (WinControl* frame = WinControl::FromHandle(client ? GetParent(client) : nullptr)) return *frame;
    }
    return owner;
}

void UpdateFloatingVisibility(WinControl& form, bool applicationActive) {
    const HWND window = form.Handle();
    if (!window) return;
    if (const HWND client = FindWindowExW(window, nullptr, L"MDIClient", nullptr)) {
        for (HWND child = GetWindow(client, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (WinControl* mdiChild = WinControl::FromHandle(child); mdiChild && IsMdiChild(child))
                UpdateFloatingVisibility(*mdiChild, applicationActive);
    }
    const bool hidden =
        !applicationActive || IsIconic(App().Handle()) || !IsWindowVisible(window) || IsIconic(window);
    for (TFlatToolbar* bar : TFlatToolbar::OwnedBy(form)) bar->SetParked(!bar->DockedTo() && hidden);
}

}  // namespace morvane
