#pragma once
// The dock: a self-painted container aligned to one edge of a form that holds toolbars in rows,
// grows and shrinks to fit them, tiles an optional background that its toolbars continue and
// draws optional etched lines on its edges.
#include <functional>
#include <vector>

#include "toolbars/bar_layout.h"
#include "toolbars/dock_layout.h"
#include "ui/bitmap.h"
#include "ui/control.h"

namespace morvane {

class TFlatToolbar;

enum TDockPosition { dpTop, dpBottom, dpLeft, dpRight };

// Edges that get a one-pixel etched line outside the client area.
enum TDockBoundLinesValues : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TDockBoundLines = unsigned;

class TFlatDock : public WinControl {
public:
    // The owner must be a form; the dock starts as its child, aligned to its top.
    explicit TFlatDock(WinControl& owner);
    ~TFlatDock() override;

    // Every live dock a form owns, in creation order: the drop targets of its toolbars.
    static std::vector<TFlatDock*> OwnedBy(const WinControl& form);

    bool AllowDrag() const { return allowDrag_; }
    void SetAllowDrag(bool allow);
    const Bitmap& Background() const { return background_; }
    void SetBackground(const Bitmap* image);
    bool BackgroundTransparent() const { return backgroundTransparent_; }
    void SetBackgroundTransparent(bool transparent);
    TDockBoundLines BoundLines() const { return boundLines_; }
    void SetBoundLines(TDockBoundLines lines);
    bool FixAlign() const { return fixAlign_; }
    void SetFixAlign(bool fix);
    // Takes effect at the next arrangement.
    bool LimitToOneRow() const { return limitToOneRow_; }
    void SetLimitToOneRow(bool limit) { limitToOneRow_ = limit; }
    TDockPosition Position() const { return position_; }
    void SetPosition(TDockPosition position);
    bool Vertical() const { return position_ == dpLeft || position_ == dpRight; }

    // After a toolbar was added to (inserting) or removed from the bar list.
    std::function<void(TFlatDock& dock, bool inserting, TFlatToolbar& bar)> OnInsertRemoveBar;
    // After every size change of the dock's window.
    std::function<void()> OnResize;

    void SetParent(WinControl* parent) override;

    // The visible docked toolbars, in the order of the last arrangement.
    const std::vector<TFlatToolbar*>& BarList() const { return barList_; }
    void UpdateBarList(bool inserting, TFlatToolbar& bar, bool visible);
    void ArrangeRows();
    void RefreshRowExtents();
    RowExtent RowExtentOf(int row, const TFlatToolbar& bar) const;
    int LastRow() const;
    // While the lock is raised, ArrangeRows does nothing.
    void LockRowLayout() { ++rowLayoutLock_; }
    void UnlockRowLayout() { --rowLayoutLock_; }
    // For a drop along the thickness axis: the row it lands in, or a new row before it.
    RowDrop DropRowAt(int offset) const;
    void OpenRow(int row);

    // Tiles the background over `tiles`, clipped to `clip`.
    void PaintTiles(HDC dc, const RECT& clip, const RECT& tiles);
    // Where the tiles start, in the dock's client coordinates: the top-left corner of its
    // parent's client area, so the pattern runs on across the dock and its toolbars.
    POINT TileOrigin() const;
    void RepaintBackground();
    void Paint(HDC dc) override;
    void SysColorsChanged() override;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void AlignControls() override;
    void VisibleChanging(bool visible) override;

private:
    void BackgroundChanged();
    HBITMAP TransparentTile();
    void ResizeDock(int thickness);
    void PaintBoundLines(HRGN updateRegion);
    int BoundLineCount(TDockBoundLinesValues first, TDockBoundLinesValues second) const;

    WinControl& owner_;
    bool allowDrag_ = true;
    Bitmap background_;
    bool backgroundTransparent_ = false;
    UniqueBitmap transparentTile_;
    TDockBoundLines boundLines_ = 0;
    bool fixAlign_ = false;
    bool limitToOneRow_ = false;
    TDockPosition position_ = dpTop;
    std::vector<TFlatToolbar*> barList_;
    std::vector<RowExtent> rowExtents_;
    int rowLayoutLock_ = 0;
};

// Holds a dock's row layout lock for as long as it lives; for no dock it holds nothing.
class RowLayoutGuard {
public:
    explicit RowLayoutGuard(TFlatDock* dock) : dock_(dock) {
        if (dock_) dock_->LockRowLayout();
    }
    ~RowLayoutGuard() {
        if (dock_) dock_->UnlockRowLayout();
    }
    RowLayoutGuard(const RowLayoutGuard&) = delete;
    RowLayoutGuard& operator=(const RowLayoutGuard&) = delete;

private:
    TFlatDock* dock_;
};

// How a toolbar in the dock is laid out; bpFloating for no dock.
TBarPlacement PlacementOf(const TFlatDock* dock);

// Checks that a component's owner is a form; the message tells which component refused.
WinControl& RequireFormOwner(WinControl& owner, const wchar_t* message);

}  // namespace morvane
