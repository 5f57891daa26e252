#pragma once
// Painting a floating toolbar's frame: the raised border, the caption bar with the toolbar's
// caption (shortened with "..." when too long) and the close button.
#include <windows.h>

#include <string>

#include "toolbars/float_frame.h"

namespace morvane {

enum FloatFrameParts : unsigned { ffBorder = 1, ffCaption = 2, ffCloseButton = 4 };

struct FloatFrameLook {
    FloatFrame Frame;
    SIZE Window{};
    std::wstring Caption;
    bool CloseButton = true;
    bool ClosePressed = false;
    int Dpi = USER_DEFAULT_SCREEN_DPI;  // of the caption's font
};

// Paints the given parts into a device context of the whole window (window coordinates).
void PaintFloatFrame(HDC dc, const FloatFrameLook& look, unsigned parts);

}  // namespace morvane
