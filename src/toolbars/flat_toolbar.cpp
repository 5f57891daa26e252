#include "toolbars/flat_toolbar.h"

#include <windowsx.h>

#include <algorithm>

#include "toolbars/counted_lock.h"
#include "toolbars/flat_sep.h"
#include "toolbars/float_frame_paint.h"
#include "toolbars/toolbar_hooks.h"
#include "toolbars/toolbar_tracking.h"
#include "ui/dpi.h"
#include "ui/font.h"
#include "ui/application.h"
#include "ui/error.h"
#include "ui/gdi.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace morvane {

namespace {

// Never destroyed: toolbars may still go after static objects are gone at the program's end.
std::vector<TFlatToolbar*>& LiveToolbars() {
    static auto* toolbars = new std::vector<TFlatToolbar*>;
    return *toolbars;
}

// A parked window waits just left of every monitor.
int ParkedLeft(int width) { return GetSystemMetrics(SM_XVIRTUALSCREEN) - width; }

}  // namespace

TFloatParent::TFloatParent(WinControl& hostForm) : WinControl(&hostForm) {
    CreateHandle(L"TFloatParent", false, 0, 0);
}

TFlatToolbar::TFlatToolbar(WinControl& owner)
    : WinControl(nullptr),
      owner_(RequireFormOwner(owner, L"TFlatToolbar must be owned by a form")),
      hostForm_(HostFormOf(owner_)) {
    {
        CountedLock lock(controlLayoutLock_);
        // A tool window owned by the host form; it shows from Loaded on.
        MakeWindow(hostForm_.Handle(), WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW);
        ChangeParent(floatHost_.get());
        SetParked(true);
        SetDockedTo(nullptr);
    }
    LayOutControls();
}

TFlatToolbar::TFlatToolbar(WinControl& owner, TFlatDock& dock, int dockPos)
    : WinControl(nullptr),
      owner_(RequireFormOwner(owner, L"TFlatToolbar must be owned by a form")),
      hostForm_(HostFormOf(owner_)),
      dockPos_(dockPos) {
    {
        CountedLock lock(controlLayoutLock_);
        // A hidden child of the dock from the start: no tool window is made only to be docked
        // (under Wine each costs the display a window of its own).
        MakeWindow(dock.Handle(), WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0);
    }
    SetDockedTo(&dock);
}

void TFlatToolbar::MakeWindow(HWND parent, DWORD style, DWORD exStyle) {
    SetFont(hostForm_.Font());
    LiveToolbars().push_back(this);
    floatHost_ = std::make_unique<TFloatParent>(hostForm_);
    CreateHandle(L"TFlatToolbar", false, style, exStyle, parent);
    hookedHost_ = hostForm_.Handle();
    HookRegistry::Install(HookKind::Form, hostForm_);
    if (&owner_ != &hostForm_) {
        hookedOwner_ = owner_.Handle();
        HookRegistry::Install(HookKind::MdiChild, owner_);
    }
}

TFlatToolbar::~TFlatToolbar() {
    life_.reset();
    // The window goes first, while the dock and the FloatHost still know the toolbar.
    DestroyHandle();
    if (TFlatDock* dock = DockedTo()) dock->UpdateBarList(false, *this, false);
    ChangeParent(nullptr);
    auto& toolbars = LiveToolbars();
    toolbars.erase(std::remove(toolbars.begin(), toolbars.end(), this), toolbars.end());
    HookRegistry::Uninstall(HookKind::Form, hookedHost_);
    if (hookedOwner_) HookRegistry::Uninstall(HookKind::MdiChild, hookedOwner_);
}

std::vector<TFlatToolbar*> TFlatToolbar::OwnedBy(const WinControl& form) {
    std::vector<TFlatToolbar*> owned;
    for (TFlatToolbar* bar : LiveToolbars())
        if (&bar->owner_ == &form) owned.push_back(bar);
    return owned;
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
    // The form that owns the toolbar (an MDI child, not its frame) means floating.
    if (parent == &owner_) parent = floatHost_.get();
    if (parent && !dynamic_cast<TFlatDock*>(parent) && !dynamic_cast<TFloatParent*>(parent))
        throw InvalidOperation(L"TFlatToolbar can only be placed on a TFlatDock or directly on the form");
    // Placing it on its current parent again counts as a change too: the dock takes it out and in.
    if (OnRecreating) OnRecreating();
    if (TFlatDock* old = DockedTo()) old->UpdateBarList(false, *this, false);
    if (parent != Parent()) {
        ChangeParent(parent);
        // A docked toolbar is never parked; its dock places it.
        if (DockedTo()) parked_ = false;
        MatchWindowToParent();
        if (Parent()) Parent()->Realign();
    }
    if (TFlatDock* dock = DockedTo()) dock->UpdateBarList(true, *this, Visible() || redockHideCount_ > 0);
    if (OnRecreated) OnRecreated();
}

void TFlatToolbar::MatchWindowToParent() {
    const HWND window = Handle();
    if (!window) return;
    const LONG_PTR visible = GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE;
    if (TFlatDock* dock = DockedTo()) {
        SetWindowLongPtrW(window, GWL_EXSTYLE, DockedExStyle());
        SetWindowLongPtrW(window, GWL_STYLE,
                          WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | DockedKeyboardStyle() | visible);
        ::SetParent(window, dock->Handle());
    } else {
        ::SetParent(window, nullptr);
        // A top-level window reads its identifier as a menu.
        SetWindowLongPtrW(window, GWLP_ID, 0);
        SetWindowLongPtrW(window, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN | visible);
        SetWindowLongPtrW(window, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
        SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hostForm_.Handle()));
    }
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

DWORD TFlatToolbar::DockedKeyboardStyle() const {
    return keys_.HasButtons() ? WS_TABSTOP : 0;
}

DWORD TFlatToolbar::DockedExStyle() const {
    for (const Control* child : Controls())
        if (child->Windowed()) return WS_EX_CONTROLPARENT;
    return 0;
}

RECT TFlatToolbar::RealBounds() const {
    RECT bounds = BoundsRect();
    if (parked_ && !DockedTo()) OffsetRect(&bounds, trueLeft_ - bounds.left, 0);
    return bounds;
}

RECT TFlatToolbar::FloatBounds() const { return DockedTo() ? floatBounds_ : RealBounds(); }

void TFlatToolbar::SetFloatBounds(const RECT& bounds) {
    floatBounds_ = bounds;
    if (!DockedTo() && Handle()) PlaceFloatingWindow(bounds);
}

void TFlatToolbar::PlaceFloatingWindow(const RECT& bounds, bool raise) {
    trueLeft_ = bounds.left;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    SetWindowPos(Handle(), HWND_TOP, parked_ ? ParkedLeft(width) : bounds.left, bounds.top, width, height,
                 SWP_NOACTIVATE | (raise ? 0 : SWP_NOZORDER));
    RECT placed;
    GetWindowRect(Handle(), &placed);
    SyncBounds(placed);
}

void TFlatToolbar::BoundsChanged() {
    // A floating toolbar's bounds are its window's place on the screen, kept off it while parked.
    if (!DockedTo() && Handle()) {
        PlaceFloatingWindow(BoundsRect());
        return;
    }
    WinControl::BoundsChanged();
}

void TFlatToolbar::SetParked(bool parked) {
    if (parked == parked_) return;
    if (DockedTo() || !Handle()) {
        parked_ = parked;
        return;
    }
    const RECT bounds = RealBounds();
    parked_ = parked;
    // Coming back, it shows above its form, which may have come to the top meanwhile.
    PlaceFloatingWindow(bounds, !parked);
}

void TFlatToolbar::KeepOnScreen(bool onlyIfOffScreen) {
    if (DockedTo() || !Handle()) return;
    const RECT bounds = RealBounds();
    const RECT workArea = ScreenWorkArea();
    RECT common;
    if (onlyIfOffScreen && IntersectRect(&common, &bounds, &workArea)) return;
    PlaceFloatingWindow(KeepRectOnScreen(bounds, workArea));
}

void TFlatToolbar::SetCloseButton(bool show) {
    if (show == closeButton_) return;
    closeButton_ = show;
    PaintFrame(nullptr, ffCaption | ffCloseButton);
}

void TFlatToolbar::SetCloseButtonPressed(bool pressed) {
    if (pressed == closeButtonPressed_) return;
    closeButtonPressed_ = pressed;
    PaintFrame(nullptr, ffCloseButton);
}

int TFlatToolbar::Dpi() const { return ownDpi_ && !DockedTo() ? ownDpi_ : WinControl::Dpi(); }

void TFlatToolbar::TakeOwnDpi(int dpi) {
    const int old = Dpi();
    const HFONT oldFont = ownFont_ ? ownFont_.Get() : owner_.Font();
    UniqueFont font = dpi ? CreateProgramFont(false, dpi) : UniqueFont();
    ownDpi_ = dpi;
    if (Dpi() == old) return;
    const HFONT newFont = font ? font.Get() : owner_.Font();
    SetFont(newFont);
    FollowDpiBelow(old, oldFont, newFont);
    ownFont_ = std::move(font);
    DpiChanged(old);
}

void TFlatToolbar::DpiChanged(int) {
    LayOutControls();
    Invalidate();
    if (!DockedTo() && Handle())
        SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TFlatToolbar::SetDockedTo(TFlatDock* target) {
    TFlatDock* old = DockedTo();
    // Docked, the toolbar is at its form's DPI.
    if (target && ownDpi_) TakeOwnDpi(0);
    if (OnDockChanging && target != old) OnDockChanging();
    {
        const RowLayoutGuard targetLock(target);
        const bool hidden = target != old && Visible();
        // Where it floated is kept for its next float.
        if (!old && target) floatBounds_ = RealBounds();
        if (hidden) {
            ++redockHideCount_;
            const RowLayoutGuard oldLock(old);
            SetVisible(false);
        }
        if (target) {
            if (Parent()) LayOutControls(true, false, target, floatWrapWidth_);
            if (Parent() != target) {
                CountedLock lock(controlLayoutLock_);
                SetParent(target);
            }
            LayOutControls();
        } else {
            // The first float puts the window at the screen's top-left corner.
            if (IsRectEmpty(&floatBounds_)) {
                const SIZE size = FloatWindowSize({Width(), Height()}, Frame());
                floatBounds_ = {0, 0, size.cx, size.cy};
            }
            if (Parent()) LayOutControls(true, false, nullptr, floatWrapWidth_);
            {
                CountedLock lock(controlLayoutLock_);
                if (Parent() != floatHost_.get()) SetParent(floatHost_.get());
                PlaceFloatingWindow(floatBounds_, true);
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
    // A floating window shows without taking the activation from its form.
    if (!DockedTo() && Handle())
        ShowWindow(Handle(), Visible() ? SW_SHOWNA : SW_HIDE);
    else
        WinControl::VisibleChanged();
    // A hidden docked toolbar leaves the row; its place stays empty until it comes back.
    if (TFlatDock* dock = DockedTo(); dock && redockHideCount_ == 0) dock->UpdateBarList(Visible(), *this, Visible());
}

void TFlatToolbar::ControlListChanged(Control* child, bool inserting) {
    childOrder_.erase(std::remove(childOrder_.begin(), childOrder_.end(), child), childOrder_.end());
    if (inserting) childOrder_.push_back(child);
}

void TFlatToolbar::Loaded() {
    if (!DockedTo()) {
        // The place given before loading is in the form's client coordinates.
        RECT bounds = RealBounds();
        MapWindowPoints(owner_.Handle(), nullptr, reinterpret_cast<POINT*>(&bounds), 2);
        PlaceFloatingWindow(bounds);
        KeepOnScreen(false);
    }
    const bool vertical = PlacementOf(DockedTo()) == bpVertical;
    std::stable_sort(childOrder_.begin(), childOrder_.end(), [vertical](const Control* a, const Control* b) {
        return vertical ? a->Top() < b->Top() : a->Left() < b->Left();
    });
    LayOutControls();
    if (DockedTo()) {
        // Its buttons and windows exist now: the keyboard's styles follow them.
        const LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE) & ~static_cast<LONG_PTR>(WS_TABSTOP);
        SetWindowLongPtrW(Handle(), GWL_STYLE, style | DockedKeyboardStyle());
        SetWindowLongPtrW(Handle(), GWL_EXSTYLE, DockedExStyle());
        // Last among the dock's windows: Tab visits the toolbars in the order they were loaded.
        SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    UpdateFloatingVisibility(hostForm_, App().Active());
    if (!DockedTo() && Visible()) ShowWindow(Handle(), SW_SHOWNA);
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
        const RECT design = child->DesignBounds();
        items.push_back({design.right - design.left, design.bottom - design.top, separator != nullptr,
                         separator && separator->Blank()});
    }
    BarLayoutRequest request;
    request.Placement = PlacementOf(target);
    request.DragHandle = DragHandle();
    request.WrapWidth = ScaleFromDpi(wrapWidth, Dpi());
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
            shown[i]->SetDesignBounds(place.left, place.top, place.right - place.left, place.bottom - place.top);
        }
    }
    // Measured for a dock, the size is the one it will have there, at the dock's DPI.
    const int dpi = target ? target->Dpi() : Dpi();
    const SIZE size{ScaleToDpi(layout.Client.cx, dpi), ScaleToDpi(layout.Client.cy, dpi)};
    if (resizeSelf) {
        if (DockedTo()) {
            // Docked, the toolbar is its client area, placed by the dock at design size too.
            const RECT design = DesignBounds();
            if (design.right - design.left != layout.Client.cx || design.bottom - design.top != layout.Client.cy)
                SetDesignBounds(design.left, design.top, layout.Client.cx, layout.Client.cy);
        } else {
            RECT client;
            RECT window;
            GetClientRect(Handle(), &client);
            GetWindowRect(Handle(), &window);
            if (client.right != size.cx || client.bottom != size.cy) {
                const int frameWidth = (window.right - window.left) - client.right;
                const int frameHeight = (window.bottom - window.top) - client.bottom;
                const RECT real = RealBounds();
                SetBounds(real.left, real.top, size.cx + frameWidth, size.cy + frameHeight);
            }
        }
    }
    if (!moveControls) {
        // A measurement leaves no trace.
        tallestChild_ = savedTallest;
        widestChild_ = savedWidest;
    }
    return size;
}

void TFlatToolbar::PaintDragHandle(HDC dc, const RECT& client) const {
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    RECT first;
    RECT second;
    const auto s = [this](int design) { return Scaled(design); };
    if (PlacementOf(DockedTo()) == bpVertical) {
        first = {s(2), s(4), client.right - s(2), s(7)};
        second = {s(2), s(7), client.right - s(2), s(10)};
        DrawEdge(dc, &first, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        DrawEdge(dc, &second, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        SetPixel(dc, client.right - 3, s(4), highlight);
        SetPixel(dc, client.right - 3, s(7), highlight);
    } else {
        first = {s(4), s(2), s(7), client.bottom - s(2)};
        second = {s(7), s(2), s(10), client.bottom - s(2)};
        DrawEdge(dc, &first, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        DrawEdge(dc, &second, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        SetPixel(dc, s(4), client.bottom - 3, highlight);
        SetPixel(dc, s(7), client.bottom - 3, highlight);
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
        const int y = Scaled(line.Y - 4);
        DrawLine(dc, 1, y, client.right - 1, y, GetSysColor(COLOR_BTNSHADOW));
        DrawLine(dc, 1, y + 1, client.right - 1, y + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    }
}

void TFlatToolbar::MouseDown(const MouseEvent& event) {
    WinControl::MouseDown(event);
    if (event.Button != MouseButton::Left) return;
    TFlatDock* dock = DockedTo();
    if (dock && !dock->AllowDrag()) return;
    const POINT point{event.X, event.Y};
    for (const Control* child : Controls()) {
        const RECT bounds = child->BoundsRect();
        if (child->Visible() && !dynamic_cast<const TFlatSep*>(child) && PtInRect(&bounds, point)) return;
    }
    if (event.DoubleClick) {
        if (dock) {
            SetDockedTo(nullptr);
        } else if (defaultDock_) {
            // Before every toolbar of the first row.
            dockRow_ = 0;
            dockPos_ = -8;
            SetDockedTo(defaultDock_);
        }
        return;
    }
    TrackMove(*this, point);
}

void TFlatToolbar::PaintFrame(HRGN updateRegion, unsigned parts) {
    if (DockedTo() || !Handle()) return;
    NonClientDC dc(Handle(), updateRegion);
    FloatFrameLook look;
    look.Frame = Frame();
    look.Window = {Width(), Height()};
    look.Caption = Caption();
    look.CloseButton = closeButton_;
    look.ClosePressed = closeButtonPressed_;
    look.Dpi = Dpi();
    PaintFloatFrame(dc, look, parts);
}

LRESULT TFlatToolbar::FloatingMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const FloatFrame frame = Frame();
    switch (message) {
    case WM_NCCALCSIZE: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        RECT& proposed = wParam ? reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                                : *reinterpret_cast<RECT*>(lParam);
        proposed = FloatClientRect(proposed, frame);
        return result;
    }
    case WM_NCPAINT: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        PaintFrame(reinterpret_cast<HRGN>(wParam), ffBorder | ffCaption | ffCloseButton);
        return result;
    }
    case WM_SETTEXT: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        PaintFrame(nullptr, ffCaption);
        return result;
    }
    case WM_NCHITTEST: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        if (result != HTNOWHERE) return result;
        RECT window;
        GetWindowRect(Handle(), &window);
        const POINT point{GET_X_LPARAM(lParam) - window.left, GET_Y_LPARAM(lParam) - window.top};
        return FloatHitTest(point, {window.right - window.left, window.bottom - window.top}, frame, closeButton_);
    }
    case WM_NCLBUTTONDOWN:
        switch (wParam) {
        case HTLEFT:
            TrackResize(*this, SizingEdge::Left);
            return 0;
        case HTRIGHT:
            TrackResize(*this, SizingEdge::Right);
            return 0;
        case HTTOP:
            TrackResize(*this, SizingEdge::Top);
            return 0;
        case HTBOTTOM:
            TrackResize(*this, SizingEdge::Bottom);
            return 0;
        case HTCLOSE:
            TrackCloseButton(*this);
            return 0;
        }
        break;
    case WM_MOUSEACTIVATE: {
        WinControl::WndProc(message, wParam, lParam);
        // Clicking a floating toolbar leaves its form the active window.
        SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
        SetActiveWindow(hostForm_.Handle());
        return MA_NOACTIVATE;
    }
    }
    handled = false;
    return 0;
}

LRESULT TFlatToolbar::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; keys_.Message(message, wParam, lParam, result)) return result;
    if (!DockedTo()) {
        bool handled = false;
        const LRESULT result = FloatingMessage(message, wParam, lParam, handled);
        if (handled) return result;
    }
    switch (message) {
    case WM_ACTIVATE:
        // The form's caption looks active while its toolbar's window is.
        SendMessageW(hostForm_.Handle(), WM_NCACTIVATE, LOWORD(wParam) != WA_INACTIVE, 0);
        break;
    case WM_GETMINMAXINFO: {
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {1, 1};
        return result;
    }
    case WM_DPICHANGED:
        // Floating onto a monitor of another scale: the controls and the frame follow, the window
        // stays where the system put it.
        if (!DockedTo()) {
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            const int dpi = HIWORD(wParam);
            TakeOwnDpi(dpi == WinControl::Dpi() ? 0 : dpi);
            PlaceFloatingWindow({suggested.left, suggested.top, suggested.left + Width(), suggested.top + Height()});
            LayOutControls();
        }
        return 0;
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
        // The toolbar holds the mouse only for a control of its own that a button is still down
        // on: the press is that control's, and no drag starts.
        const bool controlHoldsMouse = GetCapture() == Handle();
        const LRESULT result = WinControl::WndProc(message, wParam, lParam);
        if (!controlHoldsMouse) MouseDown(event);
        return result;
    }
    }
    return WinControl::WndProc(message, wParam, lParam);
}

}  // namespace morvane
