#pragma once
// Floating toolbars follow their form: they are parked off the screen while the application is
// inactive or the form is hidden or minimized. The form's window procedure is subclassed once per
// form, whatever the number of its toolbars, and the subclass outlives any one of them.
#include <windows.h>

namespace morvane {

class WinControl;

enum class HookKind {
    Form,      // the toolbar's host form: activation, focus, moves and the application's activation
    MdiChild,  // an MDI child form that owns toolbars hosted by its frame: its moves
};

class HookRegistry {
public:
    // Installing a hook that is already there only counts it once more.
    static void Install(HookKind kind, WinControl& form);
    // The last uninstall gives the window its own procedure back (if it still exists).
    static void Uninstall(HookKind kind, HWND window);
    // How many toolbars hold the hook on the window (0: not hooked).
    static int Count(HookKind kind, HWND window);
};

// Parks or brings back the floating toolbars owned by the form (and by its MDI children): they
// are parked while the application is inactive, minimized, or the form hidden or minimized.
void UpdateFloatingVisibility(WinControl& form, bool applicationActive);

// The form a toolbar owned by `owner` floats over: the owner, or the MDI frame of an MDI child.
WinControl& HostFormOf(WinControl& owner);

}  // namespace morvane
