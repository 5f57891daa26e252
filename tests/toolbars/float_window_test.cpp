// Floating toolbars as real windows: their frame, parking, the hooks on their form, and the
// move, resize and close-button loops driven by the real mouse pointer.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/ui_driver.h"
#include "toolbars/flat_button.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_edit.h"
#include "toolbars/flat_sep.h"
#include "toolbars/flat_toolbar.h"
#include "toolbars/toolbar_hooks.h"
#include "toolbars/toolbar_tracking.h"
#include "toolbars/toolbar_test_support.h"
#include "ui/dpi.h"

namespace morvane {
namespace {

void SetApplicationActive(bool active) { SendMessageW(App().Handle(), WM_ACTIVATEAPP, active, 0); }

POINT ScreenPoint(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

RECT WindowRect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectInParentOf(const WinControl& control) { return test::RectInParent(control.Handle()); }

SIZE ClientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// Input given from inside whatever loop runs: a timer's steps wait until the pointer really
// stands where it was put (the display reports moves late) before the next step runs.
class PointerScript {
public:
    PointerScript() { active_ = this; }
    ~PointerScript() {
        if (timer_) KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    void Start() { timer_ = SetTimer(nullptr, 0, 15, Tick); }
    PointerScript(const PointerScript&) = delete;
    PointerScript& operator=(const PointerScript&) = delete;

    void MoveTo(POINT screen) { steps_.push_back({screen, nullptr}); }
    void Then(std::function<void()> action) { steps_.push_back({{}, std::move(action)}); }
    bool Done() const { return steps_.empty(); }

private:
    struct Step {
        POINT Target;
        std::function<void()> Action;
    };
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!active_ || active_->steps_.empty()) return;
        PointerScript& script = *active_;
        Step& step = script.steps_.front();
        if (step.Action) {
            const auto action = std::move(step.Action);
            script.steps_.pop_front();
            action();
            return;
        }
        POINT now;
        GetCursorPos(&now);
        if (now.x != step.Target.x || now.y != step.Target.y) {
            script.steady_ = 0;
            SetCursorPos(step.Target.x, step.Target.y);
        } else if (++script.steady_ >= 3) {
            // The move the system reports for the new place may still be on its way while the
            // release, injected later, overtakes it: tell the window holding the capture now.
            if (const HWND capture = GetCapture()) PostMessageW(capture, WM_MOUSEMOVE, MK_LBUTTON, 0);
            script.steady_ = 0;
            script.steps_.pop_front();
        }
    }

    static inline PointerScript* active_ = nullptr;
    UINT_PTR timer_ = 0;
    int steady_ = 0;
    std::deque<Step> steps_;
};

// Presses the left button on a window at a client point, with the pointer put there first; the
// script runs inside the loop the press starts. The script ends the press itself.
void Press(HWND window, POINT at, PointerScript& script, UINT message = WM_LBUTTONDOWN, WPARAM wParam = MK_LBUTTON) {
    MoveCursorTo(window, at.x, at.y);
    LPARAM where = MAKELPARAM(at.x, at.y);
    if (message == WM_NCLBUTTONDOWN) {
        const POINT screen = ScreenPoint(window, at.x, at.y);
        where = MAKELPARAM(screen.x, screen.y);
    }
    PostMessageW(window, message, wParam, where);
    script.Start();
    PumpUntil([&] { return script.Done(); });
    PumpMessages();
}

// The left button let go, as hardware input: it comes after every move the pointer made.
void Release(PointerScript& script) {
    script.Then([] {
        INPUT up{};
        up.type = INPUT_MOUSE;
        up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &up, sizeof up);
    });
}

// Whether nothing of a loop is left behind: the capture is free and the screen unlocked.
bool LoopLeftNothing() {
    if (GetCapture()) return false;
    if (!LockWindowUpdate(GetDesktopWindow())) return false;
    LockWindowUpdate(nullptr);
    return true;
}

// A form with a dock on every edge and a toolbar of five 23 by 22 buttons.
struct DockedForm {
    DockedForm() : top(form), bottom(form), left(form), right(form), bar(form) {
        form.SetClientSize(500, 360);
        bottom.SetPosition(dpBottom);
        left.SetPosition(dpLeft);
        right.SetPosition(dpRight);
        for (int i = 0; i < 5; ++i) buttons.push_back(std::make_unique<TFlatButton>(&bar, i * 23, 0));
        bar.SetCaption(L"標準");
        bar.SetDefaultDock(&top);
        bar.SetDockPos(0);
        bar.SetDockedTo(&top);
        bar.Loaded();
        form.Show();
        SetApplicationActive(true);
        PumpMessages();
    }
    TTestForm form;
    TFlatDock top;
    TFlatDock bottom;
    TFlatDock left;
    TFlatDock right;
    TFlatToolbar bar;
    std::vector<std::unique_ptr<TFlatButton>> buttons;
};

TEST(FloatingToolbar, WindowFrameCaptionAndHitCodes) {
    DockedForm f;
    TFlatToolbar& bar = f.bar;
    int recreating = 0;
    int recreated = 0;
    int changing = 0;
    int changed = 0;
    bar.OnRecreating = [&] { ++recreating; };
    bar.OnRecreated = [&] { ++recreated; };
    bar.OnDockChanging = [&] { ++changing; };
    bar.OnDockChanged = [&] { ++changed; };

    // A double click on the docked toolbar's drag handle floats it at the screen's corner.
    PostMessageW(bar.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 10));
    PumpMessages();
    ASSERT_EQ(bar.DockedTo(), nullptr);
    EXPECT_EQ(recreating, 1);
    EXPECT_EQ(recreated, 1);
    EXPECT_EQ(changing, 1);
    EXPECT_EQ(changed, 1);
    const HWND window = bar.Handle();
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_THICKFRAME), WS_POPUP);
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_LEFT, WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(window, GW_OWNER), f.form.Handle());
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(bar.Parked());
    EXPECT_EQ(WindowFromPoint(ScreenPoint(window, 60, 10)), window);  // above its form

    const FloatFrame frame = bar.Frame();
    const int F = frame.Frame;
    const int C = frame.Caption;
    EXPECT_EQ(F, GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(C, GetSystemMetrics(SM_CYSMCAPTION));
    EXPECT_EQ(ClientSize(window).cx, 123);
    EXPECT_EQ(ClientSize(window).cy, 25);
    const RECT outer = WindowRect(window);
    EXPECT_EQ(outer, (RECT{0, 0, 123 + 2 * F, 25 + 2 * F + C}));
    EXPECT_EQ(ScreenPoint(window, 0, 0).x, F);
    EXPECT_EQ(ScreenPoint(window, 0, 0).y, F + C);
    EXPECT_EQ(f.buttons[0]->BoundsRect(), (RECT{4, 2, 27, 24}));

    const auto hit = [&](int x, int y) { return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    EXPECT_EQ(hit(F + 10, F + 3), HTCLIENT);
    EXPECT_EQ(hit(F + 123 - 3, F + 3), HTCLOSE);
    EXPECT_EQ(hit(60, 0), HTTOP);
    EXPECT_EQ(hit(60, outer.bottom - 1), HTBOTTOM);
    EXPECT_EQ(hit(0, 30), HTLEFT);
    EXPECT_EQ(hit(outer.right - 1, 30), HTRIGHT);
    EXPECT_EQ(hit(0, 0), HTTOP);
    EXPECT_EQ(hit(F + 10, F + C + 10), HTCLIENT);
    bar.SetCloseButton(false);
    EXPECT_EQ(hit(F + 123 - 3, F + 3), HTCLIENT);
    bar.SetCloseButton(true);

    // The frame as painted: the raised edge, the caption colour, the face line under the
    // caption and the caption colour around the close button.
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(WindowPixel(window, 30, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(WindowPixel(window, 30, 1), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(WindowPixel(window, outer.right - 1, 30), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(WindowPixel(window, F, F + 1), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(WindowPixel(window, 40, F + C - 1), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(WindowPixel(window, F + 123 - (C - 1), F + 5), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(WindowPixel(window, F + 123 - 1, F + 5), GetSysColor(COLOR_ACTIVECAPTION));

    MINMAXINFO limits{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(limits.ptMinTrackSize.x, 1);
    EXPECT_EQ(limits.ptMinTrackSize.y, 1);

    // Floated onto a monitor at 150 %, the toolbar stays where the system put it with its controls,
    // frame and caption at that scale; its form stays as it was. Back at 100 %, all is as before.
    const RECT formBefore = WindowRect(f.form.Handle());
    RECT suggested{200, 150, 210, 160};
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const FloatFrame large = bar.Frame();
    EXPECT_EQ(large.Caption, SystemMetricForDpi(SM_CYSMCAPTION, 144));
    EXPECT_EQ(ScreenPoint(window, 0, 0).x, 200 + large.Frame);
    EXPECT_EQ(ScreenPoint(window, 0, 0).y, 150 + large.Frame + large.Caption);
    EXPECT_NEAR(ClientSize(window).cx, 123 * 1.5, 1);
    EXPECT_NEAR(ClientSize(window).cy, 25 * 1.5, 1);
    EXPECT_EQ(f.buttons[0]->BoundsRect(), (RECT{6, 3, 41, 36}));
    LOGFONTW font{};
    GetObjectW(f.buttons[0]->Font(), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -MulDiv(9, 144, 72));
    EXPECT_EQ(hit(200 + large.Frame + 10, 150 + large.Frame + 3), HTCLIENT);
    EXPECT_EQ(WindowRect(f.form.Handle()), formBefore);
    suggested = {0, 0, 10, 10};
    SendMessageW(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(WindowRect(window), outer);
    EXPECT_EQ(f.buttons[0]->BoundsRect(), (RECT{4, 2, 27, 24}));
    EXPECT_EQ(f.buttons[0]->Font(), f.form.Font());
    // Its form going to another scale takes the toolbar's controls along, and the toolbar keeps
    // its place on the screen.
    test::SendDpiChange(f.form.Handle(), 96, 120);
    EXPECT_EQ(WindowRect(window).left, 0);
    EXPECT_EQ(WindowRect(window).top, 0);
    EXPECT_NEAR(ClientSize(window).cx, 123 * 1.25, 1);
    test::SendDpiChange(f.form.Handle(), 120, 96);
    EXPECT_EQ(WindowRect(window), outer);

    // A double click on the caption docks it first in the default dock's first row.
    TFlatToolbar other(f.form);
    other.SetDockPos(0);
    other.SetDockedTo(&f.top);
    other.Loaded();
    EXPECT_EQ(other.DockPos(), 0);
    PostMessageW(window, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, -5));
    PumpMessages();
    EXPECT_EQ(bar.DockedTo(), &f.top);
    EXPECT_EQ(bar.DockRow(), 0);
    EXPECT_EQ(bar.DockPos(), 0);
    EXPECT_EQ(other.DockPos(), bar.Width());
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_POPUP | WS_CHILD), WS_CHILD);
    EXPECT_EQ(GetParent(window), f.top.Handle());
    EXPECT_EQ(changed, 2);
    // Floated again, it goes back where it floated.
    bar.SetDockedTo(nullptr);
    EXPECT_EQ(WindowRect(window), outer);
}

TEST(FloatingToolbar, ParksLeftOfTheVirtualScreenWhileTheFormCannotBeSeen) {
    DockedForm f;
    TFlatToolbar& bar = f.bar;
    bar.SetFloatBounds({200, 220, 300, 270});
    bar.SetDockedTo(nullptr);
    const RECT home = WindowRect(bar.Handle());
    ASSERT_EQ(home.left, 200);
    ASSERT_EQ(home.top, 220);
    const RECT virtualScreen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                             GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                             GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const auto parkedAway = [&] {
        const RECT now = WindowRect(bar.Handle());
        RECT common;
        return bar.Parked() && now.right == virtualScreen.left && now.top == home.top &&
               now.right - now.left == home.right - home.left && !IntersectRect(&common, &now, &virtualScreen) &&
               bar.TrueLeft() == 200 && bar.RealBounds() == home && bar.FloatBounds() == home;
    };
    const auto atHome = [&] { return !bar.Parked() && WindowRect(bar.Handle()) == home; };

    SetApplicationActive(false);
    EXPECT_TRUE(parkedAway());
    // A layout while parked keeps it parked, at its new size.
    bar.SetFloatWrapWidth(60);
    bar.LayOutControls();
    EXPECT_TRUE(bar.Parked());
    EXPECT_EQ(WindowRect(bar.Handle()).right, virtualScreen.left);
    EXPECT_EQ(bar.RealBounds().left, 200);
    bar.SetFloatWrapWidth(0);
    bar.LayOutControls();
    SetApplicationActive(true);
    EXPECT_TRUE(atHome());

    // Hidden or minimized, the form takes its floating toolbars off the screen too.
    f.form.SetVisible(false);
    EXPECT_TRUE(parkedAway());
    f.form.SetVisible(true);
    EXPECT_TRUE(atHome());
    ShowWindow(f.form.Handle(), SW_MINIMIZE);
    EXPECT_TRUE(PumpUntil([&] { return parkedAway(); }));
    ShowWindow(f.form.Handle(), SW_RESTORE);
    EXPECT_TRUE(PumpUntil([&] { return atHome(); }));

    // One that floated before its form showed comes out above the form.
    TTestForm later;
    TFlatToolbar early(later);
    TFlatButton button(&early, 0, 0);
    early.SetFloatBounds({300, 250, 400, 300});
    early.SetDockedTo(nullptr);
    early.Loaded();
    later.Show();
    SetApplicationActive(true);
    const RECT onScreen = WindowRect(early.Handle());
    EXPECT_TRUE(PumpUntil([&] {
        return WindowFromPoint({onScreen.left + 30, onScreen.top + 20}) == early.Handle();
    }));
    PumpMessages();
    EXPECT_EQ(WindowFromPoint({onScreen.left + 30, onScreen.top + 20}), early.Handle());

    // Docked toolbars stay where they are.
    TFlatToolbar docked(f.form);
    docked.SetDockedTo(&f.bottom);
    docked.Loaded();
    const RECT inDock = docked.BoundsRect();
    SetApplicationActive(false);
    EXPECT_FALSE(docked.Parked());
    EXPECT_EQ(docked.BoundsRect(), inDock);
    SetApplicationActive(true);
}

TEST(FloatingToolbar, PlacesGivenBeforeLoadingAreInTheFormAndComeBackIntoTheWorkArea) {
    TTestForm form;
    form.Show();
    SetApplicationActive(true);
    const RECT work = ScreenWorkArea();
    const POINT origin = ScreenPoint(form.Handle(), 0, 0);
    // Where a toolbar given a place in the form's client area before loading comes out.
    const auto loadedAt = [&](int left, int top) {
        TFlatToolbar bar(form);
        TFlatButton button(&bar, 0, 0);
        bar.SetBounds(left, top, bar.Width(), bar.Height());
        bar.Loaded();
        EXPECT_FALSE(bar.Parked());
        EXPECT_EQ(WindowRect(bar.Handle()), bar.RealBounds());
        return bar.RealBounds();
    };
    const RECT inside = loadedAt(20, 30);
    EXPECT_EQ(inside.left, origin.x + 20);
    EXPECT_EQ(inside.top, origin.y + 30);
    const SIZE size{inside.right - inside.left, inside.bottom - inside.top};
    // Entirely off the screen, or only partly: it comes fully into the work area, by the nearest
    // way.
    const RECT farOff = loadedAt(5000, 5000);
    EXPECT_EQ(farOff, (RECT{work.right - size.cx, work.bottom - size.cy, work.right, work.bottom}));
    const RECT before = loadedAt(-5000, -5000);
    EXPECT_EQ(before, (RECT{work.left, work.top, work.left + size.cx, work.top + size.cy}));
    const RECT partly = loadedAt(work.right - origin.x - 10, 40);
    EXPECT_EQ(partly, (RECT{work.right - size.cx, origin.y + 40, work.right, origin.y + 40 + size.cy}));

    // After a move only a toolbar left entirely off the screen is brought back.
    TFlatToolbar bar(form);
    TFlatButton button(&bar, 0, 0);
    bar.Loaded();
    const RECT halfway{work.right - 10, 100, work.right - 10 + size.cx, 100 + size.cy};
    bar.SetFloatBounds(halfway);
    bar.KeepOnScreen(true);
    EXPECT_EQ(bar.RealBounds(), halfway);
    bar.SetFloatBounds({work.left - 500, 100, work.left - 500 + size.cx, 100 + size.cy});
    bar.KeepOnScreen(true);
    EXPECT_EQ(bar.RealBounds(), (RECT{work.left, 100, work.left + size.cx, 100 + size.cy}));
}

TEST(FloatingToolbar, MovesDockFloatAndOpenRowsWhereTheMouseDropsThem) {
    DockedForm f;
    TFlatToolbar& bar = f.bar;
    const HWND form = f.form.Handle();
    const auto atForm = [&](int x, int y) { return ScreenPoint(form, x, y); };

    // Holding Ctrl (pressed on the way) floats it even over its own dock.
    {
        PointerScript script;
        script.MoveTo(atForm(300, 10));
        script.Then([&] { PostMessageW(bar.Handle(), WM_KEYDOWN, VK_CONTROL, 1); });
        script.MoveTo(atForm(301, 12));
        Release(script);
        Press(bar.Handle(), {5, 10}, script);
    }
    ASSERT_EQ(bar.DockedTo(), nullptr);
    EXPECT_TRUE(LoopLeftNothing());
    EXPECT_TRUE(f.top.BarList().empty());
    // The grab point stays under the pointer: near the left end of the floating window.
    const RECT floating = WindowRect(bar.Handle());
    const POINT dropped = atForm(301, 12);
    EXPECT_GE(dropped.x, floating.left);
    EXPECT_LT(dropped.x, floating.left + 10);
    EXPECT_GE(dropped.y, floating.top);
    EXPECT_LT(dropped.y, floating.bottom);
    EXPECT_EQ(bar.FloatBounds(), floating);

    // Where the empty top and left docks meet, the top one wins.
    {
        PointerScript script;
        script.MoveTo(atForm(200, 200));
        script.MoveTo(atForm(2, 1));
        Release(script);
        Press(bar.Handle(), {10, -4}, script);  // on the caption
    }
    EXPECT_EQ(bar.DockedTo(), &f.top);
    EXPECT_TRUE(f.left.BarList().empty());

    // A dock that holds its toolbars is no target even under the pointer: the toolbar floats.
    f.bottom.SetAllowDrag(false);
    {
        PointerScript script;
        script.MoveTo(atForm(250, 359));
        Release(script);
        Press(bar.Handle(), {5, 10}, script);
    }
    EXPECT_EQ(bar.DockedTo(), nullptr);
    EXPECT_TRUE(f.bottom.BarList().empty());

    // A drop within 5 pixels of the boundary between two rows opens a new row there; a drop
    // further inside a row joins it.
    bar.SetDockedTo(&f.top);
    TFlatToolbar second(f.form);
    TFlatButton secondButton(&second, 0, 0);
    second.SetDockPos(200);
    second.SetDockedTo(&f.top);
    second.Loaded();
    TFlatToolbar third(f.form);
    TFlatButton thirdButton(&third, 0, 0);
    third.SetDockRow(1);
    third.SetDockedTo(&f.top);
    third.Loaded();
    ASSERT_EQ(second.Height(), 26);
    ASSERT_EQ(third.Top(), 26);
    {
        PointerScript script;
        script.MoveTo(atForm(300, 28));
        Release(script);
        Press(second.Handle(), {5, 13}, script);
    }
    EXPECT_EQ(second.DockedTo(), &f.top);
    EXPECT_EQ(bar.DockRow(), 0);
    EXPECT_EQ(second.DockRow(), 1);
    EXPECT_EQ(third.DockRow(), 2);
    EXPECT_EQ(second.BoundsRect(), (RECT{295, 26, 295 + second.Width(), 52}));
    EXPECT_EQ(third.Top(), 52);
    EXPECT_EQ(f.top.Height(), 78);
    {
        PointerScript script;
        script.MoveTo(atForm(300, 20));
        Release(script);
        Press(second.Handle(), {5, 13}, script);
    }
    EXPECT_EQ(second.DockRow(), 0);
    EXPECT_EQ(second.BoundsRect(), (RECT{295, 0, 295 + second.Width(), 26}));
    EXPECT_EQ(third.DockRow(), 1);
    EXPECT_EQ(f.top.Height(), 52);

    // Into another dock: a toolbar alone in the top dock lands in the bottom dock's second row,
    // where the outline showed it.
    f.bottom.SetAllowDrag(true);
    second.SetDockedTo(&f.bottom);
    third.SetDockedTo(&f.bottom);
    ASSERT_EQ(RectInParentOf(f.bottom), (RECT{0, 308, 500, 360}));
    {
        PointerScript script;
        script.MoveTo(atForm(200, 345));  // the outline's middle 40 pixels into the dock: row 1
        Release(script);
        Press(bar.Handle(), {5, 10}, script);
    }
    EXPECT_EQ(bar.DockedTo(), &f.bottom);
    EXPECT_EQ(bar.DockRow(), 1);
    EXPECT_EQ(bar.DockPos(), 195);
    EXPECT_EQ(bar.BoundsRect(), (RECT{195, 26, 195 + 128, 52}));
    EXPECT_EQ(second.DockRow(), 0);
    EXPECT_EQ(second.DockPos(), 295);
    EXPECT_EQ(third.DockRow(), 1);
    EXPECT_EQ(third.DockPos(), 0);
    EXPECT_TRUE(f.top.BarList().empty());
}

TEST(FloatingToolbar, MovesThatEndWithoutAcceptingChangeNothing) {
    DockedForm f;
    auto bar = std::make_unique<TFlatToolbar>(f.form);
    TFlatButton button(bar.get(), 0, 0);
    bar->SetDockPos(150);
    bar->SetDockedTo(&f.top);
    bar->Loaded();
    const HWND form = f.form.Handle();
    const auto unchanged = [&] {
        return f.bar.DockedTo() == &f.top && f.bar.DockRow() == 0 && f.bar.DockPos() == 0 &&
               f.bar.BoundsRect() == (RECT{0, 0, 128, 26}) && f.top.BarList().size() == 2 && f.left.BarList().empty();
    };
    ASSERT_TRUE(unchanged());

    // The left button pressed again cancels; so does a double click.
    for (const UINT second : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}) {
        PointerScript script;
        script.MoveTo(ScreenPoint(form, 250, 200));
        script.MoveTo(ScreenPoint(form, 3, 150));  // over the left dock
        script.Then([&, second] { PostMessageW(f.bar.Handle(), second, MK_LBUTTON, 0); });
        Press(f.bar.Handle(), {5, 10}, script);
        EXPECT_TRUE(unchanged());
        EXPECT_TRUE(LoopLeftNothing());
    }

    // While one of its buttons holds the mouse (the right button went down on it), a left press
    // on the drag handle is that button's: no move starts.
    {
        const HWND window = f.bar.Handle();
        MoveCursorTo(form, 3, 150);
        PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(15, 10));
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(5, 10));
        PostMessageW(window, WM_LBUTTONUP, MK_RBUTTON, MAKELPARAM(5, 10));
        PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(5, 10));
        PumpMessages();
        EXPECT_TRUE(unchanged());
        EXPECT_TRUE(LoopLeftNothing());
        EXPECT_EQ(f.buttons[0]->Face(), bfUp);
    }

    // A WM_QUIT met in the loop ends it and is posted again for the application's loop.
    {
        PointerScript script;
        script.MoveTo(ScreenPoint(form, 3, 150));
        script.Then([] { PostQuitMessage(7); });
        MoveCursorTo(f.bar.Handle(), 5, 10);
        PostMessageW(f.bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 10));
        script.Start();
        MSG quit{};
        const ULONGLONG end = GetTickCount64() + 3000;
        while (quit.message != WM_QUIT && GetTickCount64() < end) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    quit = message;
                    break;
                }
                App().ProcessMessage(message);
            }
            Sleep(5);
        }
        EXPECT_EQ(quit.message, static_cast<UINT>(WM_QUIT));
        EXPECT_EQ(quit.wParam, 7u);
        EXPECT_TRUE(unchanged());
        EXPECT_TRUE(LoopLeftNothing());
    }

    // A toolbar destroyed while it is being dragged ends its loop, accepting nothing.
    {
        PointerScript script;
        script.MoveTo(ScreenPoint(form, 3, 150));
        const HWND window = bar->Handle();
        script.Then([&] { bar.reset(); });
        script.Then([window] { PostMessageW(window, WM_LBUTTONUP, 0, 0); });
        Press(window, {5, 10}, script);
    }
    EXPECT_EQ(bar, nullptr);
    EXPECT_TRUE(LoopLeftNothing());
    ASSERT_EQ(f.top.BarList().size(), 1u);
    EXPECT_EQ(f.top.BarList().front(), &f.bar);
    EXPECT_EQ(f.bar.DockPos(), 0);
    EXPECT_EQ(f.bar.BoundsRect(), (RECT{0, 0, 128, 26}));
    EXPECT_TRUE(f.left.BarList().empty());
}

TEST(FloatingToolbar, EdgeDragsRewrapAndTheCloseButtonHidesOnlyWhenReleasedOnIt) {
    DockedForm f;
    TFlatToolbar& bar = f.bar;
    bar.SetFloatBounds({300, 300, 400, 350});
    bar.SetDockedTo(nullptr);
    const HWND window = bar.Handle();
    const FloatFrame frame = bar.Frame();
    const int F = frame.Frame;
    const int C = frame.Caption;
    ASSERT_EQ(ClientSize(window).cx, 123);
    const RECT start = WindowRect(window);
    ASSERT_EQ(start.left, 300);

    // The right edge drawn 50 pixels in: the largest layout not wider, two buttons a line.
    {
        PointerScript script;
        script.MoveTo({start.right - 1 - 50, start.top + 20});
        Release(script);
        Press(window, {123 + F - 1, 10}, script, WM_NCLBUTTONDOWN, HTRIGHT);
    }
    EXPECT_TRUE(LoopLeftNothing());
    EXPECT_EQ(ClientSize(window).cx, 54);
    EXPECT_EQ(ClientSize(window).cy, 69);
    EXPECT_EQ(bar.FloatWrapWidth(), 54 + 2 * F - F);
    EXPECT_EQ(WindowRect(window).left, 300);
    EXPECT_EQ(WindowRect(window).top, start.top);
    EXPECT_EQ(f.buttons[2]->BoundsRect(), (RECT{4, 24, 27, 46}));

    // Less than the snap distance down keeps the size; the left edge drawn far out gives one line.
    const RECT narrow = WindowRect(window);
    {
        PointerScript script;
        script.MoveTo({narrow.left + 20, narrow.bottom - 1 + 8});
        Release(script);
        Press(window, {20, 69 + F - 1}, script, WM_NCLBUTTONDOWN, HTBOTTOM);
    }
    EXPECT_EQ(WindowRect(window), narrow);
    {
        PointerScript script;
        script.MoveTo({narrow.left - 150, narrow.top + 30});
        Release(script);
        Press(window, {-F, 20}, script, WM_NCLBUTTONDOWN, HTLEFT);
    }
    EXPECT_EQ(ClientSize(window).cx, 123);
    EXPECT_EQ(ClientSize(window).cy, 25);
    EXPECT_EQ(WindowRect(window).right, narrow.right);

    // The close button: released outside it, nothing; released on it, the toolbar closes.
    int closed = 0;
    bar.OnClose = [&] { ++closed; };
    const RECT bounds = WindowRect(window);
    const POINT onButton{bounds.right - F - C / 2, bounds.top + F + C / 2};
    const POINT pressAt{123 - C / 2, -C / 2 - 1};
    {
        PointerScript script;
        script.Then([&] { EXPECT_TRUE(bar.CloseButtonPressed()); });
        script.MoveTo({onButton.x - 60, onButton.y});
        script.Then([&] { EXPECT_FALSE(bar.CloseButtonPressed()); });
        Release(script);
        Press(window, pressAt, script, WM_NCLBUTTONDOWN, HTCLOSE);
    }
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(bar.Visible());
    EXPECT_FALSE(bar.CloseButtonPressed());
    EXPECT_EQ(closed, 0);
    {
        PointerScript script;
        script.MoveTo({onButton.x - 60, onButton.y});
        script.MoveTo(onButton);
        Release(script);
        Press(window, pressAt, script, WM_NCLBUTTONDOWN, HTCLOSE);
    }
    EXPECT_TRUE(LoopLeftNothing());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(bar.Visible());
    EXPECT_EQ(closed, 1);
}

// Another subclass of a window, installed after ours and passing everything on.
class OuterSubclass {
public:
    explicit OuterSubclass(HWND window) : window_(window) {
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OuterSubclass::PassOn)));
    }
    ~OuterSubclass() { Remove(); }
    OuterSubclass(const OuterSubclass&) = delete;
    OuterSubclass& operator=(const OuterSubclass&) = delete;
    static LONG_PTR Procedure() { return reinterpret_cast<LONG_PTR>(&OuterSubclass::PassOn); }
    void Remove() {
        if (!previous_) return;
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(std::exchange(previous_, nullptr)));
    }

private:
    static LRESULT CALLBACK PassOn(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        return CallWindowProcW(previous_, window, message, wParam, lParam);
    }
    HWND window_;
    static inline WNDPROC previous_ = nullptr;
};

TEST(FloatingToolbar, FormHooksAreSharedAndKeepTheFocusInAToolbarsEdit) {
    TTestForm form;
    const LONG_PTR ownProcedure = GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC);
    TFlatEdit outside(&form, 300, 200, 80);
    auto first = std::make_unique<TFlatToolbar>(form);
    auto second = std::make_unique<TFlatToolbar>(form);
    TFlatEdit edit(second.get(), 0, 0, 80);
    EXPECT_EQ(HookRegistry::Count(HookKind::Form, form.Handle()), 2);
    second->SetFloatBounds({400, 400, 500, 450});
    second->SetDockedTo(nullptr);
    second->Loaded();
    form.Show();
    SetApplicationActive(true);
    PumpMessages();

    // While the toolbar's edit has the focus the form never hears of its activation (which
    // would take the focus); otherwise it does.
    edit.SetFocus();
    ASSERT_EQ(GetFocus(), edit.Handle());
    SendMessageW(form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    SendMessageW(form.Handle(), WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), edit.Handle());
    outside.SetFocus();
    ASSERT_EQ(GetFocus(), outside.Handle());
    SendMessageW(form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), form.Handle());

    // The hook outlives the toolbar that made it.
    first.reset();
    EXPECT_EQ(HookRegistry::Count(HookKind::Form, form.Handle()), 1);
    SetApplicationActive(false);
    EXPECT_TRUE(second->Parked());
    SetApplicationActive(true);
    EXPECT_FALSE(second->Parked());
    second.reset();
    EXPECT_EQ(HookRegistry::Count(HookKind::Form, form.Handle()), 0);
    EXPECT_EQ(GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), ownProcedure);

    // Taken off while another subclass sits on top of it, the hook stays in the chain and the
    // form's own procedure still answers (it hands the edit its change notification); a new
    // toolbar takes it up again where it sits, and once on top again it leaves the chain.
    auto third = std::make_unique<TFlatToolbar>(form);
    const LONG_PTR ours = GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC);
    ASSERT_NE(ours, ownProcedure);
    OuterSubclass outer(form.Handle());
    third.reset();
    EXPECT_EQ(HookRegistry::Count(HookKind::Form, form.Handle()), 0);
    int changes = 0;
    outside.OnChange = [&] { ++changes; };
    outside.SetText(L"txt");
    EXPECT_EQ(changes, 1);
    third = std::make_unique<TFlatToolbar>(form);
    EXPECT_EQ(HookRegistry::Count(HookKind::Form, form.Handle()), 1);
    EXPECT_EQ(GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), outer.Procedure());
    third.reset();
    outer.Remove();
    EXPECT_EQ(GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), ours);
    SendMessageW(form.Handle(), WM_NULL, 0, 0);
    EXPECT_EQ(GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), ownProcedure);
    outside.SetText(L"jpg");
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace morvane
