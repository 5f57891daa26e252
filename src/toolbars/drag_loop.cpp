#include "toolbars/drag_loop.h"

namespace morvane {

namespace {

// Paints every window that waits for it, so nothing stale stays on the screen once it is locked.
void FlushPaints() {
    MSG message;
    // A window that never validates would keep this busy forever: a bound.
    for (int i = 0; i < 1000 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        DispatchMessageW(&message);
    }
}

UniqueBrush CheckerBrush() {
    static const WORD rows[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
    const UniqueBitmap pattern(CreateBitmap(8, 8, 1, 1, rows));
    return UniqueBrush(CreatePatternBrush(pattern.Get()));
}

}  // namespace

ScreenOutline::ScreenOutline() : brush_(CheckerBrush()) {
    FlushPaints();
    const HWND desktop = GetDesktopWindow();
    LockWindowUpdate(desktop);
    dc_ = GetDCEx(desktop, nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
    RECT screen;
    GetWindowRect(desktop, &screen);
    origin_ = {screen.left, screen.top};
}

ScreenOutline::~ScreenOutline() {
    Move(nullptr, 0);
    if (dc_) ReleaseDC(GetDesktopWindow(), dc_);
    LockWindowUpdate(nullptr);
}

UniqueRegion ScreenOutline::FrameRegion(const RECT& rect, int thickness) const {
    RECT outer = rect;
    OffsetRect(&outer, -origin_.x, -origin_.y);
    RECT inner = outer;
    InflateRect(&inner, -thickness, -thickness);
    UniqueRegion frame(CreateRectRgnIndirect(&outer));
    if (inner.right > inner.left && inner.bottom > inner.top) {
        const UniqueRegion hole(CreateRectRgnIndirect(&inner));
        CombineRgn(frame.Get(), frame.Get(), hole.Get(), RGN_DIFF);
    }
    return frame;
}

void ScreenOutline::Move(const RECT* rect, int thickness) {
    if (!dc_) return;
    if (!shown_ && !rect) return;
    if (shown_ && rect && EqualRect(rect, &rect_) && thickness == thickness_) return;
    UniqueRegion change(CreateRectRgn(0, 0, 0, 0));
    if (shown_) {
        const UniqueRegion old = FrameRegion(rect_, thickness_);
        CombineRgn(change.Get(), change.Get(), old.Get(), RGN_XOR);
    }
    if (rect) {
        const UniqueRegion now = FrameRegion(*rect, thickness);
        CombineRgn(change.Get(), change.Get(), now.Get(), RGN_XOR);
    }
    RECT area;
    GetRgnBox(change.Get(), &area);
    const int saved = SaveDC(dc_);
    SelectClipRgn(dc_, change.Get());
    SelectObject(dc_, brush_.Get());
    SetTextColor(dc_, RGB(0, 0, 0));
    SetBkColor(dc_, RGB(255, 255, 255));
    PatBlt(dc_, area.left, area.top, area.right - area.left, area.bottom - area.top, PATINVERT);
    RestoreDC(dc_, saved);
    shown_ = rect != nullptr;
    if (rect) {
        rect_ = *rect;
        thickness_ = thickness;
    }
}

MouseCapture::MouseCapture(HWND window) : window_(window) { SetCapture(window); }

MouseCapture::~MouseCapture() {
    if (GetCapture() == window_) ReleaseCapture();
}

bool RunMouseLoop(HWND window, const std::weak_ptr<int>& alive, const std::function<LoopStep(const MSG&)>& handle) {
    while (!alive.expired() && GetCapture() == window) {
        MSG message;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) return false;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        switch (handle(message)) {
        case LoopStep::Accept:
            return true;
        case LoopStep::Cancel:
            return false;
        case LoopStep::Swallow:
            break;
        case LoopStep::Dispatch:
            TranslateMessage(&message);
            DispatchMessageW(&message);
            break;
        }
    }
    return false;
}

}  // namespace morvane
