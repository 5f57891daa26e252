#pragma once
// The arithmetic of a toolbar: how its controls line up in groups, with margins, separators and,
// floating, wrapped lines. Plain functions over plain data; the toolbar feeds its controls in.
#include <windows.h>

#include <vector>

#include "toolbars/dock_layout.h"

namespace morvane {

// How a toolbar is laid out: in its own floating window, or docked along a horizontal or a
// vertical dock.
enum TBarPlacement { bpFloating, bpHorizontal, bpVertical };

struct BarMargins {
    int Top = 0;       // thickness axis, before the first line
    int Bottom = 0;    // thickness axis, after the last line
    int Leading = 0;   // length axis, before the first control
    int Trailing = 0;  // length axis, after the last control
};
// A docked toolbar keeps room for its drag handle before its first control; a floating one
// never shows the handle.
BarMargins MarginsFor(TBarPlacement placement, bool dragHandle);

// One visible control of the toolbar, in the toolbar's order.
struct BarItem {
    int Width = 0;
    int Height = 0;
    bool Separator = false;
    bool Blank = false;  // a separator that draws nothing
};

// Where a wrapped line starts (Y of its top) and whether the separator that ended the line
// before it draws its etched line.
struct BarLineBreak {
    int Y = 0;
    bool Blank = false;
};

struct BarLayoutRequest {
    TBarPlacement Placement = bpHorizontal;
    bool DragHandle = false;
    // Width at which a floating toolbar wraps its groups onto a new line; 0 is one line.
    int WrapWidth = 0;
    // The dock row's shared extent when the toolbar centres its controls on its row's line;
    // none uses the toolbar's own tallest and widest control.
    const RowExtent* Row = nullptr;
};

struct BarLayout {
    int TallestChild = 8;
    int WidestChild = 8;
    SIZE Client{};
    std::vector<RECT> Places;  // one per item, in the toolbar's client coordinates
    std::vector<BarLineBreak> LineBreaks;
};

// The tallest and the widest control that is not a separator, each at least 8.
void MeasureBarItems(const std::vector<BarItem>& items, int& tallest, int& widest);

// A separator's length along the toolbar.
int SeparatorLength(TBarPlacement placement);

BarLayout LayOutBar(const std::vector<BarItem>& items, const BarLayoutRequest& request);

}  // namespace morvane
