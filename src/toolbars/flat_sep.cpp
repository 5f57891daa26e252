#include "toolbars/flat_sep.h"

#include "toolbars/flat_toolbar.h"
#include "ui/error.h"
#include "ui/gdi.h"

namespace morvane {

TFlatSep::TFlatSep(WinControl* parent, int left, int top, int width, int height) : GraphicControl(nullptr) {
    SetDesignBounds(left, top, width, height);
    SetParent(parent);
}

void TFlatSep::SetParent(WinControl* parent) {
    if (parent && !dynamic_cast<TFlatToolbar*>(parent))
        throw InvalidOperation(L"TFlatSep can only be placed on a TFlatToolbar");
    GraphicControl::SetParent(parent);
}

void TFlatSep::SetBlank(bool blank) {
    if (blank == blank_) return;
    blank_ = blank;
    Invalidate();
}

void TFlatSep::Paint(HDC dc) {
    const auto* bar = dynamic_cast<const TFlatToolbar*>(Parent());
    if (!bar || blank_) return;
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (PlacementOf(bar->DockedTo()) == bpVertical) {
        const int y = Top() + Height() / 2;
        DrawLine(dc, Left(), y - 1, Left() + Width(), y - 1, shadow);
        DrawLine(dc, Left(), y, Left() + Width(), y, highlight);
    } else {
        const int x = Left() + Width() / 2;
        DrawLine(dc, x - 1, Top(), x - 1, Top() + Height(), shadow);
        DrawLine(dc, x, Top(), x, Top() + Height(), highlight);
    }
}

void TFlatSep::MouseDown(const MouseEvent& event) {
    // A press gives a windowless control the mouse until the release; a separator gives it back,
    // so that the other controls keep following the pointer meanwhile.
    if (Parent()) Parent()->SetCapture(nullptr);
    GraphicControl::MouseDown(event);
    // Windowless controls already get their mouse input in the toolbar's coordinates.
    if (auto* bar = dynamic_cast<TFlatToolbar*>(Parent())) bar->MouseDown(event);
}

}  // namespace morvane
