#include "toolbars/flat_edit.h"

#include "ui/gdi.h"

namespace morvane {

namespace {

constexpr int kBorder = 3;

}  // namespace

TFlatEdit::TFlatEdit(WinControl* parent, int left, int top, int width, int height) : WinControl(parent) {
    SetDesignBounds(left, top, width, height);
    TrackMouseEnterLeave();
    CreateHandle(L"EDIT", true, ES_AUTOHSCROLL | WS_TABSTOP, 0);
    // The edit measured its frame before we took over its messages: measure again.
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    EnabledChanged();
}

void TFlatEdit::AdjustHeightToFont() {
    WindowDC screen(nullptr);
    TEXTMETRICW metrics{};
    {
        SelectedObject font(screen, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsW(screen, &metrics);
    }
    SetBounds(Left(), Top(), Width(), metrics.tmHeight + 6);
}

bool TFlatEdit::Lit() const {
    const HWND focus = GetFocus();
    if (focus == Handle()) return true;
    // Hovering lights the border unless another flat edit is the one being typed in.
    return mouseInside_ && !dynamic_cast<TFlatEdit*>(FromHandle(focus));
}

void TFlatEdit::PaintBorder(HRGN updateRegion) {
    if (!Handle()) return;
    NonClientDC dc(Handle(), updateRegion);
    RECT area;
    GetWindowRect(Handle(), &area);
    OffsetRect(&area, -area.left, -area.top);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    if (Lit()) {
        DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        FrameRectangle(dc, area, face);
    } else {
        FrameRectangle(dc, area, face);
        InflateRect(&area, -1, -1);
        FrameRectangle(dc, area, face);
    }
    InflateRect(&area, -1, -1);
    FrameRectangle(dc, area, GetSysColor(COLOR_WINDOW));
}

void TFlatEdit::EnabledChanged() {
    WinControl::EnabledChanged();
    const COLORREF color = GetSysColor(Enabled() ? COLOR_WINDOW : COLOR_BTNFACE);
    background_.Reset(CreateSolidBrush(color));
    SetColor(color);
}

void TFlatEdit::SysColorsChanged() {
    WinControl::SysColorsChanged();
    const COLORREF color = GetSysColor(Enabled() ? COLOR_WINDOW : COLOR_BTNFACE);
    background_.Reset(CreateSolidBrush(color));
    SetColor(color);
    Invalidate();
    PaintBorder(nullptr);
}

HBRUSH TFlatEdit::ControlColor(HDC dc) {
    SetBkColor(dc, Color());
    SetTextColor(dc, GetSysColor(Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    return background_.Get();
}

void TFlatEdit::FontChanged() {
    WinControl::FontChanged();
    AdjustHeightToFont();
}

bool TFlatEdit::PointerOver() const {
    POINT cursor;
    RECT window;
    return GetCursorPos(&cursor) && GetWindowRect(Handle(), &window) && PtInRect(&window, cursor);
}

void TFlatEdit::TrackBorderLeave() {
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE | TME_NONCLIENT, Handle(), 0};
    TrackMouseEvent(&track);
}

void TFlatEdit::MouseEnter() {
    mouseInside_ = true;
    PaintBorder();
}

void TFlatEdit::MouseLeave() {
    // Leaving the text area onto the border is not leaving the edit.
    if (PointerOver()) {
        TrackBorderLeave();
        return;
    }
    mouseInside_ = false;
    PaintBorder();
}

void TFlatEdit::Command(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange();
}

LRESULT TFlatEdit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCALCSIZE: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        RECT& proposed = wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                : *reinterpret_cast<RECT*>(lParam);
        InflateRect(&proposed, -kBorder, -kBorder);
        return result;
    }
    case WM_NCPAINT: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        PaintBorder(reinterpret_cast<HRGN>(wParam));
        return result;
    }
    case WM_NCMOUSEMOVE: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        TrackBorderLeave();
        if (!mouseInside_) MouseEnter();
        return result;
    }
    case WM_NCMOUSELEAVE:
        // Onto the text area, the pointer is still over the edit.
        if (mouseInside_ && !PointerOver()) MouseLeave();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        PaintBorder();
        return result;
    }
    }
    return WinControl::WndProc(message, wParam, lParam);
}

}  // namespace morvane
