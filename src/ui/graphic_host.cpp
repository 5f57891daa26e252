#include "ui/graphic_host.h"

#include <algorithm>

#include "ui/control.h"
#include "ui/gdi.h"

namespace morvane {

namespace {

constexpr WPARAM kAnyMouseButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

}  // namespace

void GraphicHost::Remove(Control* control) {
    graphics_.erase(std::remove(graphics_.begin(), graphics_.end(), control), graphics_.end());
    if (capture_ == control) SetCapture(nullptr);
    if (hover_ == control) hover_ = nullptr;
}

void GraphicHost::Clear() {
    graphics_.clear();
    capture_ = hover_ = nullptr;
}

void GraphicHost::SetCapture(Control* control) {
    capture_ = control;
    const HWND window = window_.Handle();
    if (control)
        ::SetCapture(window);
    else if (window && GetCapture() == window)
        ReleaseCapture();
}

void GraphicHost::CaptureLost(HWND to) {
    if (capture_ && to != window_.Handle()) capture_ = nullptr;
}

void GraphicHost::MouseLeft() {
    if (!hover_) return;
    Control* left = hover_;
    hover_ = nullptr;
    left->MouseLeave();
}

Control* GraphicHost::ControlAt(POINT point, bool allowDisabled) const {
    for (auto it = graphics_.rbegin(); it != graphics_.rend(); ++it) {
        const RECT bounds = (*it)->BoundsRect();
        if ((*it)->Visible() && (allowDisabled || (*it)->Enabled()) && PtInRect(&bounds, point)) return *it;
    }
    return nullptr;
}

bool GraphicHost::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    const MouseEvent event = WinControl::MouseEventOf(message, wParam, lParam);
    const POINT point{event.X, event.Y};
    Control* target = capture_ ? capture_ : ControlAt(point, false);
    if (message == WM_MOUSEMOVE && target != hover_ && !capture_) {
        Control* left = hover_;
        hover_ = target;
        if (left) left->MouseLeave();
        if (hover_) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_.Handle(), 0};
            TrackMouseEvent(&track);
        }
    }
    if (!target) return false;
    switch (message) {
    case WM_MOUSEMOVE:
        target->MouseMove(event);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        // The control pressed keeps the mouse while any button is still held.
        if (capture_ && !(wParam & kAnyMouseButton)) SetCapture(nullptr);
        target->MouseUp(event);
        break;
    default:  // a press or a double click
        if (!capture_) SetCapture(target);
        target->MouseDown(event);
        break;
    }
    return true;
}

void GraphicHost::ExcludeOpaque(HDC dc) const {
    for (const Control* graphic : graphics_)
        if (graphic->Visible() && graphic->Opaque())
            ExcludeClipRect(dc, graphic->Left(), graphic->Top(), graphic->Left() + graphic->Width(),
                            graphic->Top() + graphic->Height());
}

void GraphicHost::Paint(HDC dc, const RECT& area, HFONT font) const {
    for (Control* graphic : graphics_) {
        RECT bounds = graphic->BoundsRect();
        RECT common;
        if (!graphic->Visible() || !IntersectRect(&common, &bounds, &area)) continue;
        const SavedDC saved(dc);
        IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
        SelectObject(dc, graphic->Font() ? graphic->Font() : font);
        graphic->Paint(dc);
    }
}

}  // namespace morvane
