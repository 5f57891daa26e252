#include "ui/graphic_controls.h"

#include <oleacc.h>

#include "ui/dpi.h"
#include "ui/font.h"

namespace morvane {

namespace {

constexpr UINT kLabelFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

}  // namespace

Label::Label(WinControl* parent, int left, int top, const std::wstring& caption, bool bold)
    : GraphicControl(parent), caption_(caption) {
    if (bold) {
        boldFont_ = CreateProgramFont(true, Dpi());
        SetFont(boldFont_.Get());
    }
    SetDesignBounds(left, top, 0, 0);
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
    RECT area{0, 0, Scaled(wrapWidth_), 0};
    DrawTextW(dc, caption_.empty() ? L" " : caption_.c_str(), -1, &area, Format() | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int width = wrapWidth_ > 0 ? Scaled(wrapWidth_) : caption_.empty() ? 0 : area.right;
    SetBounds(Left(), Top(), width, area.bottom);
}

void Label::DpiChanged(int) {
    if (boldFont_) {
        boldFont_ = CreateProgramFont(true, Dpi());
        SetFont(boldFont_.Get());
    }
    AdjustSize();
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
    SetDesignBounds(left, top, width, height);
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
    SetDesignBounds(left, top, width, height);
    DpiChanged(kDesignDpi);
}

void Picture::DpiChanged(int) {
    const int size = Scaled(32);
    sized_.Reset(icon_ && size != 32 ? static_cast<HICON>(CopyImage(icon_, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE))
                                     : nullptr);
    Invalidate();
}

void Picture::Paint(HDC dc) {
    const HICON icon = sized_ ? sized_.Get() : icon_;
    if (icon) DrawIconEx(dc, Left(), Top(), icon, Scaled(32), Scaled(32), 0, nullptr, DI_NORMAL);
}

}  // namespace morvane
