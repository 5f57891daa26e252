#include "toolbars/bar_layout.h"

#include <algorithm>
#include <climits>

namespace morvane {

namespace {

constexpr int kMinChildSize = 8;
// The gap between two wrapped lines of groups.
constexpr int kLineGap = 6;

// A run of controls that ends with a separator (or with the last control).
struct Group {
    std::vector<size_t> Items;
    int Length = 0;  // the controls' lengths, separators not counted
};

}  // namespace

BarMargins MarginsFor(TBarPlacement placement, bool dragHandle) {
    if (placement == bpFloating) return {2, 1, 4, 4};
    return {2, 2, dragHandle ? 11 : 2, 2};
}

void MeasureBarItems(const std::vector<BarItem>& items, int& tallest, int& widest) {
    tallest = widest = kMinChildSize;
    for (const BarItem& item : items) {
        if (item.Separator) continue;
        tallest = std::max(tallest, item.Height);
        widest = std::max(widest, item.Width);
    }
}

int SeparatorLength(TBarPlacement placement) { return placement == bpVertical ? 4 : 6; }

BarLayout LayOutBar(const std::vector<BarItem>& items, const BarLayoutRequest& request) {
    const TBarPlacement placement = request.Placement;
    const bool vertical = placement == bpVertical;
    const bool docked = placement != bpFloating;
    const int wrap = (docked || request.WrapWidth == 0) ? INT_MAX : request.WrapWidth;
    const BarMargins margins = MarginsFor(placement, request.DragHandle);
    const auto lengthOf = [&](const BarItem& item) { return vertical ? item.Height : item.Width; };
    const auto thicknessOf = [&](const BarItem& item) { return vertical ? item.Width : item.Height; };
    // Sums that would pass INT_MAX compare as "does not fit" only when they really do not.
    const auto exceeds = [wrap](long long end) { return end > wrap; };

    BarLayout layout;
    layout.Places.resize(items.size());
    std::vector<Group> groups;
    for (size_t i = 0; i < items.size(); ++i) {
        const BarItem& item = items[i];
        if (groups.empty() || (!groups.back().Items.empty() && items[groups.back().Items.back()].Separator))
            groups.emplace_back();
        groups.back().Items.push_back(i);
        if (!item.Separator) groups.back().Length += lengthOf(item);
    }
    MeasureBarItems(items, layout.TallestChild, layout.WidestChild);
    const int ownThickness = vertical ? layout.WidestChild : layout.TallestChild;
    const int rowSize = request.Row ? (vertical ? request.Row->WidestChild : request.Row->TallestChild)
                                    : ownThickness;

    int extent = 0;
    int y = margins.Top;
    int lineHeight = ownThickness;
    if (groups.empty()) {
        extent = margins.Leading + kMinChildSize;
        lineHeight = docked ? rowSize : kMinChildSize;
    } else {
        int x = 0;
        bool firstGroup = true;
        bool wrappedInside = false;
        int extentBeforeSeparator = 0;  // before the separator that ended the previous group
        for (size_t g = 0; g < groups.size(); ++g) {
            const Group& group = groups[g];
            bool newLine = placement == bpFloating && wrappedInside;
            if (!newLine) {
                if (firstGroup) {
                    x += margins.Leading;
                    firstGroup = false;
                }
                if (exceeds(static_cast<long long>(x) + group.Length + margins.Trailing))
                    newLine = true;
                else
                    extent = std::max(extent, x);
            }
            if (newLine) {
                x = margins.Leading;
                extent = std::max(extent, x);
                if (g > 0) {
                    y += lineHeight + kLineGap;
                    // The separator that ended the previous group now ends a line: it takes no
                    // room, and the etched line between the lines stands for it.
                    extent = extentBeforeSeparator;
                    const size_t separator = groups[g - 1].Items.back();
                    RECT& place = layout.Places[separator];
                    if (vertical)
                        place.bottom = place.top;
                    else
                        place.right = place.left;
                    layout.LineBreaks.push_back({y, items[separator].Blank});
                }
            }
            wrappedInside = false;
            for (size_t index : group.Items) {
                const BarItem& item = items[index];
                const int length = item.Separator ? SeparatorLength(placement) : lengthOf(item);
                if (!item.Separator && exceeds(static_cast<long long>(x) + length + margins.Trailing)) {
                    x = margins.Leading;
                    extent = std::max(extent, x);
                    y += lineHeight;
                    wrappedInside = true;
                }
                int along = x;
                int across = y;
                int thickness = rowSize;
                if (!item.Separator) {
                    across = y + (rowSize - thicknessOf(item)) / 2;
                    thickness = thicknessOf(item);
                }
                layout.Places[index] = vertical ? RECT{across, along, across + thickness, along + length}
                                                : RECT{along, across, along + length, across + thickness};
                x += length;
                if (item.Separator) extentBeforeSeparator = extent;
                extent = std::max(extent, x);
            }
        }
    }

    int length = extent + margins.Trailing;
    int thickness = y + lineHeight + margins.Bottom;
    if (docked) {
        const int rowThickness = request.Row ? (vertical ? request.Row->ThicknessLeftRight
                                                         : request.Row->ThicknessTopBottom)
                                             : ownThickness + 4;
        thickness = std::max(thickness, rowThickness);
    }
    layout.Client = vertical ? SIZE{thickness, length} : SIZE{length, thickness};
    return layout;
}

}  // namespace morvane
