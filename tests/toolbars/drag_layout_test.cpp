// The arithmetic of floating frames, dragging and resizing, without windows.
#include <gtest/gtest.h>

#include "toolbars/bar_layout.h"
#include "toolbars/drag_layout.h"
#include "toolbars/float_frame.h"

inline bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }
inline void PrintTo(const RECT& r, std::ostream* out) {
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}
inline void PrintTo(const SIZE& s, std::ostream* out) { *out << s.cx << " x " << s.cy; }

namespace morvane {
namespace {

TEST(FloatFrameGeometry, FrameCaptionCloseButtonAndHitCodes) {
    const FloatFrame frame{4, 16};
    EXPECT_EQ(FloatWindowSize({123, 25}, frame), (SIZE{131, 49}));
    EXPECT_EQ(FloatClientRect({100, 50, 231, 99}, frame), (RECT{104, 70, 227, 95}));
    EXPECT_EQ(CaptionRect(frame, 123, false), (RECT{4, 4, 127, 19}));
    EXPECT_EQ(CaptionRect(frame, 123, true), (RECT{4, 4, 112, 19}));
    EXPECT_EQ(CloseButtonRect(frame, 123), (RECT{112, 4, 127, 19}));

    const SIZE window{131, 49};
    const auto hit = [&](int x, int y, bool close = true) { return FloatHitTest({x, y}, window, frame, close); };
    EXPECT_EQ(hit(10, 10), HTCLIENT);  // the caption is where the toolbar is grabbed
    EXPECT_EQ(hit(120, 10), HTCLOSE);
    EXPECT_EQ(hit(120, 10, false), HTCLIENT);
    EXPECT_EQ(hit(126, 18), HTCLOSE);
    EXPECT_EQ(hit(50, 0), HTTOP);
    EXPECT_EQ(hit(50, 3), HTTOP);
    EXPECT_EQ(hit(50, 44), HTBOTTOM);
    EXPECT_EQ(hit(50, 48), HTBOTTOM);
    EXPECT_EQ(hit(0, 30), HTLEFT);
    EXPECT_EQ(hit(4, 30), HTLEFT);
    EXPECT_EQ(hit(126, 30), HTRIGHT);
    EXPECT_EQ(hit(130, 30), HTRIGHT);
    EXPECT_EQ(hit(5, 30), HTNOWHERE);
    EXPECT_EQ(hit(125, 30), HTNOWHERE);
    // No corner codes: top and bottom win.
    EXPECT_EQ(hit(0, 0), HTTOP);
    EXPECT_EQ(hit(130, 2), HTTOP);
    EXPECT_EQ(hit(0, 48), HTBOTTOM);
    EXPECT_EQ(hit(130, 46), HTBOTTOM);
    EXPECT_EQ(hit(131, 30), HTNOWHERE);
}

TEST(FloatFrameGeometry, ShortenedCaptionsKeepTheFirstCharacterAndWholeSurrogatePairs) {
    const auto within = [](size_t units) { return [units](const std::wstring& text) { return text.size() <= units; }; };
    EXPECT_EQ(ShortenCaption(L"ツールバー", within(5)), L"ツールバー");
    EXPECT_EQ(ShortenCaption(L"ABCDEFGH", within(6)), L"ABC...");
    // Nothing fits: the first character stays anyway.
    EXPECT_EQ(ShortenCaption(L"ABCDEFGH", within(2)), L"A...");
    // 𠮷 takes two code units; the cut never leaves half of it before the "...".
    const std::wstring yoshi = L"\U00020BB7";
    EXPECT_EQ(ShortenCaption(L"A" + yoshi + L"BCD", within(5)), L"A...");
    EXPECT_EQ(ShortenCaption(L"A" + yoshi + L"BCDE", within(6)), L"A" + yoshi + L"...");
    // A first character made of a pair is kept whole.
    EXPECT_EQ(ShortenCaption(yoshi + L"ABC", within(3)), yoshi + L"...");
    EXPECT_EQ(ShortenCaption(yoshi + yoshi + L"ABC", within(6)), yoshi + L"...");
}

TEST(DragArithmetic, OutlineKeepsTheGrabPointAndStaysReachable) {
    // Grabbed at its right end, a 200 wide toolbar shows a 100 wide outline with the cursor at
    // its right end too.
    EXPECT_EQ(PlaceOutline({500, 300}, {100, 47}, {199, 0}, {200, 30}), (RECT{401, 300, 501, 347}));
    EXPECT_EQ(PlaceOutline({500, 300}, {100, 47}, {0, 29}, {200, 30}), (RECT{500, 254, 600, 301}));
    EXPECT_EQ(PlaceOutline({500, 300}, {301, 47}, {100, 15}, {201, 31}), (RECT{350, 277, 651, 324}));

    const RECT work{0, 0, 1024, 740};
    // F + 4 = 8 pixels stay inside the work area on every side.
    EXPECT_EQ(KeepOutlineReachable({-500, 100, -400, 150}, work, 4), (RECT{-92, 100, 8, 150}));
    EXPECT_EQ(KeepOutlineReachable({1100, 100, 1200, 150}, work, 4), (RECT{1016, 100, 1116, 150}));
    EXPECT_EQ(KeepOutlineReachable({10, -90, 110, -40}, work, 4), (RECT{10, -42, 110, 8}));
    EXPECT_EQ(KeepOutlineReachable({10, 800, 110, 850}, work, 4), (RECT{10, 732, 110, 782}));
    EXPECT_EQ(KeepOutlineReachable({-91, 100, 9, 150}, work, 4), (RECT{-91, 100, 9, 150}));
    EXPECT_EQ(ClampIntoRect({-5, 900}, work).x, 0);
    EXPECT_EQ(ClampIntoRect({-5, 900}, work).y, 739);

    // A window is moved fully into the work area; one larger than it keeps its top-left corner in.
    EXPECT_EQ(KeepRectOnScreen({1000, 700, 1100, 760}, work), (RECT{924, 680, 1024, 740}));
    EXPECT_EQ(KeepRectOnScreen({-20, -30, 80, 20}, work), (RECT{0, 0, 100, 50}));
    EXPECT_EQ(KeepRectOnScreen({500, 500, 1600, 1300}, work), (RECT{0, 0, 1100, 800}));
}

TEST(DragArithmetic, DockChoiceOrderReachAndDropPlace) {
    const SIZE bar{200, 30};
    DockTarget top{{100, 100, 400, 147}, false, true, {150, 47}};
    // Grabbed at the top-left corner: up to 32 pixels before the dock and 20 above it count.
    EXPECT_TRUE(FitsDock(top, {68, 80}, {0, 0}, bar));
    EXPECT_FALSE(FitsDock(top, {67, 80}, {0, 0}, bar));
    EXPECT_FALSE(FitsDock(top, {68, 79}, {0, 0}, bar));
    EXPECT_TRUE(FitsDock(top, {399, 146}, {0, 0}, bar));
    EXPECT_FALSE(FitsDock(top, {400, 120}, {0, 0}, bar));
    EXPECT_FALSE(FitsDock(top, {200, 147}, {0, 0}, bar));
    // Grabbed at the bottom-right corner the reach moves to the far side.
    EXPECT_FALSE(FitsDock(top, {99, 120}, {199, 29}, bar));
    EXPECT_TRUE(FitsDock(top, {431, 166}, {199, 29}, bar));
    EXPECT_FALSE(FitsDock(top, {432, 120}, {199, 29}, bar));
    // At 150 % the reach is 48 and 30 pixels.
    DockTarget scaled = top;
    scaled.Dpi = 144;
    EXPECT_TRUE(FitsDock(scaled, {52, 70}, {0, 0}, bar));
    EXPECT_FALSE(FitsDock(scaled, {51, 70}, {0, 0}, bar));
    EXPECT_FALSE(FitsDock(scaled, {52, 69}, {0, 0}, bar));

    // An empty dock is a line two pixels thick.
    const DockTarget emptyTop{{0, 50, 600, 50}, false, true, {150, 12}};
    EXPECT_TRUE(FitsDock(emptyTop, {300, 45}, {100, 10}, bar));
    EXPECT_FALSE(FitsDock(emptyTop, {300, 70}, {100, 10}, bar));
    const DockTarget emptyLeft{{0, 50, 0, 500}, true, true, {12, 150}};
    EXPECT_TRUE(FitsDock(emptyLeft, {0, 200}, {5, 5}, bar));
    EXPECT_FALSE(FitsDock(emptyLeft, {0, 30}, {5, 5}, bar));  // a vertical dock only along its length

    // Where a left dock and a top dock both fit, the top one wins; one that refuses drops never
    // does, even listed first; of two of a kind the first listed wins.
    const DockTarget upper{{0, 0, 600, 47}, false, true, {150, 47}};
    const DockTarget left{{0, 47, 30, 500}, true, true, {30, 150}};
    DockTarget closed = upper;
    closed.AllowDrag = false;
    const DockTarget upperAgain = upper;
    const std::vector<DockTarget> docks{left, closed, upper, upperAgain};
    const POINT corner{10, 50};
    const POINT grab{0, 29};
    EXPECT_TRUE(FitsDock(left, corner, grab, bar));
    EXPECT_TRUE(FitsDock(closed, corner, grab, bar));
    EXPECT_EQ(ChooseDock(docks, corner, grab, bar, true), 2);
    EXPECT_EQ(ChooseDock({left, closed}, corner, grab, bar, true), 0);
    EXPECT_EQ(ChooseDock({left, closed}, corner, grab, bar, false), -1);
    EXPECT_EQ(ChooseDock(docks, {700, 700}, grab, bar, true), -1);

    // The middle of the outline picks the row; its leading edge is the place along the row.
    EXPECT_EQ(DropPlace({10, 40, 110, 87}, false).Offset, 63);
    EXPECT_EQ(DropPlace({10, 40, 110, 87}, false).Pos, 10);
    EXPECT_EQ(DropPlace({10, -41, 45, 100}, true).Offset, 27);
    EXPECT_EQ(DropPlace({10, -41, 45, 100}, true).Pos, -41);
    EXPECT_EQ(DropPlace({0, -7, 10, 0}, false).Offset, -3);  // halving toward zero
}

std::vector<SIZE> ClientSizes(const std::vector<SIZE>& windows, SIZE frame) {
    std::vector<SIZE> clients;
    for (const SIZE& size : windows) clients.push_back({size.cx - frame.cx, size.cy - frame.cy});
    return clients;
}

TEST(ResizeArithmetic, FiveButtonsGiveFourSizesAndEdgeDragsPickThem) {
    const std::vector<BarItem> buttons(5, BarItem{23, 22, false, false});
    int measured = 0;
    const auto measure = [&](int wrap) {
        ++measured;
        BarLayoutRequest request;
        request.Placement = bpFloating;
        request.WrapWidth = wrap;
        return LayOutBar(buttons, request).Client;
    };
    const SIZE frame{8, 24};
    const std::vector<SIZE> byWidth = SizeChoices(measure, 23, frame, true);
    // 100 x 47 goes: the narrower 77 x 47 has the same height.
    EXPECT_EQ(ClientSizes(byWidth, frame), (std::vector<SIZE>{{123, 25}, {77, 47}, {54, 69}, {31, 113}}));
    EXPECT_LT(measured, 20);  // trial widths that give a known layout are not measured
    const std::vector<SIZE> byHeight = SizeChoices(measure, 23, frame, false);
    EXPECT_EQ(ClientSizes(byHeight, frame), (std::vector<SIZE>{{31, 113}, {54, 69}, {77, 47}, {123, 25}}));

    EXPECT_EQ(SnapDistance(byWidth, {131, 49}, true), 12);
    EXPECT_EQ(SnapDistance(byWidth, {85, 71}, true), 12);
    EXPECT_EQ(SnapDistance({{100, 10}, {95, 20}, {60, 30}}, {95, 20}, true), 4);
    EXPECT_EQ(SnapDistance({{100, 10}, {100, 20}}, {100, 20}, true), 0);
    EXPECT_EQ(SnapDistance(byHeight, {85, 71}, false), 12);

    // Dragging the right edge of the one-line window (131 wide at x 100).
    ResizeTracking right(byWidth, SizingEdge::Right, {100, 100, 231, 149}, 4);
    EXPECT_EQ(right.WrapWidth(0), 0);
    EXPECT_FALSE(right.Move({131 + 11, 20}));  // within the snap distance, either way
    EXPECT_FALSE(right.Move({131 - 12, 20}));
    EXPECT_EQ(right.Outline(), (RECT{100, 100, 231, 149}));
    EXPECT_TRUE(right.Move({131 - 13, 20}));
    EXPECT_EQ(right.Outline(), (RECT{100, 100, 185, 171}));
    EXPECT_EQ(right.WrapWidth(0), 85 - 4);
    EXPECT_TRUE(right.Move({70, 20}));  // on the way in, no snapping
    EXPECT_EQ(right.Outline(), (RECT{100, 100, 162, 193}));
    EXPECT_FALSE(right.Move({62 + 11, 20}));  // turning round snaps again
    EXPECT_TRUE(right.Move({80, 20}));
    EXPECT_EQ(right.Outline(), (RECT{100, 100, 185, 171}));
    EXPECT_TRUE(right.Move({2000, 20}));
    EXPECT_EQ(right.Outline(), (RECT{100, 100, 231, 149}));
    EXPECT_TRUE(right.Move({-50, 20}));  // past everything: the smallest size
    EXPECT_EQ(right.Outline(), (RECT{100, 100, 139, 237}));

    // A cursor resting between two sizes further apart than the snap distance: the system repeats
    // the move, and the outline stays instead of swinging between them.
    ResizeTracking resting(byWidth, SizingEdge::Right, {100, 100, 231, 149}, 4);
    EXPECT_TRUE(resting.Move({100, 20}));
    EXPECT_EQ(resting.Outline(), (RECT{100, 100, 185, 171}));
    EXPECT_FALSE(resting.Move({100, 20}));
    EXPECT_EQ(resting.Outline(), (RECT{100, 100, 185, 171}));

    // The left edge moves the left side; the top edge moves the top and keeps the left side.
    ResizeTracking left(byWidth, SizingEdge::Left, {100, 100, 231, 149}, 4);
    EXPECT_TRUE(left.Move({131 - 62, 20}));
    EXPECT_EQ(left.Outline(), (RECT{169, 100, 231, 193}));
    ResizeTracking top(byHeight, SizingEdge::Top, {100, 100, 231, 149}, 4);
    EXPECT_FALSE(top.Move({10, -5}));
    EXPECT_TRUE(top.Move({10, -15}));
    EXPECT_EQ(top.Outline(), (RECT{100, 78, 185, 149}));
    EXPECT_EQ(top.WrapWidth(7), 85 - 4);
}

}  // namespace
}  // namespace morvane
