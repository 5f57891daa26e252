// Flat buttons driven by real mouse messages: pressing, tracking, groups, the hot edge, the
// drop-down menus and the accelerator.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "common/ui_driver.h"
#include "toolbars/flat_button.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_toolbar.h"
#include "toolbars/toolbar_test_support.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::ModalScript;

// Mouse messages as the system sends them to the window under the pointer, which is put there
// first: the button asks where the pointer really is.
void Post(HWND window, UINT message, WPARAM keys, int x, int y) {
    MoveCursorTo(window, x, y);
    PostMessageW(window, message, keys, MAKELPARAM(x, y));
}

// The same where the pointer already is, without pumping: for input that must wait in the queue
// until a menu's loop takes it.
void Queue(HWND window, UINT message, WPARAM keys, int x, int y) {
    PostMessageW(window, message, keys, MAKELPARAM(x, y));
}

// Records what a button reports.
struct Events {
    explicit Events(TFlatButton& button) {
        button.OnClick = [this] { seen.push_back(L"click"); };
        button.OnMouseEnter = [this] { seen.push_back(L"enter"); };
        button.OnMouseExit = [this] { seen.push_back(L"exit"); };
    }
    int Count(const wchar_t* what) const { return static_cast<int>(std::count(seen.begin(), seen.end(), what)); }
    std::vector<std::wstring> seen;
};

// The application as the system sees it when the user switches to it or away.
void SetApplicationActive(bool active) { SendMessageW(App().Handle(), WM_ACTIVATEAPP, active, 0); }

TEST(FlatButton, PressDragOutAndBackAndTheRightButtonCancels) {
    TTestForm form;
    TFlatButton button(&form, 20, 20, 61, 43);
    Events events(button);
    form.Show();
    const HWND window = form.Handle();

    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    PumpMessages();
    EXPECT_EQ(button.Face(), bfPressed);
    Post(window, WM_MOUSEMOVE, MK_LBUTTON, 200, 200);  // the button holds the mouse
    PumpMessages();
    EXPECT_EQ(button.Face(), bfUp);
    Post(window, WM_MOUSEMOVE, MK_LBUTTON, 40, 40);
    PumpMessages();
    EXPECT_EQ(button.Face(), bfPressed);
    Post(window, WM_LBUTTONUP, 0, 40, 40);
    PumpMessages();
    EXPECT_EQ(events.Count(L"click"), 1);
    EXPECT_EQ(button.Face(), bfUp);

    // Released outside: no click.
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    Post(window, WM_MOUSEMOVE, MK_LBUTTON, 200, 200);
    Post(window, WM_LBUTTONUP, 0, 200, 200);
    PumpMessages();
    EXPECT_EQ(events.Count(L"click"), 1);
    EXPECT_EQ(button.Face(), bfUp);

    // A right-button release while the left is held ends the press; the left release is no click.
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    Post(window, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, 30, 30);
    Post(window, WM_RBUTTONUP, MK_LBUTTON, 30, 30);
    Post(window, WM_LBUTTONUP, 0, 30, 30);
    PumpMessages();
    EXPECT_EQ(events.Count(L"click"), 1);
    EXPECT_EQ(button.Face(), bfUp);
    EXPECT_EQ(GetCapture(), nullptr);

    // A disabled button ignores presses and shows its disabled face.
    button.SetEnabled(false);
    Post(window, WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    Post(window, WM_LBUTTONUP, 0, 30, 30);
    PumpMessages();
    ClientImage image(window);
    EXPECT_EQ(button.Face(), bfDisabled);
    EXPECT_EQ(events.Count(L"click"), 1);
}

TEST(FlatButton, GroupsLatchOneMemberAndShareAllowAllUp) {
    TTestForm form;
    TFlatButton a(&form, 10, 10);
    TFlatButton b(&form, 40, 10);
    TFlatButton other(&form, 70, 10);
    Events bEvents(b);
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    other.SetGroupIndex(2);
    other.SetDown(true);
    form.Show();
    const auto click = [&](const TFlatButton& button) {
        Post(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, button.Left() + 5, button.Top() + 5);
        Post(form.Handle(), WM_LBUTTONUP, 0, button.Left() + 5, button.Top() + 5);
        PumpMessages();
    };

    click(a);
    EXPECT_TRUE(a.Down());
    EXPECT_EQ(a.Face(), bfLatched);
    click(b);
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    EXPECT_EQ(a.Face(), bfUp);
    EXPECT_TRUE(other.Down());  // another group

    // Without AllowAllUp the down member stays down, and still clicks.
    click(b);
    EXPECT_TRUE(b.Down());
    EXPECT_EQ(bEvents.Count(L"click"), 2);
    b.SetDown(false);
    EXPECT_TRUE(b.Down());

    // AllowAllUp set on one member holds for the group.
    a.SetAllowAllUp(true);
    EXPECT_TRUE(b.AllowAllUp());
    EXPECT_FALSE(other.AllowAllUp());
    click(b);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(b.Face(), bfUp);

    // A double click on a down member is its double click; on one that is up it is not.
    int doubleClicks = 0;
    a.OnDblClick = [&] { ++doubleClicks; };
    b.OnDblClick = [&] { ++doubleClicks; };
    click(a);
    Post(form.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, a.Left() + 5, a.Top() + 5);
    Post(form.Handle(), WM_LBUTTONUP, 0, a.Left() + 5, a.Top() + 5);
    PumpMessages();
    EXPECT_EQ(doubleClicks, 1);
    Post(form.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, b.Left() + 5, b.Top() + 5);
    Post(form.Handle(), WM_LBUTTONUP, 0, b.Left() + 5, b.Top() + 5);
    PumpMessages();
    EXPECT_EQ(doubleClicks, 1);

    // Outside a group a button is never down.
    TFlatButton plain(&form, 100, 10);
    plain.SetDown(true);
    EXPECT_FALSE(plain.Down());
}

TEST(FlatButton, HotEdgeFollowsTheMouseAndTheApplicationsActivation) {
    TTestForm form;
    TFlatButton button(&form, 20, 20, 61, 43);
    TFlatButton latched(&form, 100, 20, 30, 30);
    TFlatButton disabled(&form, 150, 20, 30, 30);
    disabled.SetEnabled(false);
    latched.SetGroupIndex(3);
    latched.SetDown(true);
    Events events(button);
    form.Show();
    SetApplicationActive(true);
    const HWND window = form.Handle();
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);

    MoveCursorTo(window, 30, 30);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    EXPECT_TRUE(PumpUntil([&] { return button.Hot(); }));
    EXPECT_EQ(TFlatButton::HotButton(), &button);
    EXPECT_TRUE(TFlatButton::HotTimerRunning());
    EXPECT_EQ(events.seen.back(), L"enter");
    EXPECT_EQ(ClientImage(window).Pixel(20, 20), highlight);  // the raised edge

    // The pointer goes to another window: the timer ends the hot look.
    PlaceCursor(0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !button.Hot(); }));
    EXPECT_EQ(TFlatButton::HotButton(), nullptr);
    EXPECT_FALSE(TFlatButton::HotTimerRunning());
    EXPECT_EQ(events.seen.back(), L"exit");
    EXPECT_EQ(ClientImage(window).Pixel(20, 20), face);

    // Switching to another application ends it at once.
    MoveCursorTo(window, 30, 30);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(31, 30));
    EXPECT_TRUE(PumpUntil([&] { return button.Hot(); }));
    SetApplicationActive(false);
    EXPECT_FALSE(button.Hot());
    EXPECT_EQ(events.seen.back(), L"exit");
    // While the application is inactive nothing becomes hot.
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(32, 30));
    PumpMessages();
    EXPECT_FALSE(button.Hot());
    SetApplicationActive(true);

    // A right click on a hot button clears the edge though the pointer stays; the next move
    // brings it back.
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(33, 30));
    EXPECT_TRUE(PumpUntil([&] { return button.Hot(); }));
    PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(33, 30));
    PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(33, 30));
    PumpMessages();
    EXPECT_FALSE(button.Hot());
    EXPECT_EQ(events.seen.back(), L"exit");
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(34, 30));
    EXPECT_TRUE(PumpUntil([&] { return button.Hot(); }));
    EXPECT_EQ(events.seen.back(), L"enter");

    // A disabled button never becomes hot.
    MoveCursorTo(window, 160, 30);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(160, 30));
    PumpMessages();
    EXPECT_FALSE(disabled.Hot());
    EXPECT_NE(TFlatButton::HotButton(), &disabled);

    // A latched button shows its dither only while the mouse is not over it.
    PlaceCursor(0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !TFlatButton::HotTimerRunning(); }));
    const ClientImage pattern(window);
    EXPECT_EQ(pattern.Pixel(100 + 1, 20 + 1), highlight);
    EXPECT_EQ(pattern.Pixel(100 + 2, 20 + 1), face);
    MoveCursorTo(window, 110, 30);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(110, 30));
    EXPECT_TRUE(PumpUntil([&] { return latched.Hot(); }));
    EXPECT_EQ(ClientImage(window).Pixel(100 + 1, 20 + 1), face);
    PlaceCursor(0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !latched.Hot(); }));

    // A hot button that goes away takes the timer's watch with it; the timer itself lives only
    // while buttons do.
    auto passing = std::make_unique<TFlatButton>(&form, 200, 20, 30, 30);
    MoveCursorTo(window, 210, 30);
    PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(210, 30));
    EXPECT_TRUE(PumpUntil([&] { return passing->Hot(); }));
    EXPECT_EQ(TFlatButton::HotButton(), passing.get());
    passing.reset();
    EXPECT_EQ(TFlatButton::HotButton(), nullptr);
    EXPECT_FALSE(TFlatButton::HotTimerRunning());
    PumpUntil([] { return false; });  // ticks that were due find nothing to call
}

TEST(FlatButton, HotTimerEndsWithTheLastButton) {
    TTestForm form;
    form.Show();
    SetApplicationActive(true);
    {
        TFlatButton only(&form, 20, 20);
        MoveCursorTo(form.Handle(), 25, 25);
        PostMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(25, 25));
        EXPECT_TRUE(PumpUntil([&] { return only.Hot(); }));
        EXPECT_TRUE(TFlatButton::HotTimerRunning());
    }
    EXPECT_FALSE(TFlatButton::HotTimerRunning());
    // The application's deactivation reaches no button that is gone.
    SetApplicationActive(false);
    SetApplicationActive(true);
    PlaceCursor(0, 0);
}

// Where the menu shown right now sits on the screen.
RECT ShownMenuRect() {
    RECT rect{};
    if (const HWND menu = FindWindowW(L"#32768", nullptr); menu && IsWindowVisible(menu)) GetWindowRect(menu, &rect);
    return rect;
}

RECT ScreenRectOf(const Control& control) {
    RECT rect = control.BoundsRect();
    MapWindowPoints(control.Parent()->Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST(FlatButton, DropDownMenuOpensOnThePressWhereTheDockLeavesRoom) {
    TTestForm form;
    form.SetClientSize(500, 300);
    TFlatDock top(form);
    TFlatDock left(form);
    left.SetPosition(dpLeft);
    TFlatDock right(form);
    right.SetPosition(dpRight);
    TFlatToolbar bar(form);
    TFlatButton button(&bar, 0, 0, 61, 43);
    PopupMenu menu;
    menu.Items().Add(L"大きいｱｲｺﾝ(&G)");
    menu.Items().Add(L"小さいｱｲｺﾝ(&M)");
    menu.SetAlignment(PopupAlignment::Center);
    int popups = 0;
    menu.OnPopup = [&] { ++popups; };
    button.SetDropdownMenu(&menu);
    Events events(button);
    bar.SetDockedTo(&top);
    form.Show();
    SetApplicationActive(true);

    struct Seen {
        RECT Menu{};
        TButtonFace Face = bfUp;
        bool Hot = true;
        Control* PoppedBy = nullptr;
    };
    const auto pressAndLook = [&] {
        Seen seen;
        ModalScript script;
        POINT at{button.Left() + 5, button.Top() + 5};
        MoveCursorTo(bar.Handle(), at.x, at.y);
        Queue(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at.x, at.y);
        Queue(bar.Handle(), WM_LBUTTONUP, 0, at.x, at.y);
        script.Then([&] {
            seen.Menu = ShownMenuRect();
            seen.Face = button.Face();
            seen.Hot = button.Hot();
            seen.PoppedBy = menu.PopupComponent();
            test::PostKey(form.Handle(), VK_ESCAPE);
        });
        PumpUntil([&] { return script.Done(); });
        PumpMessages();
        return seen;
    };

    // Below the button, left edges aligned; pressed and not hot while it is open.
    const Seen below = pressAndLook();
    const RECT onTop = ScreenRectOf(button);
    EXPECT_EQ(below.Menu.left, onTop.left);
    EXPECT_EQ(below.Menu.top, onTop.bottom);
    EXPECT_EQ(below.Face, bfPressed);
    EXPECT_FALSE(below.Hot);
    EXPECT_EQ(below.PoppedBy, &button);
    EXPECT_EQ(button.Face(), bfUp);
    EXPECT_EQ(events.Count(L"click"), 0);
    EXPECT_GE(events.Count(L"exit"), 1);
    EXPECT_EQ(menu.Alignment(), PopupAlignment::Center);  // given back afterwards

    // Docked at the left: beside the button, to its right, tops aligned.
    bar.SetDockedTo(&left);
    const Seen beside = pressAndLook();
    const RECT onLeft = ScreenRectOf(button);
    EXPECT_EQ(beside.Menu.left, onLeft.right);
    EXPECT_EQ(beside.Menu.top, onLeft.top);

    // Docked at the right: to the left, the menu's right edge at the button's left edge.
    bar.SetDockedTo(&right);
    const Seen before = pressAndLook();
    const RECT onRight = ScreenRectOf(button);
    EXPECT_EQ(before.Menu.right, onRight.left);
    EXPECT_EQ(before.Menu.top, onRight.top);
    EXPECT_EQ(popups, 3);
}

TEST(FlatButton, PressingTheButtonAgainClosesItsMenuAndAPressElsewhereGetsThrough) {
    TTestForm form;
    TFlatButton button(&form, 20, 20, 61, 43);
    TFlatButton target(&form, 300, 20, 61, 43);
    Events targetEvents(target);
    PopupMenu menu;
    std::vector<std::wstring> chosen;
    menu.Items().Add(L"ﾄﾋﾟｯｸの検索(&T)", [&] { chosen.push_back(L"topics"); });
    int popups = 0;
    menu.OnPopup = [&] { ++popups; };
    button.SetDropdownMenu(&menu);
    form.Show();
    SetApplicationActive(true);

    // While the menu is open a press lands on the button again: it closes the menu, and the
    // press, still queued when the menu returns, is swept away instead of opening it again.
    ModalScript script;
    MoveCursorTo(form.Handle(), 30, 30);
    Queue(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    script.Then([&] {
        EXPECT_NE(ShownMenuRect().right, 0);
        EndMenu();
        Queue(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
        Queue(form.Handle(), WM_LBUTTONUP, 0, 30, 30);
    });
    PumpUntil([&] { return script.Done(); });
    PumpMessages();
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(button.Face(), bfUp);

    // A press elsewhere closes the menu and still reaches its target.
    MoveCursorTo(form.Handle(), 30, 30);
    Queue(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    script.Then([&] {
        EndMenu();
        Queue(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 310, 30);
        Queue(form.Handle(), WM_LBUTTONUP, 0, 310, 30);
    });
    PumpUntil([&] { return script.Done(); });
    PumpMessages();
    EXPECT_EQ(popups, 2);
    EXPECT_EQ(targetEvents.Count(L"click"), 1);

    // A chosen item runs before the press returns; an error in it reaches the error box after
    // the button has come up again.
    test::ErrorBoxCatcher errors;
    menu.Items().Item(0).OnClick = [&] { throw Error(L"ﾍﾙﾌﾟﾌｧｲﾙが見つかりません"); };
    MoveCursorTo(form.Handle(), 30, 30);
    Queue(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, 30, 30);
    script.Then([&] {
        test::PostKey(form.Handle(), VK_DOWN);
        test::PostKey(form.Handle(), VK_RETURN);
    });
    PumpUntil([&] { return !errors.Boxes().empty(); });
    ASSERT_EQ(errors.Boxes().size(), 1u);
    EXPECT_EQ(errors.Boxes()[0].Text, L"ﾍﾙﾌﾟﾌｧｲﾙが見つかりません.");
    EXPECT_EQ(button.Face(), bfUp);
}

// A button that one of its own event handlers destroys. Its storage outlives it, so that whatever
// the button still did after its destruction shows here instead of reading freed memory.
class DoomedButton {
public:
    explicit DoomedButton(WinControl* parent) : button_(new (storage_) TFlatButton(parent, 20, 20, 61, 43)) {}
    ~DoomedButton() { Destroy(); }
    DoomedButton(const DoomedButton&) = delete;
    DoomedButton& operator=(const DoomedButton&) = delete;
    TFlatButton* operator->() const { return button_; }
    void Destroy() {
        if (button_) std::exchange(button_, nullptr)->~TFlatButton();
    }

private:
    alignas(TFlatButton) unsigned char storage_[sizeof(TFlatButton)];
    TFlatButton* button_;
};

TEST(FlatButton, AButtonThatItsOwnEventDestroysIsNotTouchedAgain) {
    TTestForm form;
    TFlatButton other(&form, 200, 20);  // keeps the shared hot tracking alive meanwhile
    form.Show();
    SetApplicationActive(true);
    const HWND window = form.Handle();
    std::vector<std::wstring> seen;
    const auto send = [&](UINT message, WPARAM keys) { SendMessageW(window, message, keys, MAKELPARAM(30, 30)); };
    // What the destroyed button still asked to repaint is what is invalid after its handler.
    const auto destroyIn = [&](DoomedButton& doomed, const wchar_t* event) {
        seen.push_back(event);
        ValidateRect(window, nullptr);
        doomed.Destroy();
    };
    const auto nothingRepainted = [&] { return !GetUpdateRect(window, nullptr, FALSE); };
    MoveCursorTo(window, 30, 30);

    {  // by the press
        DoomedButton doomed(&form);
        doomed->OnMouseDown = [&](const MouseEvent&) { destroyIn(doomed, L"down"); };
        send(WM_LBUTTONDOWN, MK_LBUTTON);
        EXPECT_TRUE(nothingRepainted());
        send(WM_LBUTTONUP, 0);
    }
    {  // by the release, which would click
        DoomedButton doomed(&form);
        doomed->OnMouseUp = [&](const MouseEvent&) { destroyIn(doomed, L"up"); };
        doomed->OnClick = [&] { seen.push_back(L"click"); };
        send(WM_LBUTTONDOWN, MK_LBUTTON);
        send(WM_LBUTTONUP, 0);
    }
    {  // by the exit a right-button release fires, before the release's own event
        DoomedButton doomed(&form);
        doomed->OnMouseExit = [&] { destroyIn(doomed, L"exit"); };
        doomed->OnMouseUp = [&](const MouseEvent&) { seen.push_back(L"up after exit"); };
        send(WM_RBUTTONDOWN, MK_RBUTTON);
        send(WM_RBUTTONUP, 0);
    }
    {  // by the exit the click fires as it starts
        DoomedButton doomed(&form);
        doomed->OnMouseExit = [&] { destroyIn(doomed, L"exit"); };
        doomed->OnClick = [&] { seen.push_back(L"click after exit"); };
        send(WM_LBUTTONDOWN, MK_LBUTTON);
        send(WM_LBUTTONUP, 0);
    }
    {  // by the exit the hot state's check fires when the button is enabled again
        DoomedButton doomed(&form);
        doomed->SetEnabled(false);
        doomed->OnMouseEnter = [&] { destroyIn(doomed, L"enter"); };
        doomed->SetEnabled(true);
        EXPECT_TRUE(nothingRepainted());
    }
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"down", L"up", L"exit", L"exit", L"enter"}));
    EXPECT_EQ(GetCapture(), nullptr);
    PumpMessages();
}

TEST(FlatButton, AcceleratorClicksAndTheHotStateIsCheckedAfterwards) {
    TTestForm form;
    TFlatButton button(&form, 20, 20, 80, 23);
    button.SetCaption(L"削除(&D)");
    Events events(button);
    form.Show();
    PlaceCursor(0, 0);
    PostMessageW(form.Handle(), WM_SYSCHAR, L'd', 0);
    PumpMessages();
    EXPECT_EQ(events.Count(L"click"), 1);
    EXPECT_EQ(events.seen.back(), L"exit");  // the pointer is elsewhere
    EXPECT_EQ(button.Face(), bfUp);
    PostMessageW(form.Handle(), WM_SYSCHAR, L'x', 0);
    button.SetVisible(false);
    PostMessageW(form.Handle(), WM_SYSCHAR, L'D', 0);
    PumpMessages();
    EXPECT_EQ(events.Count(L"click"), 1);
}

}  // namespace
}  // namespace morvane
