#include "toolbars/toolbar_tracking.h"

#include <vector>

#include "toolbars/drag_loop.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_toolbar.h"
#include "ui/dpi.h"

namespace morvane {

namespace {

bool IsRightOrMiddleButton(UINT message) {
    switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        return true;
    }
    return false;
}

// The answer common to the loops for the left button: a release ends them, another press or a
// double click cancels.
LoopStep LeftButtonStep(UINT message, bool acceptRelease) {
    if (message == WM_LBUTTONUP) return acceptRelease ? LoopStep::Accept : LoopStep::Cancel;
    return LoopStep::Cancel;
}

bool IsLeftButton(UINT message) {
    return message == WM_LBUTTONUP || message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
}

POINT CursorPosition() {
    POINT cursor;
    GetCursorPos(&cursor);
    return cursor;
}

SIZE SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

RECT ClientOnScreen(const WinControl& control) {
    RECT client;
    GetClientRect(control.Handle(), &client);
    MapWindowPoints(control.Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

// Puts the toolbar where the outline was dropped: into the dock's row under the outline's middle
// (a new row near a row boundary), or floating at the outline.
void Drop(TFlatToolbar& bar, TFlatDock* dock, const RECT& outline) {
    if (!dock) {
        bar.SetFloatBounds(outline);
        bar.SetDockedTo(nullptr);
        return;
    }
    RECT inDock = outline;
    MapWindowPoints(nullptr, dock->Handle(), reinterpret_cast<POINT*>(&inDock), 2);
    const DockDrop place = DropPlace(inDock, dock->Vertical());
    const RowDrop row = dock->DropRowAt(place.Offset);
    {
        // Until the toolbar is in its new dock, neither dock arranges: the one it comes from
        // would compact and pack the new row and place as if they were its own.
        const RowLayoutGuard target(dock);
        const RowLayoutGuard source(bar.DockedTo() != dock ? bar.DockedTo() : nullptr);
        if (row.NewRow) dock->OpenRow(row.Row);
        bar.SetDockRow(row.Row);
        bar.SetDockPos(ScaleFromDpi(place.Pos, dock->Dpi()));
    }
    bar.SetDockedTo(dock);
}

}  // namespace

RECT ScreenWorkArea() {
    RECT area;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) return area;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void TrackMove(TFlatToolbar& bar, POINT press) {
    const HWND window = bar.Handle();
    const std::weak_ptr<int> alive = bar.LifeToken();
    const FloatFrame frame = bar.Frame();
    POINT grab = press;
    if (!bar.DockedTo()) {
        grab.x += frame.Frame;
        grab.y += frame.Frame + frame.Caption;
    }
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const SIZE barSize = SizeOf(bar.RealBounds());

    // Every size is measured once, before the loop: a mouse move only compares rectangles.
    const SIZE floatingSize =
        FloatWindowSize(bar.LayOutControls(false, false, nullptr, bar.FloatWrapWidth()), frame);
    const std::vector<TFlatDock*> docks = TFlatDock::OwnedBy(bar.Owner());
    std::vector<DockTarget> targets;
    for (TFlatDock* dock : docks) {
        DockTarget target;
        target.Client = ClientOnScreen(*dock);
        target.Vertical = dock->Vertical();
        target.AllowDrag = dock->AllowDrag();
        target.Dpi = dock->Dpi();
        target.Candidate = dock == bar.DockedTo() ? barSize : bar.LayOutControls(false, false, dock, bar.FloatWrapWidth());
        targets.push_back(target);
    }
    const RECT workArea = ScreenWorkArea();

    int chosen = -1;
    RECT outline{};
    bool accepted = false;
    {
        ScreenOutline screen;
        MouseCapture capture(window);
        const auto recompute = [&] {
            POINT cursor = CursorPosition();
            chosen = ctrl ? -1 : ChooseDock(targets, cursor, grab, barSize, bar.CanDockLeftRight());
            if (chosen < 0) {
                cursor = ClampIntoRect(cursor, workArea);
                outline = KeepOutlineReachable(PlaceOutline(cursor, floatingSize, grab, barSize), workArea,
                                               frame.Frame);
            } else {
                outline = PlaceOutline(cursor, targets[static_cast<size_t>(chosen)].Candidate, grab, barSize);
            }
            screen.Move(&outline, chosen < 0 ? frame.Frame : 1);
        };
        recompute();
        accepted = RunMouseLoop(window, alive, [&](const MSG& message) {
            switch (message.message) {
            case WM_KEYDOWN:
            case WM_KEYUP:
                if (message.wParam == VK_CONTROL && ctrl != (message.message == WM_KEYDOWN)) {
                    ctrl = !ctrl;
                    recompute();
                }
                return LoopStep::Swallow;
            case WM_MOUSEMOVE:
                recompute();
                return LoopStep::Swallow;
            }
            if (IsLeftButton(message.message)) return LeftButtonStep(message.message, true);
            return IsRightOrMiddleButton(message.message) ? LoopStep::Swallow : LoopStep::Dispatch;
        });
    }
    if (!accepted || alive.expired()) return;
    Drop(bar, chosen < 0 ? nullptr : docks[static_cast<size_t>(chosen)], outline);
    bar.KeepOnScreen(true);
}

void TrackResize(TFlatToolbar& bar, SizingEdge edge) {
    const HWND window = bar.Handle();
    const std::weak_ptr<int> alive = bar.LifeToken();
    const FloatFrame frame = bar.Frame();
    const bool byWidth = edge == SizingEdge::Left || edge == SizingEdge::Right;
    const SIZE frameSize = FloatWindowSize({0, 0}, frame);
    const std::vector<SIZE> choices = SizeChoices(
        [&](int wrapWidth) { return bar.LayOutControls(false, false, nullptr, wrapWidth); },
        bar.Scaled(bar.WidestChild()),
        frameSize, byWidth);
    const RECT start = bar.RealBounds();
    ResizeTracking tracking(choices, edge, start, frame.Frame);

    bool accepted = false;
    {
        ScreenOutline screen;
        MouseCapture capture(window);
        screen.Move(&start, frame.Frame);
        accepted = RunMouseLoop(window, alive, [&](const MSG& message) {
            switch (message.message) {
            case WM_KEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYDOWN:
            case WM_SYSKEYUP:
            case WM_CHAR:
                return LoopStep::Swallow;
            case WM_MOUSEMOVE: {
                const POINT cursor = CursorPosition();
                if (tracking.Move({cursor.x - start.left, cursor.y - start.top}))
                    screen.Move(&tracking.Outline(), frame.Frame);
                return LoopStep::Swallow;
            }
            }
            if (IsLeftButton(message.message)) return LeftButtonStep(message.message, true);
            return IsRightOrMiddleButton(message.message) ? LoopStep::Swallow : LoopStep::Dispatch;
        });
    }
    if (!accepted || alive.expired()) return;
    bar.SetFloatWrapWidth(tracking.WrapWidth(bar.FloatWrapWidth()));
    bar.SetFloatBounds(tracking.Outline());
    bar.LayOutControls();
    bar.KeepOnScreen(true);
}

void TrackCloseButton(TFlatToolbar& bar) {
    const HWND window = bar.Handle();
    const std::weak_ptr<int> alive = bar.LifeToken();
    const FloatFrame frame = bar.Frame();
    const RECT bounds = bar.RealBounds();
    const RECT button = CloseButtonRect(frame, bounds.right - bounds.left - 2 * frame.Frame);
    bar.SetCloseButtonPressed(true);
    bool accepted = false;
    {
        MouseCapture capture(window);
        accepted = RunMouseLoop(window, alive, [&](const MSG& message) {
            if (message.message == WM_MOUSEMOVE) {
                const POINT cursor = CursorPosition();
                const POINT inWindow{cursor.x - bounds.left, cursor.y - bounds.top};
                bar.SetCloseButtonPressed(PtInRect(&button, inWindow) != FALSE);
                return LoopStep::Swallow;
            }
            if (IsLeftButton(message.message)) return LeftButtonStep(message.message, bar.CloseButtonPressed());
            if (IsRightOrMiddleButton(message.message)) return LoopStep::Swallow;
            if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) return LoopStep::Swallow;
            return LoopStep::Dispatch;
        });
    }
    if (alive.expired()) return;
    const bool pressed = bar.CloseButtonPressed();
    bar.SetCloseButtonPressed(false);
    if (!accepted || !pressed) return;
    bar.SetVisible(false);
    if (bar.OnClose) bar.OnClose();
}

}  // namespace morvane
