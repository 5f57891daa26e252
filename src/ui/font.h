#pragma once
// The one typeface every window of the program uses.
#include "ui/handles.h"

namespace morvane {

// "ＭＳ Ｐゴシック", 9 point, Shift-JIS character set; bold on request.
UniqueFont CreateProgramFont(bool bold = false);

}  // namespace morvane
