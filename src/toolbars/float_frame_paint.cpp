#include "toolbars/float_frame_paint.h"

#include "ui/gdi.h"

namespace morvane {

namespace {

// The caption is drawn by hand (never by the system), so that its look and its shortening are
// the same everywhere.
void PaintCaption(HDC dc, const FloatFrameLook& look, int clientWidth) {
    RECT caption = CaptionRect(look.Frame, clientWidth, look.CloseButton);
    const COLORREF background = GetSysColor(COLOR_ACTIVECAPTION);
    FillRectangle(dc, caption, background);
    InflateRect(&caption, -1, 0);
    if (caption.right > caption.left) {
        const UniqueFont font(CreateFontW(-MulDiv(11, look.Dpi, USER_DEFAULT_SCREEN_DPI), 0, 0, 0, FW_NORMAL, FALSE,
                                          FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
        SelectedObject selected(dc, font.Get());
        const int room = caption.right - caption.left;
        const std::wstring text = ShortenCaption(look.Caption, [&](const std::wstring& candidate) {
            SIZE extent{};
            GetTextExtentPoint32W(dc, candidate.c_str(), static_cast<int>(candidate.size()), &extent);
            return extent.cx <= room;
        });
        SetBkMode(dc, OPAQUE);
        SetBkColor(dc, background);
        SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &caption, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    // The line between the caption and the client area.
    const int y = look.Frame.Frame + look.Frame.Caption - 1;
    DrawLine(dc, look.Frame.Frame, y, look.Frame.Frame + clientWidth, y, GetSysColor(COLOR_BTNFACE));
}

}  // namespace

void PaintFloatFrame(HDC dc, const FloatFrameLook& look, unsigned parts) {
    const int clientWidth = look.Window.cx - 2 * look.Frame.Frame;
    if (parts & ffBorder) {
        RECT border{0, 0, look.Window.cx, look.Window.cy};
        DrawEdge(dc, &border, EDGE_RAISED, BF_RECT | BF_ADJUST);
        for (int ring = 2; ring < look.Frame.Frame; ++ring) {
            FrameRectangle(dc, border, GetSysColor(COLOR_BTNFACE));
            InflateRect(&border, -1, -1);
        }
    }
    if (parts & ffCaption) PaintCaption(dc, look, clientWidth);
    if (!look.CloseButton) return;
    const RECT close = CloseButtonRect(look.Frame, clientWidth);
    if (parts & ffCloseButton) {
        RECT face = close;
        InflateRect(&face, -1, -1);
        DrawFrameControl(dc, &face, DFC_CAPTION, DFCS_CAPTIONCLOSE | (look.ClosePressed ? DFCS_PUSHED : 0));
    }
    if (parts & ffCaption) FrameRectangle(dc, close, GetSysColor(COLOR_ACTIVECAPTION));
}

}  // namespace morvane
