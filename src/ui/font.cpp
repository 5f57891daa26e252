#include "ui/font.h"

#include <cwchar>

#include "ui/dpi.h"

namespace morvane {

UniqueFont CreateProgramFont(bool bold, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(9, dpi > 0 ? dpi : SystemDpi(), 72);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcscpy(font.lfFaceName, L"ＭＳ Ｐゴシック");
    return UniqueFont(CreateFontIndirectW(&font));
}

int LineHeight(HFONT font) {
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

int EntryHeightForDpi(int design, HFONT font, int dpi) {
    const int scaled = ScaleToDpi(design, dpi);
    // At design size the entries keep their designed height whatever the font.
    if (dpi == kDesignDpi) return scaled;
    const int line = LineHeight(font);
    return line > scaled ? line : scaled;
}

}  // namespace morvane
