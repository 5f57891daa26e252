#pragma once
// The one typeface every window of the program uses.
#include "ui/handles.h"

namespace morvane {

// "ＭＳ Ｐゴシック", 9 point at a DPI (none: the system's), Shift-JIS character set; bold on request.
UniqueFont CreateProgramFont(bool bold = false, int dpi = 0);

// The height of a line of text in a font, leading included.
int LineHeight(HFONT font);
// A list's entry height: the designed one at the DPI, but never less than a line of the font.
int EntryHeightForDpi(int design, HFONT font, int dpi);

}  // namespace morvane
