#include "toolbars/flat_toolbar.h"

#include <algorithm>

#include "toolbars/counted_lock.h"
#include "toolbars/flat_sep.h"
#include "ui/error.h"
#include "ui/gdi.h"

namespace morvane {

TFloatParent::TFloatParent(WinControl& hostForm) : WinControl(&hostForm) {
    CreateHandle(L"TFloatParent", false, 0, 0);
}

TFlatToolbar::TFlatToolbar(WinControl& owner)
    : WinControl(nullptr), hostForm_(RequireFormOwner(owner, L"TFlatToolbar must be owned by a form")) {
    SetFont(hostForm_.Font());
    {
        CountedLock lock(controlLayoutLock_);
        floatHost_ = std::make_unique<TFloatParent>(hostForm_);
        // Until it is docked (or, later, floats in a window of its own) the toolbar waits as a
        // child of its FloatHost, which has no size, so nothing of it shows.
        ChangeParent(floatHost_.get());
        CreateHandle(L"TFlatToolbar", false, WS_CLIPCHILDREN, 0);
        SetDockedTo(nullptr);
    }
    LayOutControls();
}

TFlatToolbar::~TFlatToolbar() {
    // The window goes first, while the dock and the FloatHost still know the toolbar.
    DestroyHandle();
    if (TFlatDock* dock = DockedTo()) dock->UpdateBarList(false, *this, false);
    ChangeParent(nullptr);
}

TFlatDock* TFlatToolbar::DockedTo() const { return dynamic_cast<TFlatDock*>(Parent()); }

bool TFlatToolbar::DragHandle() const {
    const TFlatDock* dock = DockedTo();
    return dock && dock->AllowDrag();
}

void TFlatToolbar::SetDockRow(int row) {
    if (row == dockRow_) return;
    dockRow_ = row;
    if (TFlatDock* dock = DockedTo()) dock->ArrangeRows();
}

void TFlatToolbar::SetDockPos(int pos) {
    if (pos == dockPos_) return;
    dockPos_ = pos;
    if (TFlatDock* dock = DockedTo()) dock->ArrangeRows();
}

void TFlatToolbar::SetParent(WinControl* parent) {
    if (parent == &hostForm_) parent = floatHost_.get();
    if (parent && !dynamic_cast<TFlatDock*>(parent) && !dynamic_cast<TFloatParent*>(parent))
        throw InvalidOperation(L"TFlatToolbar can only be placed on a TFlatDock or directly on the form");
    if (parent == Parent()) return;
    if (OnRecreating) OnRecreating();
    if (TFlatDock* old = DockedTo()) old->UpdateBarList(false, *this, false);
    WinControl::SetParent(parent);
    if (TFlatDock* dock = DockedTo()) dock->UpdateBarList(true, *this, Visible() || redockHideCount_ > 0);
    if (OnRecreated) OnRecreated();
}

void TFlatToolbar::SetDockedTo(TFlatDock* target) {
    TFlatDock* old = DockedTo();
    if (OnDockChanging && target != old) OnDockChanging();
    if (target) target->LockRowLayout();
    {
        struct Unlock {
            TFlatDock* dock;
            ~Unlock() {
                if (dock) dock->UnlockRowLayout();
            }
        } unlock{target};

        const bool hidden = target != old && Visible();
        if (hidden) {
            ++redockHideCount_;
            if (old) old->LockRowLayout();
            SetVisible(false);
            if (old) old->UnlockRowLayout();
        }
        if (target) {
            if (Parent()) LayOutControls(true, false, target, floatWrapWidth_);
            if (Parent() != target) {
                CountedLock lock(controlLayoutLock_);
                SetParent(target);
            }
            LayOutControls();
        } else {
            // The floating window itself (frame, caption, its place on the screen) comes with
            // dragging; until then the toolbar keeps its size under its FloatHost.
            if (IsRectEmpty(&floatBounds_)) floatBounds_ = {0, 0, Width(), Height()};
            if (Parent()) LayOutControls(true, false, nullptr, floatWrapWidth_);
            {
                CountedLock lock(controlLayoutLock_);
                if (Parent() != floatHost_.get()) SetParent(floatHost_.get());
                SetBounds(floatBounds_.left, floatBounds_.top, floatBounds_.right - floatBounds_.left,
                          floatBounds_.bottom - floatBounds_.top);
            }
            LayOutControls();
        }
        if (hidden) {
            --redockHideCount_;
            SetVisible(true);
        }
    }
    if (target) target->ArrangeRows();
    if (OnDockChanged && target != old) OnDockChanged();
}

void TFlatToolbar::VisibleChanged() {
    WinControl::VisibleChanged();
    // A hidden docked toolbar leaves the row; its place stays empty until it comes back.
    if (TFlatDock* dock = DockedTo(); dock && redockHideCount_ == 0) dock->UpdateBarList(Visible(), *this, Visible());
}

void TFlatToolbar::ControlListChanged(Control* child, bool inserting) {
    childOrder_.erase(std::remove(childOrder_.begin(), childOrder_.end(), child), childOrder_.end());
    if (inserting) childOrder_.push_back(child);
}

void TFlatToolbar::Loaded() {
    const bool vertical = PlacementOf(DockedTo()) == bpVertical;
    std::stable_sort(childOrder_.begin(), childOrder_.end(), [vertical](const Control* a, const Control* b) {
        return vertical ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    LayOutControls();
}

void TFlatToolbar::AlignControls() { LayOutControls(); }

SIZE TFlatToolbar::LayOutControls() { return LayOutControls(true, true, DockedTo(), floatWrapWidth_); }

SIZE TFlatToolbar::LayOutControls(bool moveControls, bool resizeSelf, TFlatDock* target, int wrapWidth) {
    if (controlLayoutLock_ > 0 || !Handle()) return {};
    CountedLock lock(controlLayoutLock_);
    const int savedTallest = tallestChild_;
    const int savedWidest = widestChild_;

    std::vector<Control*> shown;
    std::vector<BarItem> items;
    for (Control* child : childOrder_) {
        if (!child->Visible()) continue;
        shown.push_back(child);
        const auto* separator = dynamic_cast<const TFlatSep*>(child);
        items.push_back({child->Width(), child->Height(), separator != nullptr, separator && separator->Blank()});
    }
    BarLayoutRequest request;
    request.Placement = PlacementOf(target);
    request.DragHandle = DragHandle();
    request.WrapWidth = wrapWidth;
    // The dock's row decides where the controls of all its toolbars line up.
    RowExtent row;
    if (moveControls && target && target == DockedTo()) {
        MeasureBarItems(items, tallestChild_, widestChild_);
        target->RefreshRowExtents();
        row = target->RowExtentOf(dockRow_, *this);
        request.Row = &row;
    }
    const BarLayout layout = LayOutBar(items, request);
    tallestChild_ = layout.TallestChild;
    widestChild_ = layout.WidestChild;

    if (moveControls) {
        lineBreaks_ = layout.LineBreaks;
        for (size_t i = 0; i < shown.size(); ++i) {
            const RECT& place = layout.Places[i];
            shown[i]->SetBounds(place.left, place.top, place.right - place.left, place.bottom - place.top);
        }
    }
    if (resizeSelf) {
        RECT client;
        RECT window;
        GetClientRect(Handle(), &client);
        GetWindowRect(Handle(), &window);
        if (client.right != layout.Client.cx || client.bottom != layout.Client.cy) {
            const int frameWidth = (window.right - window.left) - client.right;
            const int frameHeight = (window.bottom - window.top) - client.bottom;
            SetBounds(Left(), Top(), layout.Client.cx + frameWidth, layout.Client.cy + frameHeight);
        }
    }
    if (!moveControls) {
        // A measurement leaves no trace.
        tallestChild_ = savedTallest;
        widestChild_ = savedWidest;
    }
    return layout.Client;
}

void TFlatToolbar::PaintDragHandle(HDC dc, const RECT& client) const {
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    RECT first;
    RECT second;
    if (PlacementOf(DockedTo()) == bpVertical) {
        first = {2, 4, client.right - 2, 7};
        second = {2, 7, client.right - 2, 10};
        DrawEdge(dc, &first, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        DrawEdge(dc, &second, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        SetPixel(dc, client.right - 3, 4, highlight);
        SetPixel(dc, client.right - 3, 7, highlight);
    } else {
        first = {4, 2, 7, client.bottom - 2};
        second = {7, 2, 10, client.bottom - 2};
        DrawEdge(dc, &first, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        DrawEdge(dc, &second, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        SetPixel(dc, 4, client.bottom - 3, highlight);
        SetPixel(dc, 7, client.bottom - 3, highlight);
    }
}

void TFlatToolbar::Paint(HDC dc) {
    RECT client;
    GetClientRect(Handle(), &client);
    if (TFlatDock* dock = DockedTo()) {
        DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
        RECT inside = client;
        InflateRect(&inside, -1, -1);
        // The dock's pattern runs on inside the toolbar.
        const POINT origin = dock->TileOrigin();
        const RECT tiles{origin.x - Left(), origin.y - Top(), client.right, client.bottom};
        dock->PaintTiles(dc, inside, tiles);
        if (dock->AllowDrag()) PaintDragHandle(dc, client);
        return;
    }
    // Floating: an etched line between wrapped lines, where the separator that ended the line
    // draws one.
    for (const BarLineBreak& line : lineBreaks_) {
        if (line.Blank) continue;
        DrawLine(dc, 1, line.Y - 4, client.right - 1, line.Y - 4, GetSysColor(COLOR_BTNSHADOW));
        DrawLine(dc, 1, line.Y - 3, client.right - 1, line.Y - 3, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
}

void TFlatToolbar::MouseDown(const MouseEvent& event) {
    WinControl::MouseDown(event);
    // Dragging the toolbar out of a dock that allows it starts here, with the floating window.
}

LRESULT TFlatToolbar::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOVE:
        if (TFlatDock* dock = DockedTo(); dock && !dock->Background().Empty()) Invalidate();
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: {
        const MouseEvent event = MouseEventOf(message, wParam, lParam);
        if (ControlAt({event.X, event.Y}, false)) break;  // a windowless control takes it
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        MouseDown(event);
        return result;
    }
    }
    return WinControl::WndProc(message, wParam, lParam);
}

}  // namespace morvane
