#include "ui/splitter.h"

#include <algorithm>

namespace morvane {

Splitter::Splitter(WinControl* parent, Control& sized, int thickness) : GraphicControl(parent), sized_(sized) {
    const RECT design = sized.DesignBounds();
    SetDesignBounds(design.right, design.top, thickness, design.bottom - design.top);
    SetAlign(sized.Alignment());
    SetClickOnRelease(false);
}

void Splitter::Paint(HDC dc) {
    // Flat: the face colour and nothing else.
    const RECT area = BoundsRect();
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
}

HCURSOR Splitter::Cursor() const { return LoadCursorW(nullptr, IDC_SIZEWE); }

void Splitter::MouseDown(const MouseEvent& event) {
    GraphicControl::MouseDown(event);
    if (event.Button != MouseButton::Left) return;
    dragging_ = true;
    grabX_ = event.X;
    grabWidth_ = sized_.Width();
}

void Splitter::MouseMove(const MouseEvent& event) {
    GraphicControl::MouseMove(event);
    if (!dragging_ || !Parent()) return;
    RECT client;
    GetClientRect(Parent()->Handle(), &client);
    // Whatever else stands in the row (this bar, other left or right controls) keeps its width.
    int others = 0;
    for (const Control* child : Parent()->Controls())
        if (child != &sized_ && child->Visible() &&
            (child->Alignment() == Align::Left || child->Alignment() == Align::Right))
            others += child->Width();
    const int least = Scaled(kMinSize);
    const int widest = std::max(least, static_cast<int>(client.right - client.left) - others - least);
    const int delta = Alignment() == Align::Right ? grabX_ - event.X : event.X - grabX_;
    const int width = std::clamp(grabWidth_ + delta, least, widest);
    if (width != sized_.Width()) sized_.SetBounds(sized_.Left(), sized_.Top(), width, sized_.Height());
}

void Splitter::MouseUp(const MouseEvent& event) {
    GraphicControl::MouseUp(event);
    dragging_ = false;
}

}  // namespace morvane
