#pragma once
// The arithmetic of a dock: which row each docked toolbar sits in, where along the row, and how
// thick the dock becomes. Plain functions over plain data, so the numbers can be checked alone.
#include <vector>

namespace morvane {

// One visible docked toolbar as the dock sees it. Width and Height are its outer size; the
// tallest and widest of its controls decide its row's thickness. Left and Top are outputs.
struct DockedBar {
    int DockRow = 0;
    int DockPos = 0;
    int Width = 0;
    int Height = 0;
    int TallestChild = 0;
    int WidestChild = 0;
    int Left = 0;
    int Top = 0;
};

// ClientLength: the dock's client width (horizontal dock) or height (vertical dock).
struct DockShape {
    bool Vertical = false;
    int ClientLength = 0;
    bool LimitToOneRow = false;
    bool FixAlign = false;
};

// The thickness of one row: its tallest and widest control (each at least 8) and the toolbar
// thickness they make, with the toolbar's top and bottom margins of 2.
struct RowExtent {
    int TallestChild = 8;
    int WidestChild = 8;
    int ThicknessTopBottom = 12;
    int ThicknessLeftRight = 12;
};

// Sorts the bars by row and position (equal keys keep their order; limited to one row, all are
// in row 0 first), compacts the rows, lines the bars of each row up without overlap and flush
// with the far edge where they can be, places each bar and gives it its row's thickness. Returns
// the dock's client thickness.
int ArrangeRows(std::vector<DockedBar>& bars, const DockShape& dock);

// Where a drop at an offset along the thickness axis lands: that row, or a new row before it.
struct RowDrop {
    int Row = 0;
    bool NewRow = false;
};
RowDrop DropRowAt(const std::vector<DockedBar>& bars, bool vertical, int offset);
// Moves every bar of the given row and the rows after it one row further.
void OpenRow(std::vector<DockedBar>& bars, int row);

// The largest row in use, -1 for no bars.
int LastRow(const std::vector<DockedBar>& bars);
// Renumbers the rows in use 0, 1, 2 ... without gaps.
void CompactRows(std::vector<DockedBar>& bars);
// One extent per row 0 to LastRow.
std::vector<RowExtent> RowExtents(const std::vector<DockedBar>& bars);

}  // namespace morvane
