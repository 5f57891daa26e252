#include "ui/control.h"

#include "ui/dpi.h"

namespace morvane {

Control::Control(WinControl* parent) : parent_(parent) {
    if (!parent_) return;
    font_ = parent_->Font();
    parent_->InsertControl(this);
}

Control::~Control() {
    if (parent_) parent_->RemoveControl(this);
}

void Control::SetParent(WinControl* parent) {
    if (parent == parent_) return;
    Invalidate();  // the area it leaves
    ChangeParent(parent);
    Invalidate();
    if (parent_) parent_->Realign();
}

void Control::ChangeParent(WinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (!parent_) return;
    parent_->InsertControl(this);
    if (!Windowed()) parent_->AddGraphic(this);
}

void Control::SetBounds(int left, int top, int width, int height) {
    const RECT bounds{left, top, left + width, top + height};
    if (EqualRect(&bounds, &bounds_)) return;
    design_ = ScaleRectFromDpi(bounds, Dpi());
    if (!Windowed()) Invalidate();  // the area it leaves
    bounds_ = bounds;
    BoundsChanged();
    if (parent_) parent_->Realign();
}

void Control::SetDesignBounds(int left, int top, int width, int height) {
    const RECT design{left, top, left + width, top + height};
    const RECT bounds = ScaleRectToDpi(design, Dpi());
    SetBounds(bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
    design_ = design;
}

void Control::SyncBounds(const RECT& bounds) {
    bounds_ = bounds;
    design_ = ScaleRectFromDpi(bounds, Dpi());
}

int Control::Dpi() const { return parent_ ? parent_->Dpi() : OwnDpi(); }

int Control::OwnDpi() const { return SystemDpi(); }

int Control::Scaled(int design) const { return ScaleToDpi(design, Dpi()); }

void Control::FollowDpi(const RECT& design, int oldDpi, HFONT oldFont, HFONT newFont) {
    if (font_ == oldFont) SetFont(newFont);
    if (!KeepsPlaceOnDpiChange())
        SetDesignBounds(design.left, design.top, design.right - design.left, design.bottom - design.top);
    DpiChanged(oldDpi);
}

void Control::SetAlign(Align align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->Realign();
}

void Control::SetVisible(bool visible) {
    if (visible == visible_) return;
    VisibleChanging(visible);
    visible_ = visible;
    VisibleChanged();
    if (parent_) parent_->Realign();
}

void Control::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
}

void Control::SetFont(HFONT font) {
    if (font == font_) return;
    font_ = font;
    FontChanged();
}

void Control::SetColor(COLORREF color) {
    if (color == color_) return;
    color_ = color;
    Invalidate();
}

void Control::SetOpaque(bool opaque) {
    if (opaque == opaque_) return;
    opaque_ = opaque;
    Invalidate();
}

void Control::Invalidate() { InvalidateBounds(!opaque_); }

void Control::InvalidateBounds(bool erase) {
    if (parent_ && parent_->Handle()) InvalidateRect(parent_->Handle(), &bounds_, erase ? TRUE : FALSE);
}

void Control::MouseDown(const MouseEvent& event) {
    if (OnMouseDown) OnMouseDown(event);
}

void Control::MouseMove(const MouseEvent& event) {
    if (OnMouseMove) OnMouseMove(event);
}

void Control::MouseUp(const MouseEvent& event) {
    // Decided before the handler runs: the handler may destroy this control.
    const POINT point{event.X, event.Y};
    const bool clicks = clickOnRelease_ && event.Button == MouseButton::Left && PtInRect(&bounds_, point);
    if (OnMouseUp) OnMouseUp(event);
    if (clicks) Click();
}

void Control::Click() {
    if (OnClick) OnClick();
}

GraphicControl::GraphicControl(WinControl* parent) : Control(parent) {
    if (parent) parent->AddGraphic(this);
}

}  // namespace morvane
