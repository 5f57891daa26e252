#include "toolbars/drag_layout.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace morvane {

namespace {

// The margins around a dock within which the cursor still counts as over it, shared out by the
// grab point: grabbed at its left end, the toolbar docks from further left, and so on.
constexpr int kDockReachAlong = 32;
constexpr int kDockReachAcross = 20;
// An edge drag shorter than this keeps the size.
constexpr int kMaxSnap = 12;
// What a floating toolbar adds to its widest control: its leading and trailing margins.
constexpr int kFloatingMargins = 8;

bool Intersects(const RECT& a, const RECT& b) {
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

}  // namespace

RECT PlaceOutline(POINT cursor, SIZE candidate, POINT grab, SIZE bar) {
    const int left = cursor.x - MulDiv(candidate.cx - 1, grab.x, bar.cx - 1);
    const int top = cursor.y - MulDiv(candidate.cy - 1, grab.y, bar.cy - 1);
    return {left, top, left + candidate.cx, top + candidate.cy};
}

RECT KeepOutlineReachable(RECT outline, const RECT& workArea, int frame) {
    RECT area = workArea;
    InflateRect(&area, -(frame + 4), -(frame + 4));
    if (outline.bottom < area.top) OffsetRect(&outline, 0, area.top - outline.bottom);
    if (outline.top > area.bottom) OffsetRect(&outline, 0, area.bottom - outline.top);
    if (outline.right < area.left) OffsetRect(&outline, area.left - outline.right, 0);
    if (outline.left > area.right) OffsetRect(&outline, area.right - outline.left, 0);
    return outline;
}

POINT ClampIntoRect(POINT point, const RECT& area) {
    return {std::clamp(point.x, area.left, std::max(area.left, area.right - 1)),
            std::clamp(point.y, area.top, std::max(area.top, area.bottom - 1))};
}

RECT KeepRectOnScreen(RECT bounds, const RECT& workArea) {
    if (bounds.right > workArea.right) OffsetRect(&bounds, workArea.right - bounds.right, 0);
    if (bounds.bottom > workArea.bottom) OffsetRect(&bounds, 0, workArea.bottom - bounds.bottom);
    if (bounds.left < workArea.left) OffsetRect(&bounds, workArea.left - bounds.left, 0);
    if (bounds.top < workArea.top) OffsetRect(&bounds, 0, workArea.top - bounds.top);
    return bounds;
}

bool FitsDock(const DockTarget& dock, POINT cursor, POINT grab, SIZE bar) {
    RECT area = dock.Client;
    // An empty dock is a line the toolbar can still be dropped on.
    if (area.right <= area.left || area.bottom <= area.top) {
        if (dock.Vertical)
            InflateRect(&area, 1, 0);
        else
            InflateRect(&area, 0, 1);
    }
    const int along = MulDiv(kDockReachAlong, dock.Dpi, USER_DEFAULT_SCREEN_DPI);
    const int across = MulDiv(kDockReachAcross, dock.Dpi, USER_DEFAULT_SCREEN_DPI);
    const int m = MulDiv(along, grab.x, bar.cx - 1);
    const int n = MulDiv(across, grab.y, bar.cy - 1);
    if (cursor.x < area.left - (along - m) || cursor.x > area.right - 1 + m) return false;
    if (dock.Vertical && (cursor.y < area.top || cursor.y >= area.bottom)) return false;
    if (cursor.y < area.top - (across - n) || cursor.y > area.bottom - 1 + n) return false;
    return Intersects(PlaceOutline(cursor, dock.Candidate, grab, bar), area);
}

int ChooseDock(const std::vector<DockTarget>& docks, POINT cursor, POINT grab, SIZE bar, bool canDockLeftRight) {
    for (const bool vertical : {false, true}) {
        if (vertical && !canDockLeftRight) break;
        for (size_t i = 0; i < docks.size(); ++i)
            if (docks[i].Vertical == vertical && docks[i].AllowDrag && FitsDock(docks[i], cursor, grab, bar))
                return static_cast<int>(i);
    }
    return -1;
}

DockDrop DropPlace(const RECT& outline, bool vertical) {
    if (vertical) return {(outline.left + outline.right) / 2, outline.top};
    return {(outline.top + outline.bottom) / 2, outline.left};
}

std::vector<SIZE> SizeChoices(const std::function<SIZE(int wrapWidth)>& measure, int widestChild, SIZE frame,
                              bool byWidth) {
    const auto windowSize = [&](SIZE client) { return SIZE{client.cx + frame.cx, client.cy + frame.cy}; };
    const auto same = [](SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; };
    const SIZE oneLine = measure(0);
    std::vector<SIZE> choices{windowSize(oneLine)};
    // A layout that came out narrower than its trial width is what every trial width down to it
    // gives too: those need no measuring.
    int narrowest = INT_MAX;
    for (int width = oneLine.cx - 1; width >= widestChild + kFloatingMargins; --width) {
        if (width > narrowest) continue;
        const SIZE client = measure(width);
        if (client.cx != width) {
            narrowest = client.cx;
            continue;
        }
        const SIZE size = windowSize(client);
        if (!choices.empty() && choices.back().cy == size.cy) choices.pop_back();
        if (std::none_of(choices.begin(), choices.end(), [&](SIZE c) { return same(c, size); }))
            choices.push_back(size);
    }
    std::stable_sort(choices.begin(), choices.end(),
                     [byWidth](SIZE a, SIZE b) { return byWidth ? a.cx > b.cx : a.cy > b.cy; });
    return choices;
}

int SnapDistance(const std::vector<SIZE>& choices, SIZE current, bool byWidth) {
    const auto along = [byWidth](SIZE size) -> int { return byWidth ? size.cx : size.cy; };
    int snap = kMaxSnap;
    for (size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].cx != current.cx || choices[i].cy != current.cy) continue;
        if (i > 0) snap = std::min(snap, std::abs(along(choices[i - 1]) - along(current)) - 1);
        if (i + 1 < choices.size()) snap = std::min(snap, std::abs(along(choices[i + 1]) - along(current)) - 1);
    }
    return std::max(snap, 0);
}

ResizeTracking::ResizeTracking(std::vector<SIZE> choices, SizingEdge edge, const RECT& start, int frame)
    : choices_(std::move(choices)), edge_(edge), start_(start), outline_(start), frame_(frame) {
    const SIZE current{start.right - start.left, start.bottom - start.top};
    snap_ = SnapDistance(choices_, current, ByWidth());
}

SIZE ResizeTracking::Choose(int wanted, bool shrinking) const {
    // The choices run from the largest to the smallest.
    if (shrinking) {
        for (const SIZE& choice : choices_)
            if (Along(choice) <= wanted) return choice;
        return choices_.back();
    }
    for (auto it = choices_.rbegin(); it != choices_.rend(); ++it)
        if (Along(*it) >= wanted) return *it;
    return choices_.front();
}

bool ResizeTracking::Move(POINT cursor) {
    if (choices_.empty()) return false;
    if (lastCursor_ && lastCursor_->x == cursor.x && lastCursor_->y == cursor.y) return false;
    lastCursor_ = cursor;
    const int width = start_.right - start_.left;
    const int height = start_.bottom - start_.top;
    int wanted = 0;
    switch (edge_) {
    case SizingEdge::Right:
        wanted = cursor.x;
        break;
    case SizingEdge::Left:
        wanted = width - cursor.x;
        break;
    case SizingEdge::Bottom:
        wanted = cursor.y;
        break;
    case SizingEdge::Top:
        wanted = height - cursor.y;
        break;
    }
    const int current = ByWidth() ? outline_.right - outline_.left : outline_.bottom - outline_.top;
    const bool shrinking = current > wanted;
    // Right at the start, and whenever the drag turns round, a small move keeps the size.
    if (EqualRect(&outline_, &start_) || shrinking != shrinking_) {
        shrinking_ = shrinking;
        if (wanted >= current - snap_ && wanted < current + snap_) wanted = current;
    }
    const SIZE chosen = Choose(wanted, shrinking);
    RECT outline = outline_;
    switch (edge_) {
    case SizingEdge::Right:
        outline.right = outline.left + chosen.cx;
        outline.bottom = outline.top + chosen.cy;
        break;
    case SizingEdge::Left:
        outline.left = outline.right - chosen.cx;
        outline.bottom = outline.top + chosen.cy;
        break;
    case SizingEdge::Bottom:
        outline.bottom = outline.top + chosen.cy;
        outline.right = outline.left + chosen.cx;
        break;
    case SizingEdge::Top:
        outline.top = outline.bottom - chosen.cy;
        outline.right = outline.left + chosen.cx;
        break;
    }
    wrapWidth_ = chosen.cx - frame_;
    changed_ = true;
    if (EqualRect(&outline, &outline_)) return false;
    outline_ = outline;
    return true;
}

}  // namespace morvane
