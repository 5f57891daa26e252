#include "ui/font.h"

#include <cwchar>

namespace morvane {

UniqueFont CreateProgramFont(bool bold) {
    LOGFONTW font{};
    const HDC screen = GetDC(nullptr);
    font.lfHeight = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    wcscpy(font.lfFaceName, L"ＭＳ Ｐゴシック");
    return UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace morvane
