#pragma once
// The windowless controls a window carries: their z-order, the one the mouse is over and the one
// that holds the mouse (capture), the window's mouse messages routed to them, and their painting
// over the window's own.
#include <windows.h>

#include <vector>

namespace morvane {

class Control;
class WinControl;

class GraphicHost {
public:
    explicit GraphicHost(WinControl& window) : window_(window) {}

    // In z-order, last on top.
    void Add(Control* control) { graphics_.push_back(control); }
    void Remove(Control* control);
    void Clear();

    // The control that gets every mouse message until released (nullptr: none), and the window's
    // own capture with it.
    void SetCapture(Control* control);
    // The window lost the capture to another (or none).
    void CaptureLost(HWND to);
    // The mouse left the window: the control it was over hears it.
    void MouseLeft();

    // The topmost visible control at a client point; disabled ones only when asked for.
    Control* ControlAt(POINT point, bool allowDisabled) const;
    // A mouse message of the window for the control under the mouse (or the one holding it);
    // false when no control takes it.
    bool Route(UINT message, WPARAM wParam, LPARAM lParam);

    // Keeps the window's own painting out of the opaque controls, which paint all of their area.
    void ExcludeOpaque(HDC dc) const;
    // Paints the visible controls that meet the area, each clipped to itself, in its font or else
    // the given one.
    void Paint(HDC dc, const RECT& area, HFONT font) const;

private:
    WinControl& window_;
    std::vector<Control*> graphics_;
    Control* capture_ = nullptr;
    Control* hover_ = nullptr;
};

}  // namespace morvane
