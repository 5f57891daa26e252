#include "toolbars/dock_layout.h"

#include <algorithm>
#include <climits>
#include <set>

namespace morvane {

namespace {

// A row that is never drawn thinner than this, whatever it holds.
constexpr int kMinRowThickness = 8;
// A drop this close to a row boundary opens a new row there.
constexpr int kNewRowZone = 5;

int LengthOf(const DockedBar& bar, bool vertical) { return vertical ? bar.Height : bar.Width; }

// Gives each bar of a row a position no earlier than the end of the one before it.
void PackRow(std::vector<DockedBar>& bars, int row, bool vertical) {
    int running = 0;
    for (DockedBar& bar : bars) {
        if (bar.DockRow != row) continue;
        if (bar.DockPos <= running)
            bar.DockPos = running;
        else
            running = bar.DockPos;
        running += LengthOf(bar, vertical);
    }
}

}  // namespace

int LastRow(const std::vector<DockedBar>& bars) {
    int last = -1;
    for (const DockedBar& bar : bars) last = std::max(last, bar.DockRow);
    return last;
}

void CompactRows(std::vector<DockedBar>& bars) {
    std::set<int> used;
    for (const DockedBar& bar : bars) used.insert(bar.DockRow);
    for (DockedBar& bar : bars)
        bar.DockRow = static_cast<int>(std::distance(used.begin(), used.find(bar.DockRow)));
}

std::vector<RowExtent> RowExtents(const std::vector<DockedBar>& bars) {
    std::vector<RowExtent> rows(static_cast<size_t>(LastRow(bars) + 1));
    for (const DockedBar& bar : bars) {
        if (bar.DockRow < 0) continue;
        RowExtent& row = rows[static_cast<size_t>(bar.DockRow)];
        row.TallestChild = std::max(row.TallestChild, bar.TallestChild);
        row.WidestChild = std::max(row.WidestChild, bar.WidestChild);
    }
    for (RowExtent& row : rows) {
        row.ThicknessTopBottom = row.TallestChild + 4;
        row.ThicknessLeftRight = row.WidestChild + 4;
    }
    return rows;
}

int ArrangeRows(std::vector<DockedBar>& bars, const DockShape& dock) {
    if (bars.empty()) return dock.FixAlign ? 1 : 0;
    // Limited to one row, the bars line up in the order of their places, whatever their rows.
    if (dock.LimitToOneRow)
        for (DockedBar& bar : bars) bar.DockRow = 0;
    std::stable_sort(bars.begin(), bars.end(), [](const DockedBar& a, const DockedBar& b) {
        return a.DockRow != b.DockRow ? a.DockRow < b.DockRow : a.DockPos < b.DockPos;
    });
    CompactRows(bars);
    const std::vector<RowExtent> extents = RowExtents(bars);
    const int lastRow = LastRow(bars);

    for (int row = 0; row <= lastRow; ++row) PackRow(bars, row, dock.Vertical);

    // A row running past the far edge moves back so that it ends there.
    for (int row = 0; row <= lastRow; ++row) {
        const DockedBar* last = nullptr;
        for (const DockedBar& bar : bars)
            if (bar.DockRow == row) last = &bar;
        if (!last) continue;
        const int excess = last->DockPos + LengthOf(*last, dock.Vertical) - dock.ClientLength;
        if (excess <= 0) continue;
        for (DockedBar& bar : bars)
            if (bar.DockRow == row) bar.DockPos -= excess;
    }

    // Packing again from 0 keeps a row longer than the dock starting at the near edge.
    int offset = 0;
    for (int row = 0; row <= lastRow; ++row) {
        const RowExtent& extent = extents[static_cast<size_t>(row)];
        const int thickness = dock.Vertical ? extent.ThicknessLeftRight : extent.ThicknessTopBottom;
        PackRow(bars, row, dock.Vertical);
        for (DockedBar& bar : bars) {
            if (bar.DockRow != row) continue;
            if (dock.Vertical) {
                bar.Left = offset;
                bar.Top = bar.DockPos;
                bar.Width = thickness;
            } else {
                bar.Left = bar.DockPos;
                bar.Top = offset;
                bar.Height = thickness;
            }
        }
        offset += std::max(kMinRowThickness, thickness);
    }
    return offset;
}

RowDrop DropRowAt(const std::vector<DockedBar>& bars, bool vertical, int offset) {
    const std::vector<RowExtent> extents = RowExtents(bars);
    const int rows = static_cast<int>(extents.size());
    int start = 0;
    for (int row = 0; row <= rows; ++row) {
        int end = INT_MAX;
        if (row < rows) {
            const RowExtent& extent = extents[static_cast<size_t>(row)];
            end = start + (vertical ? extent.ThicknessLeftRight : extent.ThicknessTopBottom);
        }
        if (offset <= start + kNewRowZone) return {row, true};
        if (offset <= end - kNewRowZone) return {row, false};
        start = end;
    }
    return {rows, true};
}

void OpenRow(std::vector<DockedBar>& bars, int row) {
    for (DockedBar& bar : bars)
        if (bar.DockRow >= row) ++bar.DockRow;
}

}  // namespace morvane
