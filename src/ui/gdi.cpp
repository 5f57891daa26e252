#include "ui/gdi.h"

namespace morvane {

UniqueBitmap CreateColorBitmap(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

UniqueBitmap CreateMaskBitmap(int width, int height) {
    return UniqueBitmap(CreateBitmap(width, height, 1, 1, nullptr));
}

MemoryDC::MemoryDC(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr)), old_(nullptr) {
    if (dc_ && bitmap) old_ = SelectObject(dc_, bitmap);
}

MemoryDC::~MemoryDC() {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
}

WindowDC::WindowDC(HWND window, bool whole) : window_(window), dc_(whole ? GetWindowDC(window) : GetDC(window)) {}

WindowDC::~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
}

NonClientDC::NonClientDC(HWND window, HRGN updateRegion) : window_(window), dc_(GetWindowDC(window)) {
    if (!dc_) return;
    RECT bounds;
    GetWindowRect(window, &bounds);
    // Region handles 0 and 1 stand for "everything".
    if (reinterpret_cast<UINT_PTR>(updateRegion) <= 1 ||
        ExtSelectClipRgn(dc_, updateRegion, RGN_COPY) == ERROR) {
        UniqueRegion whole(CreateRectRgnIndirect(&bounds));
        SelectClipRgn(dc_, whole.Get());
    }
    OffsetClipRgn(dc_, -bounds.left, -bounds.top);
}

NonClientDC::~NonClientDC() {
    if (dc_) ReleaseDC(window_, dc_);
}

void DrawLine(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
    UniquePen pen(CreatePen(PS_SOLID, 1, color));
    SelectedObject selected(dc, pen.Get());
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

void FrameRectangle(HDC dc, const RECT& rect, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(color));
    FrameRect(dc, &rect, brush.Get());
}

void FillRectangle(HDC dc, const RECT& rect, COLORREF color) {
    UniqueBrush brush(CreateSolidBrush(color));
    FillRect(dc, &rect, brush.Get());
}

}  // namespace morvane
