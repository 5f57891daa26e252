#include "ui/graphic_controls.h"

#include <oleacc.h>

#include "ui/font.h"

namespace morvane {

namespace {

constexpr UINT kLabelFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

}  // namespace

Label::Label(WinControl* parent, int left, int top, const std::wstring& caption, bool bold)
    : GraphicControl(parent), caption_(caption) {
    if (bold) {
        boldFont_ = CreateProgramFont(true);
        SetFont(boldFont_.Get());
    }
    SetBounds(left, top, 0, 0);
    AdjustSize();
}

void Label::SetCaption(const std::wstring& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    AdjustSize();
    Invalidate();
    if (Parent()) Parent()->NotifyAccessible(EVENT_OBJECT_NAMECHANGE, *this);
}

void Label::SetWrapWidth(int width) {
    if (width == wrapWidth_) return;
    wrapWidth_ = width;
    AdjustSize();
    Invalidate();
}

UINT Label::Format() const { return kLabelFormat | (wrapWidth_ > 0 ? DT_WORDBREAK : DT_SINGLELINE); }

void Label::AdjustSize() {
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, Font());
    RECT area{0, 0, wrapWidth_, 0};
    DrawTextW(dc, caption_.empty() ? L" " : caption_.c_str(), -1, &area, Format() | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int width = wrapWidth_ > 0 ? wrapWidth_ : caption_.empty() ? 0 : area.right;
    SetBounds(Left(), Top(), width, area.bottom);
}

void Label::Paint(HDC dc) {
    RECT area = BoundsRect();
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, caption_.c_str(), -1, &area, Format());
}

AccessibleDescription Label::Describe() const {
    AccessibleDescription description;
    description.Role = ROLE_SYSTEM_STATICTEXT;
    description.Name = caption_;
    description.State = STATE_SYSTEM_READONLY;
    return description;
}

Bevel::Bevel(WinControl* parent, BevelShape shape, int left, int top, int width, int height)
    : GraphicControl(parent), shape_(shape) {
    SetBounds(left, top, width, height);
}

void Bevel::Paint(HDC dc) {
    RECT area = BoundsRect();
    if (shape_ == BevelShape::Frame) {
        DrawEdge(dc, &area, EDGE_ETCHED, BF_RECT);
        return;
    }
    if (shape_ == BevelShape::BottomLine) {
        // Shadow above highlight, the highlight on the last row: a one-pixel bevel is all highlight.
        area.top = area.bottom - 2;
        DrawEdge(dc, &area, EDGE_ETCHED, BF_BOTTOM);
        return;
    }
    if (shape_ == BevelShape::LeftLine) {
        area.right = area.left + 2;
        DrawEdge(dc, &area, EDGE_ETCHED, BF_LEFT);
        return;
    }
    area.bottom = area.top + 2;
    DrawEdge(dc, &area, EDGE_ETCHED, BF_TOP);
}

Picture::Picture(WinControl* parent, HICON icon, int left, int top, int width, int height)
    : GraphicControl(parent), icon_(icon) {
    SetBounds(left, top, width, height);
}

void Picture::Paint(HDC dc) {
    if (icon_) DrawIconEx(dc, Left(), Top(), icon_, 32, 32, 0, nullptr, DI_NORMAL);
}

}  // namespace morvane
