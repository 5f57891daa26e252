#include "toolbars/flat_dock.h"

#include <algorithm>

#include "toolbars/counted_lock.h"
#include "toolbars/flat_toolbar.h"
#include "ui/dpi.h"
#include "ui/error.h"
#include "ui/form.h"
#include "ui/gdi.h"

namespace morvane {

WinControl& RequireFormOwner(WinControl& owner, const wchar_t* message) {
    if (!dynamic_cast<Form*>(&owner)) throw InvalidOperation(message);
    return owner;
}

TBarPlacement PlacementOf(const TFlatDock* dock) {
    if (!dock) return bpFloating;
    return dock->Vertical() ? bpVertical : bpHorizontal;
}

namespace {

// Never destroyed: docks may still go after static objects are gone at the program's end.
std::vector<TFlatDock*>& LiveDocks() {
    static auto* docks = new std::vector<TFlatDock*>;
    return *docks;
}

}  // namespace

TFlatDock::TFlatDock(WinControl& owner)
    : WinControl(&RequireFormOwner(owner, L"TFlatDock must be owned by a form")), owner_(owner) {
    LiveDocks().push_back(this);
    {
        CountedLock lock(rowLayoutLock_);
        background_.OnChange = [this] { BackgroundChanged(); };
        // Tab goes on into the docked toolbars.
        CreateHandle(L"TFlatDock", false, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
        SetAlign(Align::Top);
    }
    ArrangeRows();
}

TFlatDock::~TFlatDock() {
    background_.OnChange = nullptr;
    auto& docks = LiveDocks();
    docks.erase(std::remove(docks.begin(), docks.end(), this), docks.end());
}

std::vector<TFlatDock*> TFlatDock::OwnedBy(const WinControl& form) {
    std::vector<TFlatDock*> owned;
    for (TFlatDock* dock : LiveDocks())
        if (&dock->owner_ == &form) owned.push_back(dock);
    return owned;
}

void TFlatDock::SetParent(WinControl* parent) {
    if (dynamic_cast<TFlatToolbar*>(parent) || dynamic_cast<TFlatDock*>(parent))
        throw InvalidOperation(L"A TFlatDock control cannot be placed inside a TFlatToolbar or another TFlatDock");
    WinControl::SetParent(parent);
}

void TFlatDock::VisibleChanging(bool visible) {
    if (!visible) throw InvalidOperation(L"Cannot hide a TFlatDock");
}

void TFlatDock::SetPosition(TDockPosition position) {
    if (!Controls().empty())
        throw InvalidOperation(L"Cannot change Position of a TFlatDock if it already contains controls");
    if (position == position_) return;
    position_ = position;
    static constexpr Align kAligns[] = {Align::Top, Align::Bottom, Align::Left, Align::Right};
    SetAlign(kAligns[position]);
}

void TFlatDock::SetAllowDrag(bool allow) {
    if (allow == allowDrag_) return;
    allowDrag_ = allow;
    // The drag handle takes room before a toolbar's first control.
    for (Control* child : Controls())
        if (auto* bar = dynamic_cast<TFlatToolbar*>(child)) {
            bar->Invalidate();
            bar->LayOutControls();
        }
}

void TFlatDock::SetBackground(const Bitmap* image) { background_.Assign(image); }

void TFlatDock::SetBackgroundTransparent(bool transparent) {
    if (transparent == backgroundTransparent_) return;
    backgroundTransparent_ = transparent;
    BackgroundChanged();
}

void TFlatDock::SetBoundLines(TDockBoundLines lines) {
    if (lines == boundLines_) return;
    boundLines_ = lines;
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TFlatDock::SetFixAlign(bool fix) {
    if (fix == fixAlign_) return;
    fixAlign_ = fix;
    ArrangeRows();
}

void TFlatDock::AlignControls() { ArrangeRows(); }

void TFlatDock::UpdateBarList(bool inserting, TFlatToolbar& bar, bool visible) {
    const auto found = std::find(barList_.begin(), barList_.end(), &bar);
    bool changed = false;
    if (found != barList_.end()) {
        barList_.erase(found);
        changed = !inserting;  // taking it out only to append it again is no change
    }
    if (inserting && visible) {
        barList_.push_back(&bar);
        changed = true;
    }
    if (!changed) return;
    ArrangeRows();
    if (OnInsertRemoveBar) OnInsertRemoveBar(*this, inserting, bar);
}

namespace {

bool ByRowAndPosition(const TFlatToolbar* a, const TFlatToolbar* b) {
    return a->DockRow() != b->DockRow() ? a->DockRow() < b->DockRow() : a->DockPos() < b->DockPos();
}

// What the row arithmetic needs of the docked toolbars: their rows and their controls' extents.
std::vector<DockedBar> RowsOf(const std::vector<TFlatToolbar*>& barList) {
    std::vector<DockedBar> bars;
    for (const TFlatToolbar* bar : barList) {
        DockedBar docked;
        docked.DockRow = bar->DockRow();
        docked.TallestChild = bar->TallestChild();
        docked.WidestChild = bar->WidestChild();
        bars.push_back(docked);
    }
    return bars;
}

}  // namespace

void TFlatDock::ArrangeRows() {
    if (rowLayoutLock_ > 0 || !Handle()) return;
    // The arithmetic sorts with the same key (after the same move into row 0) and keeps equal
    // keys in order, so its bars stay in step with the list.
    if (limitToOneRow_)
        for (TFlatToolbar* bar : barList_) bar->dockRow_ = 0;
    std::stable_sort(barList_.begin(), barList_.end(), ByRowAndPosition);
    std::vector<DockedBar> bars;
    // The rows are arranged at design size and placed at the dock's DPI.
    for (const TFlatToolbar* bar : barList_) {
        const RECT design = bar->DesignBounds();
        bars.push_back({bar->DockRow(), bar->DockPos(), design.right - design.left, design.bottom - design.top,
                        bar->TallestChild(), bar->WidestChild(), design.left, design.top});
    }
    RECT client;
    GetClientRect(Handle(), &client);
    const DockShape shape{Vertical(), ScaleFromDpi(Vertical() ? client.bottom : client.right, Dpi()), limitToOneRow_,
                          fixAlign_};
    const int thickness = morvane::ArrangeRows(bars, shape);
    {
        // Placing the toolbars makes them ask for another arrangement; this one is it.
        CountedLock lock(rowLayoutLock_);
        for (size_t i = 0; i < barList_.size(); ++i) {
            TFlatToolbar& bar = *barList_[i];
            const DockedBar& placed = bars[i];
            bar.dockRow_ = placed.DockRow;
            bar.dockPos_ = placed.DockPos;
            bar.SetDesignBounds(placed.Left, placed.Top, placed.Width, placed.Height);
        }
    }
    rowExtents_ = RowExtents(bars);
    ResizeDock(thickness);
}

int TFlatDock::BoundLineCount(TDockBoundLinesValues first, TDockBoundLinesValues second) const {
    return ((boundLines_ & first) ? 1 : 0) + ((boundLines_ & second) ? 1 : 0);
}

void TFlatDock::ResizeDock(int thickness) {
    thickness = Scaled(thickness);
    int width = Width();
    int height = Height();
    if (Vertical())
        width = thickness + BoundLineCount(blLeft, blRight);
    else
        height = thickness + BoundLineCount(blTop, blBottom);
    switch (position_) {
    case dpBottom:
        SetBounds(Left(), Top() + Height() - height, width, height);
        break;
    case dpRight:
        SetBounds(Left() + Width() - width, Top(), width, height);
        break;
    case dpTop:
    case dpLeft:
        SetBounds(Left(), Top(), width, height);
        break;
    }
}

void TFlatDock::RefreshRowExtents() { rowExtents_ = RowExtents(RowsOf(barList_)); }

RowExtent TFlatDock::RowExtentOf(int row, const TFlatToolbar& bar) const {
    if (row >= 0 && row < static_cast<int>(rowExtents_.size())) return rowExtents_[static_cast<size_t>(row)];
    return {bar.TallestChild(), bar.WidestChild(), bar.MinDockedHeight(), bar.MinDockedWidth()};
}

int TFlatDock::LastRow() const {
    int last = -1;
    for (const TFlatToolbar* bar : barList_) last = std::max(last, bar->DockRow());
    return last;
}

RowDrop TFlatDock::DropRowAt(int offset) const {
    return morvane::DropRowAt(RowsOf(barList_), Vertical(), ScaleFromDpi(offset, Dpi()));
}

void TFlatDock::OpenRow(int row) {
    for (TFlatToolbar* bar : barList_)
        if (bar->DockRow() >= row) ++bar->dockRow_;
}

POINT TFlatDock::TileOrigin() const {
    return {-(Left() + ((boundLines_ & blLeft) ? 1 : 0)), -(Top() + ((boundLines_ & blTop) ? 1 : 0))};
}

void TFlatDock::PaintTiles(HDC dc, const RECT& clip, const RECT& tiles) {
    const int width = background_.Width();
    const int height = background_.Height();
    if (width == 0 || height == 0) return;
    const HBITMAP tile = backgroundTransparent_ ? TransparentTile() : background_.Handle();
    if (!tile) return;
    MemoryDC source(tile);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    for (int x = tiles.left; x < tiles.right; x += width)
        for (int y = tiles.top; y < tiles.bottom; y += height) BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
    RestoreDC(dc, saved);
}

HBITMAP TFlatDock::TransparentTile() {
    if (transparentTile_) return transparentTile_.Get();
    const int width = background_.Width();
    const int height = background_.Height();
    UniqueBitmap tile = CreateColorBitmap(width, height);
    UniqueBitmap mask = CreateMaskBitmap(width, height);
    if (!tile || !mask) return nullptr;
    const COLORREF transparent = background_.Pixel(0, height - 1);  // before the bitmap is selected below
    {
        MemoryDC image(background_.Handle());
        MemoryDC target(tile.Get());
        MemoryDC holes(mask.Get());
        // The mask is set where the background has its bottom-left pixel's colour.
        SetBkColor(image, transparent);
        BitBlt(holes, 0, 0, width, height, image, 0, 0, SRCCOPY);
        const RECT all{0, 0, width, height};
        FillRectangle(target, all, Color() == CLR_INVALID ? GetSysColor(COLOR_BTNFACE) : Color());
        // target = hole ? target : image
        SetBkColor(target, RGB(255, 255, 255));
        SetTextColor(target, RGB(0, 0, 0));
        BitBlt(target, 0, 0, width, height, image, 0, 0, SRCINVERT);
        BitBlt(target, 0, 0, width, height, holes, 0, 0, SRCAND);
        BitBlt(target, 0, 0, width, height, image, 0, 0, SRCINVERT);
    }
    transparentTile_ = std::move(tile);
    return transparentTile_.Get();
}

void TFlatDock::Paint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    const POINT origin = TileOrigin();
    const RECT tiles{origin.x, origin.y, client.right, client.bottom};
    PaintTiles(dc, client, tiles);
}

void TFlatDock::RepaintBackground() {
    Invalidate();
    for (TFlatToolbar* bar : barList_) bar->Invalidate();
}

void TFlatDock::BackgroundChanged() {
    transparentTile_.Reset();
    RepaintBackground();
}

void TFlatDock::SysColorsChanged() {
    BackgroundChanged();
    WinControl::SysColorsChanged();
}

void TFlatDock::PaintBoundLines(HRGN updateRegion) {
    RECT window;
    GetWindowRect(Handle(), &window);
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    if (width < 2 || height < 2) return;
    NonClientDC dc(Handle(), updateRegion);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    if (boundLines_ & blTop) DrawLine(dc, 0, 0, width, 0, shadow);
    if (boundLines_ & blBottom) DrawLine(dc, 0, height - 1, width, height - 1, highlight);
    if (boundLines_ & blLeft) DrawLine(dc, 0, 0, 0, height, shadow);
    if (boundLines_ & blRight) DrawLine(dc, width - 1, 0, width - 1, height, highlight);
}

LRESULT TFlatDock::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCALCSIZE: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        RECT& proposed = wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                : *reinterpret_cast<RECT*>(lParam);
        if (proposed.right - proposed.left >= 2 && proposed.bottom - proposed.top >= 2) {
            if (boundLines_ & blTop) ++proposed.top;
            if (boundLines_ & blBottom) --proposed.bottom;
            if (boundLines_ & blLeft) ++proposed.left;
            if (boundLines_ & blRight) --proposed.right;
        }
        return result;
    }
    case WM_NCPAINT: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        PaintBoundLines(reinterpret_cast<HRGN>(wParam));
        return result;
    }
    case WM_MOVE:
        if (!background_.Empty()) RepaintBackground();
        break;
    case WM_SIZE: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        if (OnResize) OnResize();
        return result;
    }
    }
    return WinControl::WndProc(message, wParam, lParam);
}

}  // namespace morvane
