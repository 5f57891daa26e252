#pragma once
// The arithmetic of dragging and resizing toolbars: which dock a dragged toolbar goes to, where
// its outline stands, which row a drop lands in, which sizes a floating toolbar can take and
// which one an edge drag picks. Plain functions over plain data, checked without windows.
#include <windows.h>

#include <functional>
#include <optional>
#include <vector>

namespace morvane {

// The outline of a toolbar of size `bar` grabbed at `grab` (relative to its top-left), standing
// for a toolbar of size `candidate` under the cursor: the grab point keeps its proportional
// place, so a narrower docked outline still has the cursor at the same relative spot.
RECT PlaceOutline(POINT cursor, SIZE candidate, POINT grab, SIZE bar);

// A floating outline may leave the work area only until `frame` + 4 pixels of it remain inside.
RECT KeepOutlineReachable(RECT outline, const RECT& workArea, int frame);

// A point moved into a rectangle (right and bottom edges excluded).
POINT ClampIntoRect(POINT point, const RECT& area);

// Moves a window's bounds into the work area; for a window larger than the work area its
// top-left corner wins.
RECT KeepRectOnScreen(RECT bounds, const RECT& workArea);

// A dock as a drop target: its client rectangle on the screen, its direction, whether it takes
// dropped toolbars, and the size the dragged toolbar would have in it.
struct DockTarget {
    RECT Client{};
    bool Vertical = false;
    bool AllowDrag = true;
    SIZE Candidate{};
    int Dpi = USER_DEFAULT_SCREEN_DPI;  // the margins below are design pixels at the dock's DPI
};

// Whether the cursor is close enough to the dock (a margin of up to 32 pixels along and 20
// across, shared out by the grab point) and the outline would touch it.
bool FitsDock(const DockTarget& dock, POINT cursor, POINT grab, SIZE bar);

// The dock a drop at the cursor goes to: the horizontal docks first, then (when allowed) the
// vertical ones, each kind in the given order; the first that allows dragging and fits wins.
// -1 for none.
int ChooseDock(const std::vector<DockTarget>& docks, POINT cursor, POINT grab, SIZE bar, bool canDockLeftRight);

// Where an outline (in the dock's client coordinates) drops: the middle of its thickness, for
// choosing the row, and its leading edge along the row.
struct DockDrop {
    int Offset = 0;
    int Pos = 0;
};
DockDrop DropPlace(const RECT& outline, bool vertical);

// The window sizes a floating toolbar can take, largest first along the sizing axis (widths for
// the left and right edges, heights for the top and bottom ones). `measure` gives the client
// size of the layout wrapped at a width (0: one line); `frame` is what the window adds to the
// client size. A wider layout of the same height as a narrower one is no choice of its own.
std::vector<SIZE> SizeChoices(const std::function<SIZE(int wrapWidth)>& measure, int widestChild, SIZE frame,
                              bool byWidth);

// How far an edge drag must go before the size changes: 12 pixels, less where the next choice
// on either side is nearer.
int SnapDistance(const std::vector<SIZE>& choices, SIZE current, bool byWidth);

enum class SizingEdge { Left, Right, Top, Bottom };

// One edge drag of a floating toolbar: the cursor's moves give the outline of the chosen size.
class ResizeTracking {
public:
    // `choices` as SizeChoices gives them; `start` the window's bounds; `frame` the distance from
    // the window's left edge to its client area.
    ResizeTracking(std::vector<SIZE> choices, SizingEdge edge, const RECT& start, int frame);

    // The cursor relative to the window's top-left at the start; true when the outline changed.
    // The system repeats moves where the cursor rests; a repeat changes nothing, or the outline
    // would swing between the two sizes around the cursor.
    bool Move(POINT cursor);
    const RECT& Outline() const { return outline_; }
    // The wrap width of the chosen size (the current one until the first change).
    int WrapWidth(int current) const { return changed_ ? wrapWidth_ : current; }
    int Snap() const { return snap_; }

private:
    bool ByWidth() const { return edge_ == SizingEdge::Left || edge_ == SizingEdge::Right; }
    int Along(SIZE size) const { return ByWidth() ? size.cx : size.cy; }
    SIZE Choose(int wanted, bool shrinking) const;

    std::vector<SIZE> choices_;
    SizingEdge edge_;
    RECT start_;
    RECT outline_;
    int frame_;
    int snap_;
    bool shrinking_ = false;
    bool changed_ = false;
    int wrapWidth_ = 0;
    std::optional<POINT> lastCursor_;
};

}  // namespace morvane
