// Floating toolbars as real windows: their frame, parking, the hooks on their form, and the
// move, resize and close-button loops driven by the real mouse pointer.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/ui_driver.h"
#include "toolbars/flat_button.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_edit.h"
#include "toolbars/flat_sep.h"
#include "toolbars/flat_toolbar.h"
#include "toolbars/toolbar_hooks.h"
#include "toolbars/toolbar_test_support.h"

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

SIZE ClientSize(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

// Input given from inside whatever loop runs: a timer's steps wait until the pointer really
// stands where it was put (the display reports moves late) before the next step runs.
class PointerScript {
public:
    PointerScript() {
        active_ = this;
        timer_ = SetTimer(nullptr, 0, 15, Tick);
    }
    ~PointerScript() {
        KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
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
            script.steady_ = 0;
            script.steps_.pop_front();
        }
    }

    static inline PointerScript* active_ = nullptr;
    UINT_PTR timer_ = 0;
    int steady_ = 0;
    std::deque<Step> steps_;
};

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

    const FloatFrame frame = TFlatToolbar::Frame();
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

}  // namespace
}  // namespace morvane
