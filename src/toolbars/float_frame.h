#pragma once
// The geometry of a floating toolbar's window: a thin frame of F pixels on every side, a small
// caption bar of C pixels above the client area with an optional close button at its right end,
// and the hit codes of that frame. Plain functions, so the numbers can be checked alone.
#include <windows.h>

#include <functional>
#include <string>

namespace morvane {

struct FloatFrame {
    int Frame = 0;    // F: the frame's thickness on all four sides
    int Caption = 0;  // C: the caption bar's height, the line below it included
};

// The frame the system's metrics give at a DPI: SM_CXFRAME and the small caption height.
FloatFrame SystemFloatFrame(int dpi);

// The outer size of a floating window around a client size.
SIZE FloatWindowSize(SIZE client, const FloatFrame& frame);
// The client rectangle inside a window rectangle (both in the same coordinates).
RECT FloatClientRect(const RECT& window, const FloatFrame& frame);

// In window coordinates; clientWidth is the width of the client area. Without the close button's
// area the caption ends C - 1 pixels earlier.
RECT CaptionRect(const FloatFrame& frame, int clientWidth, bool withoutCloseButton);
// The square at the caption's right end.
RECT CloseButtonRect(const FloatFrame& frame, int clientWidth);

// The hit code of a point relative to the window's top-left: the caption counts as client area
// (it is where a toolbar is grabbed), the close button is HTCLOSE, the four frame edges size the
// window. There are no corner codes: in the corners the top and bottom edges win. HTNOWHERE
// elsewhere.
LRESULT FloatHitTest(POINT point, SIZE window, const FloatFrame& frame, bool closeButton);

// A caption too wide for its bar: "..." takes the place of its end, always keeping the first
// character (a surrogate pair is one character and is never split).
std::wstring ShortenCaption(const std::wstring& text, const std::function<bool(const std::wstring&)>& fits);

}  // namespace morvane
