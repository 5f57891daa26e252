#include "toolbars/float_frame.h"

#include "ui/dpi.h"

namespace morvane {

namespace {

constexpr wchar_t kEllipsis[] = L"...";
constexpr size_t kEllipsisLength = 3;

bool IsTrailSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsLeadSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

// The number of characters in the text, a surrogate pair counting once.
size_t CharacterCount(const std::wstring& text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(IsTrailSurrogate(text[i]) && i > 0 && IsLeadSurrogate(text[i - 1]))) ++count;
    return count;
}

}  // namespace

FloatFrame SystemFloatFrame(int dpi) {
    return {SystemMetricForDpi(SM_CXFRAME, dpi), SystemMetricForDpi(SM_CYSMCAPTION, dpi)};
}

SIZE FloatWindowSize(SIZE client, const FloatFrame& frame) {
    return {client.cx + 2 * frame.Frame, client.cy + 2 * frame.Frame + frame.Caption};
}

RECT FloatClientRect(const RECT& window, const FloatFrame& frame) {
    return {window.left + frame.Frame, window.top + frame.Frame + frame.Caption, window.right - frame.Frame,
            window.bottom - frame.Frame};
}

RECT CaptionRect(const FloatFrame& frame, int clientWidth, bool withoutCloseButton) {
    RECT caption{frame.Frame, frame.Frame, frame.Frame + clientWidth, frame.Frame + frame.Caption - 1};
    if (withoutCloseButton) caption.right -= frame.Caption - 1;
    return caption;
}

RECT CloseButtonRect(const FloatFrame& frame, int clientWidth) {
    RECT button = CaptionRect(frame, clientWidth, false);
    button.left = button.right - (frame.Caption - 1);
    return button;
}

LRESULT FloatHitTest(POINT point, SIZE window, const FloatFrame& frame, bool closeButton) {
    const int clientWidth = window.cx - 2 * frame.Frame;
    const RECT caption = CaptionRect(frame, clientWidth, false);
    if (PtInRect(&caption, point)) {
        const RECT close = CloseButtonRect(frame, clientWidth);
        return closeButton && PtInRect(&close, point) ? HTCLOSE : HTCLIENT;
    }
    const int x = point.x;
    const int y = point.y;
    const int f = frame.Frame;
    if (y >= 0 && y <= f) return HTTOP;
    if (y >= window.cy - f - 1 && y < window.cy) return HTBOTTOM;
    if (x >= 0 && x <= f) return HTLEFT;
    if (x >= window.cx - f - 1 && x < window.cx) return HTRIGHT;
    return HTNOWHERE;
}

std::wstring ShortenCaption(const std::wstring& text, const std::function<bool(const std::wstring&)>& fits) {
    if (fits(text)) return text;
    std::wstring shortened = text + kEllipsis;
    // One character and the "..." always stay.
    while (!fits(shortened) && CharacterCount(shortened) > 1 + kEllipsisLength) {
        size_t cut = shortened.size() - kEllipsisLength - 1;
        if (cut > 0 && IsTrailSurrogate(shortened[cut]) && IsLeadSurrogate(shortened[cut - 1])) --cut;
        shortened.erase(cut, shortened.size() - kEllipsisLength - cut);
    }
    return shortened;
}

}  // namespace morvane
