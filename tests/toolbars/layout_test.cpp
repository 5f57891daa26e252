// The arithmetic of docks and toolbars, without windows.
#include <gtest/gtest.h>

#include "toolbars/bar_layout.h"
#include "toolbars/dock_layout.h"

namespace morvane {
namespace {

DockedBar Bar(int row, int pos, int width, int height = 47, int tallest = 43, int widest = 8) {
    DockedBar bar;
    bar.DockRow = row;
    bar.DockPos = pos;
    bar.Width = width;
    bar.Height = height;
    bar.TallestChild = tallest;
    bar.WidestChild = widest;
    return bar;
}

DockShape Horizontal(int length) { return {false, length, false, false}; }

TEST(DockArithmetic, RowsNeverOverlapAndEndAtTheFarEdgeWhereTheyCan) {
    std::vector<DockedBar> none;
    EXPECT_EQ(ArrangeRows(none, Horizontal(200)), 0);
    EXPECT_EQ(ArrangeRows(none, {false, 200, false, true}), 1);

    std::vector<DockedBar> pushed{Bar(0, 0, 100), Bar(0, 10, 100)};
    ArrangeRows(pushed, Horizontal(500));
    EXPECT_EQ(pushed[0].DockPos, 0);
    EXPECT_EQ(pushed[1].DockPos, 100);

    // The row end 250 passes the edge by 50; both move back, the first is clamped to 0.
    std::vector<DockedBar> overflow{Bar(0, 150, 100), Bar(0, 0, 100)};
    ArrangeRows(overflow, Horizontal(200));
    EXPECT_EQ(overflow[0].DockPos, 0);
    EXPECT_EQ(overflow[1].DockPos, 100);
    EXPECT_EQ(overflow[1].Left, 100);

    // A row longer than the dock starts at 0 and runs past the far edge.
    std::vector<DockedBar> tooLong{Bar(0, 0, 150), Bar(0, 300, 150)};
    ArrangeRows(tooLong, Horizontal(200));
    EXPECT_EQ(tooLong[0].Left, 0);
    EXPECT_EQ(tooLong[1].Left, 150);
}

TEST(DockArithmetic, RowsAreCompactedAndAsThickAsTheirTallestControl) {
    // The main window: two toolbars in row 0 over controls 43 high.
    std::vector<DockedBar> main{Bar(0, 184, 315, 10), Bar(0, 0, 184, 10)};
    EXPECT_EQ(ArrangeRows(main, Horizontal(605)), 47);
    EXPECT_EQ(main[0].Left, 0);
    EXPECT_EQ(main[0].Width, 184);
    EXPECT_EQ(main[1].Left, 184);
    EXPECT_EQ(main[1].Height, 47);
    EXPECT_EQ(main[1].Top, 0);

    // Rows 0 and 3 in use become 0 and 1; a row of toolbars without controls is 8 + 4 thick.
    std::vector<DockedBar> gaps{Bar(3, 0, 50, 12, 8), Bar(0, 0, 50, 26, 22)};
    EXPECT_EQ(ArrangeRows(gaps, Horizontal(300)), 26 + 12);
    EXPECT_EQ(gaps[0].DockRow, 0);
    EXPECT_EQ(gaps[1].DockRow, 1);
    EXPECT_EQ(gaps[1].Top, 26);
    EXPECT_EQ(gaps[1].Height, 12);
    const std::vector<RowExtent> extents = RowExtents(gaps);
    ASSERT_EQ(extents.size(), 2u);
    EXPECT_EQ(extents[1].TallestChild, 8);

    // One row only: everything lands in row 0, in position order, whatever row it had.
    std::vector<DockedBar> limited{Bar(1, 0, 50, 47, 43, 1), Bar(0, 80, 50, 47, 43, 2), Bar(2, 10, 50, 47, 43, 3)};
    EXPECT_EQ(ArrangeRows(limited, {false, 400, true, false}), 47);
    for (const DockedBar& bar : limited) EXPECT_EQ(bar.DockRow, 0);
    EXPECT_EQ(limited[0].WidestChild, 1);
    EXPECT_EQ(limited[0].DockPos, 0);
    EXPECT_EQ(limited[1].WidestChild, 3);
    EXPECT_EQ(limited[1].DockPos, 50);
    EXPECT_EQ(limited[2].WidestChild, 2);
    EXPECT_EQ(limited[2].DockPos, 100);

    // A vertical dock lines toolbars up along its height and sizes rows by the widest control.
    std::vector<DockedBar> vertical{Bar(0, 0, 10, 120, 22, 30), Bar(0, 0, 10, 60, 22, 23)};
    EXPECT_EQ(ArrangeRows(vertical, {true, 500, false, false}), 34);
    EXPECT_EQ(vertical[1].Top, 120);
    EXPECT_EQ(vertical[1].Left, 0);
    EXPECT_EQ(vertical[1].Width, 34);
    EXPECT_EQ(vertical[1].Height, 60);
}

TEST(DockArithmetic, DropsNearARowBoundaryOpenANewRow) {
    // Row 0 is 47 thick, row 1 is 26.
    std::vector<DockedBar> bars{Bar(0, 0, 100, 47, 43), Bar(1, 0, 100, 26, 22)};
    const auto drop = [&](int offset) {
        const RowDrop at = DropRowAt(bars, false, offset);
        return std::make_pair(at.Row, at.NewRow);
    };
    EXPECT_EQ(drop(3), std::make_pair(0, true));
    EXPECT_EQ(drop(20), std::make_pair(0, false));
    EXPECT_EQ(drop(42), std::make_pair(0, false));
    EXPECT_EQ(drop(45), std::make_pair(1, true));
    EXPECT_EQ(drop(52), std::make_pair(1, true));
    EXPECT_EQ(drop(60), std::make_pair(1, false));
    EXPECT_EQ(drop(70), std::make_pair(2, true));
    EXPECT_EQ(drop(5000), std::make_pair(2, false));  // a row after the last is a new row anyway

    OpenRow(bars, 1);
    EXPECT_EQ(bars[0].DockRow, 0);
    EXPECT_EQ(bars[1].DockRow, 2);
    EXPECT_EQ(LastRow(bars), 2);
}

BarItem Item(int width, int height) { return {width, height, false, false}; }
BarItem Separator(bool blank = false) { return {6, 43, true, blank}; }

TEST(BarArithmetic, DockedToolbarsKeepTheirMarginsAndCentreOnTheRow) {
    BarLayoutRequest docked;
    const BarLayout empty = LayOutBar({}, docked);
    EXPECT_EQ(empty.Client.cx, 12);
    EXPECT_EQ(empty.Client.cy, 12);

    // The command toolbar of the main window.
    const std::vector<BarItem> commands{Item(61, 43), Separator(), Item(61, 43), Item(61, 43), Item(61, 43),
                                        Item(61, 43)};
    const BarLayout main = LayOutBar(commands, docked);
    EXPECT_EQ(main.Client.cx, 315);
    EXPECT_EQ(main.Client.cy, 47);
    EXPECT_EQ(main.TallestChild, 43);
    const std::vector<LONG> lefts{2, 63, 69, 130, 191, 252};
    for (size_t i = 0; i < lefts.size(); ++i) {
        EXPECT_EQ(main.Places[i].left, lefts[i]);
        EXPECT_EQ(main.Places[i].top, 2);
    }
    EXPECT_EQ(main.Places[1].right - main.Places[1].left, 6);
    EXPECT_EQ(main.Places[1].bottom - main.Places[1].top, 43);

    // With a drag handle the first control moves past it.
    docked.DragHandle = true;
    EXPECT_EQ(LayOutBar(commands, docked).Places[0].left, 11);
    EXPECT_EQ(LayOutBar(commands, docked).Client.cx, 324);

    // In a row whose tallest control is 43, controls 22 high sit centred at 2 + 10.
    const RowExtent row{43, 8, 47, 12};
    BarLayoutRequest inRow;
    inRow.Row = &row;
    const BarLayout small = LayOutBar({Item(23, 22), Item(23, 22)}, inRow);
    EXPECT_EQ(small.Places[0].top, 12);
    EXPECT_EQ(small.Client.cy, 47);
    EXPECT_EQ(small.TallestChild, 22);

    // Vertical: controls follow one another downwards, a separator takes 4 pixels.
    BarLayoutRequest vertical;
    vertical.Placement = bpVertical;
    const BarLayout down = LayOutBar({Item(23, 22), {6, 43, true, false}, Item(31, 22)}, vertical);
    EXPECT_EQ(down.Places[0].top, 2);
    EXPECT_EQ(down.Places[0].left, 2 + (31 - 23) / 2);
    EXPECT_EQ(down.Places[1].top, 24);
    EXPECT_EQ(down.Places[1].bottom - down.Places[1].top, 4);
    EXPECT_EQ(down.Places[1].right - down.Places[1].left, 31);
    EXPECT_EQ(down.Places[2].top, 28);
    EXPECT_EQ(down.Client.cx, 35);
    EXPECT_EQ(down.Client.cy, 52);
}

TEST(BarArithmetic, FloatingToolbarsWrapWholeGroupsAndMarkTheLineBreaks) {
    const std::vector<BarItem> items{Item(23, 22), Item(23, 22), Separator(),     Item(23, 22),
                                     Item(23, 22), Separator(true), Item(23, 22)};
    BarLayoutRequest floating;
    floating.Placement = bpFloating;
    const BarLayout oneLine = LayOutBar(items, floating);
    EXPECT_EQ(oneLine.Client.cx, 135);
    EXPECT_EQ(oneLine.Client.cy, 25);
    EXPECT_TRUE(oneLine.LineBreaks.empty());
    EXPECT_EQ(oneLine.Places[6].left, 108);

    // At 80 pixels every group starts a line 6 pixels below the one before; the separator that
    // ended a line takes no room.
    floating.WrapWidth = 80;
    const BarLayout wrapped = LayOutBar(items, floating);
    EXPECT_EQ(wrapped.Client.cx, 54);
    EXPECT_EQ(wrapped.Client.cy, 81);
    ASSERT_EQ(wrapped.LineBreaks.size(), 2u);
    EXPECT_EQ(wrapped.LineBreaks[0].Y, 30);
    EXPECT_FALSE(wrapped.LineBreaks[0].Blank);
    EXPECT_EQ(wrapped.LineBreaks[1].Y, 58);
    EXPECT_TRUE(wrapped.LineBreaks[1].Blank);
    EXPECT_EQ(wrapped.Places[2].right - wrapped.Places[2].left, 0);
    EXPECT_EQ(wrapped.Places[3].left, 4);
    EXPECT_EQ(wrapped.Places[3].top, 30);
    EXPECT_EQ(wrapped.Places[6].top, 58);

    // A group too wide for a line wraps inside itself, without the gap; the next group starts
    // a new line. Five buttons in one group, each on its own line.
    floating.WrapWidth = 31;
    const BarLayout column = LayOutBar(std::vector<BarItem>(5, Item(23, 22)), floating);
    EXPECT_EQ(column.Client.cx, 31);
    EXPECT_EQ(column.Client.cy, 113);
    EXPECT_EQ(column.Places[4].top, 90);
    const BarLayout afterInside = LayOutBar({Item(23, 22), Item(23, 22), Separator(), Item(23, 22)}, floating);
    EXPECT_EQ(afterInside.Places[1].top, 24);
    EXPECT_EQ(afterInside.Places[3].top, 52);
    EXPECT_EQ(afterInside.Client.cy, 75);

    // Docked toolbars never wrap.
    BarLayoutRequest docked;
    docked.WrapWidth = 31;
    EXPECT_EQ(LayOutBar(std::vector<BarItem>(5, Item(23, 22)), docked).Client.cx, 2 + 115 + 2);
}

}  // namespace
}  // namespace morvane
