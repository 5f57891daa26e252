#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "common/ui_driver.h"
#include "ui/application.h"
#include "ui/error.h"
#include "ui/file_drop.h"
#include "ui/form.h"
#include "ui/gdi.h"
#include "ui/graphic_controls.h"
#include "ui/list_view.h"
#include "ui/menu.h"
#include "ui/panel.h"
#include "ui/std_controls.h"
#include "ui/timer.h"

namespace morvane {
namespace {

using test::ErrorBoxCatcher;
using test::ModalScript;
using test::PostClickAt;

// Handles whatever is queued, as the application's message loop would.
void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(message);
}

FormStyle DialogStyle() {
    FormStyle style;
    style.Border = FormBorder::Dialog;
    style.MinimizeBox = style.MaximizeBox = false;
    return style;
}

// A bare form whose handlers the tests fill in.
class TProbeForm : public Form {
public:
    explicit TProbeForm(std::function<void(TProbeForm&)> create = {}) : Form(L"TProbeForm", DialogStyle()) {
        SetBounds(100, 100, 300, 200);
        if (create) OnCreate = [this, create] { create(*this); };
        Loaded();
    }
};

// A windowless control that records what reaches it.
class Recorder : public GraphicControl {
public:
    Recorder(WinControl* parent, int left, int top) : GraphicControl(parent) {
        SetBounds(left, top, 40, 20);
        OnClick = [this] { events.push_back(L"click"); };
        OnMouseDown = [this](const MouseEvent&) { events.push_back(L"down"); };
        OnMouseUp = [this](const MouseEvent&) { events.push_back(L"up"); };
    }
    void MouseLeave() override { events.push_back(L"leave"); }
    std::vector<std::wstring> events;
};

class Framework : public ::testing::Test {
protected:
    Framework() { App().SetTitle(L"Morvane"); }
};

TEST(ErrorBox, AppendsAFullStopAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(Application::ErrorBoxText(L"abc"), L"abc.");
    EXPECT_EQ(Application::ErrorBoxText(L"'Meisai' の設定に失敗しました"), L"'Meisai' の設定に失敗しました.");
    EXPECT_EQ(Application::ErrorBoxText(L"done."), L"done.");
    EXPECT_EQ(Application::ErrorBoxText(L"Hello!"), L"Hello!");
    EXPECT_EQ(Application::ErrorBoxText(L"a-"), L"a-");
    EXPECT_EQ(Application::ErrorBoxText(L"x/"), L"x/.");
    EXPECT_EQ(Application::ErrorBoxText(L""), L"");
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

// The title-bar buttons are glyphs of the Marlett font; without it they read "0 1 r".
TEST(Environment, TitleBarButtonsHaveTheirGlyphFont) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcscpy_s(wanted.lfFaceName, L"Marlett");
    bool found = false;
    WindowDC screen(nullptr);
    EnumFontFamiliesExW(screen.Get(), &wanted, FontFound, reinterpret_cast<LPARAM>(&found), 0);
    EXPECT_TRUE(found);
}

// The manifest asks for per-monitor awareness (v2, with the older per-monitor and system-aware
// forms for systems that lack it), and the system took it: windows get the real pixels of their
// monitor and WM_DPICHANGED, never a stretched bitmap.
TEST(Environment, TheProgramIsAwareOfEachMonitorsScale) {
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_TRUE(found);
    const auto* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    const std::string manifest(text, SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find("SMI/2016/WindowsSettings\">PerMonitorV2, System</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);

    using GetContext = HANDLE(WINAPI*)();
    using GetAwareness = int(WINAPI*)(HANDLE);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto context = reinterpret_cast<GetContext>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto awareness = reinterpret_cast<GetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(context && awareness);
    EXPECT_EQ(awareness(context()), 2);  // DPI_AWARENESS_PER_MONITOR_AWARE
}

TEST_F(Framework, CreationHandlerFailureSkipsTheRestButKeepsTheWindow) {
    ErrorBoxCatcher catcher;
    std::vector<int> reached;
    TProbeForm form([&](TProbeForm&) {
        reached.push_back(1);
        throw Error(L"ｷｰ Morvane の作成に失敗しました");
        reached.push_back(2);
    });
    EXPECT_EQ(reached, std::vector<int>{1});
    EXPECT_TRUE(IsWindow(form.Handle()));
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes()[0].Caption, L"Morvane");
    EXPECT_EQ(catcher.Boxes()[0].Text, L"ｷｰ Morvane の作成に失敗しました.");
}

TEST_F(Framework, CloseHandlerFailureKeepsAModelessFormOpen) {
    ErrorBoxCatcher catcher;
    TProbeForm form;
    bool fail = true;
    form.OnClose = [&] {
        if (fail) throw Error(L"'Directory' の設定に失敗しました");
    };
    form.Show();
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    ASSERT_EQ(catcher.Boxes().size(), 1u);

    fail = false;
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    PumpMessages();
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_EQ(catcher.Boxes().size(), 1u);
}

TEST_F(Framework, ModalFormClosesEvenWhenItsCloseHandlerFails) {
    ErrorBoxCatcher catcher;
    TProbeForm other;
    other.Show();
    TProbeForm form;
    form.OnClose = [&] {
        EXPECT_FALSE(IsWindowEnabled(other.Handle()));  // other windows wait while it is up
        throw Error(L"'Meisai' の設定に失敗しました");
    };
    ModalScript script;
    script.Then([&] {
        EXPECT_TRUE(form.Modal());
        form.SetModalResult(7);
    });
    EXPECT_EQ(form.ShowModal(), 7);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_TRUE(IsWindowEnabled(other.Handle()));
    ASSERT_EQ(catcher.Boxes().size(), 1u);
    EXPECT_EQ(catcher.Boxes()[0].Text, L"'Meisai' の設定に失敗しました.");
}

TEST_F(Framework, ModalFormEnablesEveryOtherWindowAgainWhenItCloses) {
    TProbeForm first;
    TProbeForm second;
    TProbeForm alreadyDisabled;
    for (TProbeForm* form : {&first, &second, &alreadyDisabled}) form->Show();
    EnableWindow(alreadyDisabled.Handle(), FALSE);
    TProbeForm form;
    Button ok(&form, L"OK", 10, 10, 80, 23);
    ok.SetModalResult(mrOk);
    bool closed = false;
    form.OnClose = [&] { closed = true; };

    ModalScript script;
    script.Then([&] {
        EXPECT_FALSE(IsWindowEnabled(first.Handle()));
        EXPECT_FALSE(IsWindowEnabled(second.Handle()));
        test::PostButtonClick(ok.Handle());
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(closed);
    EXPECT_TRUE(IsWindowEnabled(first.Handle()));
    EXPECT_TRUE(IsWindowEnabled(second.Handle()));
    // A window that was disabled before stays so: the form gives back only what it took.
    EXPECT_FALSE(IsWindowEnabled(alreadyDisabled.Handle()));
}

TEST_F(Framework, ExceptionsInEventHandlersNeverLeaveTheWindowProcedure) {
    ErrorBoxCatcher catcher;
    TProbeForm form;
    Button button(&form, L"OK", 10, 10, 80, 23);
    button.OnClick = [] { throw Error(L"Hello!"); };
    Label label(&form, 10, 50, L"label");
    label.OnClick = [] { throw std::runtime_error("plain"); };
    form.Show();
    SendMessageW(button.Handle(), BM_CLICK, 0, 0);
    PostClickAt(form.Handle(), 12, 52);
    PumpMessages();
    ASSERT_EQ(catcher.Boxes().size(), 2u);
    EXPECT_EQ(catcher.Boxes()[0].Text, L"Hello!");
    EXPECT_EQ(catcher.Boxes()[1].Text, L"plain.");

    // A paint that fails still ends: the window is valid again, a context lent for printing comes
    // back as it was given, and one error box tells of it, however often the box repaints.
    class FailingPaint : public GraphicControl {
    public:
        explicit FailingPaint(WinControl* parent) : GraphicControl(parent) { SetBounds(120, 10, 40, 20); }
        void Paint(HDC) override { throw Error(L"ｲﾒｰｼﾞの置き換えができません"); }
    } failing(&form);
    ModalScript whileTheBoxIsUp;
    whileTheBoxIsUp.Then([&] { RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); });
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const ULONGLONG end = GetTickCount64() + 500;
    while (GetTickCount64() < end) PumpMessages();
    EXPECT_TRUE(whileTheBoxIsUp.Done());
    ASSERT_EQ(catcher.Boxes().size(), 3u);
    EXPECT_EQ(catcher.Boxes()[2].Text, L"ｲﾒｰｼﾞの置き換えができません.");
    RECT stillInvalid{};
    EXPECT_FALSE(GetUpdateRect(form.Handle(), &stillInvalid, FALSE));
    UniqueBitmap image = CreateColorBitmap(300, 200);
    MemoryDC printed(image.Get());
    SendMessageW(form.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.Get()), PRF_CLIENT);
    UniqueRegion clip(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetClipRgn(printed, clip.Get()), 0);  // not left clipped
    EXPECT_FALSE(RestoreDC(printed, -1));           // nor with a state saved on it
    EXPECT_EQ(catcher.Boxes().size(), 4u);
}

TEST_F(Framework, ButtonsSetTheModalResultAndDefaultAndCancelAnswerKeys) {
    TProbeForm form;
    Button ok(&form, L"OK", 10, 10, 80, 23);
    Button cancel(&form, L"ｷｬﾝｾﾙ", 100, 10, 80, 23);
    ok.SetModalResult(mrOk);
    cancel.SetModalResult(mrCancel);
    form.SetDefaultButton(&ok);
    form.SetCancelButton(&cancel);

    test::PostKey(form.Handle(), VK_ESCAPE);
    EXPECT_EQ(form.ShowModal(), mrCancel);
    // Enter presses the focused button, or else the default one.
    ModalScript script;
    script.Then([&] {
        cancel.SetFocus();
        test::PostKey(cancel.Handle(), VK_RETURN);
    });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    script.Then([&] {
        SetFocus(form.Handle());
        test::PostKey(form.Handle(), VK_RETURN);
    });
    EXPECT_EQ(form.ShowModal(), mrOk);
    test::PostButtonClick(ok.Handle());
    EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST_F(Framework, WindowlessControlsGetMouseInputInZOrder) {
    TProbeForm form;
    Recorder below(&form, 10, 10);
    Recorder above(&form, 30, 10);  // overlaps the right half of the first
    form.Show();

    PostClickAt(form.Handle(), 35, 15);
    PumpMessages();
    EXPECT_TRUE(below.events.empty());
    EXPECT_EQ(above.events, (std::vector<std::wstring>{L"down", L"up", L"click"}));

    // The control pressed keeps the mouse until release; released elsewhere it is no click.
    above.events.clear();
    PostMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    PostMessageW(form.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 100));
    PostMessageW(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 100));
    PumpMessages();
    EXPECT_EQ(below.events, (std::vector<std::wstring>{L"down", L"up"}));
    EXPECT_TRUE(above.events.empty());

    // Moving from one to the other, and off the window, tells the one left behind.
    below.events.clear();
    PostMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));
    PostMessageW(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(45, 12));
    PostMessageW(form.Handle(), WM_MOUSELEAVE, 0, 0);
    PumpMessages();
    EXPECT_EQ(below.events, (std::vector<std::wstring>{L"leave"}));
    EXPECT_EQ(above.events, (std::vector<std::wstring>{L"leave"}));

    // Hidden and disabled controls take no input; the one below does.
    above.SetVisible(false);
    below.events.clear();
    PostClickAt(form.Handle(), 35, 15);
    PumpMessages();
    EXPECT_EQ(below.events, (std::vector<std::wstring>{L"down", L"up", L"click"}));
    below.SetEnabled(false);
    below.events.clear();
    PostClickAt(form.Handle(), 35, 15);
    PumpMessages();
    EXPECT_TRUE(below.events.empty());
}

TEST_F(Framework, ApplicationWindowHooksAndActiveState) {
    Application& app = App();
    std::vector<std::wstring> seen;
    app.OnActivate = [&] { seen.push_back(L"activate"); };
    app.OnDeactivate = [&] { seen.push_back(L"deactivate"); };
    bool swallow = false;
    const int hook = app.HookMainWindow([&](UINT message, WPARAM, LPARAM, LRESULT&) {
        if (message == WM_ACTIVATEAPP) seen.push_back(L"hook");
        return swallow;
    });

    SendMessageW(app.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(app.Active());
    SendMessageW(app.Handle(), WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(app.Active());
    swallow = true;
    SendMessageW(app.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_TRUE(app.Active());  // the hook consumed it
    app.UnhookMainWindow(hook);
    SendMessageW(app.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    EXPECT_FALSE(app.Active());
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"hook", L"deactivate", L"hook", L"activate", L"hook", L"deactivate"}));
    app.OnActivate = nullptr;
    app.OnDeactivate = nullptr;
}

TEST_F(Framework, SettersReachTheWindow) {
    TProbeForm form;
    Button button(&form, L"A", 10, 10, 80, 23);
    button.SetEnabled(false);
    EXPECT_FALSE(IsWindowEnabled(button.Handle()));
    button.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(button.Handle()));
    button.SetBounds(20, 30, 60, 25);
    EXPECT_EQ(test::RectInParent(button.Handle()).left, 20);
    EXPECT_EQ(test::RectInParent(button.Handle()).bottom, 55);
    button.SetCaption(L"ﾌﾟﾛﾊﾟﾃｨ");
    EXPECT_EQ(button.Caption(), L"ﾌﾟﾛﾊﾟﾃｨ");

    form.SetClientSize(402, 227);
    RECT client;
    GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 402);
    EXPECT_EQ(client.bottom, 227);

    Label label(&form, 5, 5, L"短い");
    const int shortWidth = label.Width();
    label.SetCaption(L"ずっと長い見出しの文字列");
    EXPECT_GT(label.Width(), shortWidth);
    EXPECT_GT(label.Height(), 0);

    // On screen, the form wears the program's icons, whichever way it came there.
    TProbeForm shown;
    ShowWindow(shown.Handle(), SW_SHOWNORMAL);
    for (TProbeForm* on : {&form, &shown}) {
        if (on == &form) on->Show();
        EXPECT_EQ(SendMessageW(on->Handle(), WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(ProgramIcon(32)));
        EXPECT_EQ(SendMessageW(on->Handle(), WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(ProgramIcon(16)));
    }
}

TEST_F(Framework, PopupMenuRunsTheChosenItemAndKeepsRadioGroupsExclusive) {
    TProbeForm form;
    form.Show();
    PopupMenu menu;
    std::vector<std::wstring> clicked;
    MenuItem& first = menu.Items().Add(L"拡張子選択", [&] { clicked.push_back(L"first"); });
    first.SetShortCutText(L"Ctrl+S");
    first.SetDefault(true);
    menu.Items().Add(L"-");
    MenuItem& a = menu.Items().Add(L"A", [&] { clicked.push_back(L"a"); });
    MenuItem& b = menu.Items().Add(L"B", [&] { clicked.push_back(L"b"); });
    a.SetRadioItem(true, 1);
    b.SetRadioItem(true, 1);
    a.SetChecked(true);
    b.SetChecked(true);
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_EQ(&b.Parent()->Item(0), &first);

    // The menu's own loop reads the keys; the item after the separator is chosen.
    HMENU seen = nullptr;
    int seenCount = 0;
    wchar_t seenText[64] = {};
    ModalScript script;
    script.Then([&] {
        seen = PopupMenu::Showing();
        seenCount = GetMenuItemCount(seen);
        GetMenuStringW(seen, 0, seenText, 64, MF_BYPOSITION);
        EXPECT_EQ(GetMenuState(seen, 0, MF_BYPOSITION) & MF_DEFAULT, static_cast<UINT>(MF_DEFAULT));
        EXPECT_EQ(GetMenuState(seen, 3, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
        test::PostKey(form.Handle(), VK_DOWN);
        test::PostKey(form.Handle(), VK_DOWN);
        test::PostKey(form.Handle(), VK_RETURN);
    });
    menu.Popup(10, 10, form.Handle());
    EXPECT_EQ(clicked, std::vector<std::wstring>{L"a"});
    EXPECT_EQ(seenCount, 4);
    EXPECT_STREQ(seenText, L"拡張子選択\tCtrl+S");
    EXPECT_EQ(PopupMenu::Showing(), nullptr);

    // A disabled item is never run.
    a.SetEnabled(false);
    a.Click();
    EXPECT_EQ(clicked.size(), 1u);
}

TEST_F(Framework, AlignedChildrenShareTheParentInOrderAndFollowItsSize) {
    TProbeForm form;
    form.SetClientSize(300, 200);
    Panel client(&form, 0, 0, 10, 10);
    Panel left(&form, 0, 0, 40, 10);
    Panel top(&form, 0, 0, 10, 30);
    Bevel line(&form, BevelShape::TopLine, 0, 0, 10, 2);
    Panel bottom(&form, 0, 0, 10, 20);
    client.SetAlign(Align::Client);
    left.SetAlign(Align::Left);
    top.SetAlign(Align::Top);
    line.SetAlign(Align::Top);
    bottom.SetAlign(Align::Bottom);
    EXPECT_EQ(test::RectInParent(top.Handle()).bottom, 30);
    EXPECT_EQ(line.Top(), 30);
    EXPECT_EQ(line.Width(), 300);
    EXPECT_EQ(test::RectInParent(bottom.Handle()).top, 180);
    const RECT side = test::RectInParent(left.Handle());
    EXPECT_EQ(side.top, 32);
    EXPECT_EQ(side.bottom, 180);
    const RECT rest = test::RectInParent(client.Handle());
    EXPECT_EQ(rest.left, 40);
    EXPECT_EQ(rest.right, 300);
    EXPECT_EQ(rest.top, 32);

    // The parent's new size re-arranges them; a child that grows pushes those after it.
    form.SetClientSize(400, 300);
    EXPECT_EQ(test::RectInParent(bottom.Handle()).top, 280);
    EXPECT_EQ(test::RectInParent(client.Handle()).right, 400);
    top.SetBounds(0, 0, 400, 50);
    EXPECT_EQ(line.Top(), 50);
    EXPECT_EQ(test::RectInParent(client.Handle()).top, 52);
}

TEST_F(Framework, RightButtonsReachWindowlessControlsThatHoldTheMouseWhileAnyButtonIsDown) {
    TProbeForm form;
    Recorder recorder(&form, 10, 10);
    std::vector<MouseButton> buttons;
    recorder.OnMouseUp = [&](const MouseEvent& event) { buttons.push_back(event.Button); };
    form.Show();
    PostMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 12));
    PostMessageW(form.Handle(), WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(200, 100));
    PostMessageW(form.Handle(), WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(200, 100));
    PumpMessages();
    EXPECT_EQ(GetCapture(), form.Handle());  // the left button is still down
    PostMessageW(form.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 100));
    PumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(buttons, (std::vector<MouseButton>{MouseButton::Right, MouseButton::Left}));
    EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), L"click"), 0);

    // Found under a point, disabled ones only when asked for.
    recorder.SetEnabled(false);
    POINT inside{15, 15};
    ClientToScreen(form.Handle(), &inside);
    EXPECT_EQ(WinControl::ControlAtScreen(inside, true), &recorder);
    EXPECT_EQ(WinControl::ControlAtScreen(inside, false), &form);
}

TEST_F(Framework, PanelBevelAndTimer) {
    TProbeForm form;
    Panel framed(&form, 10, 10, 50, 30, PanelBevel::RaisedInLoweredOut);
    form.Show();
    UniqueBitmap image = CreateColorBitmap(50, 30);
    {
        MemoryDC dc(image.Get());
        SendMessageW(framed.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
        EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_BTNSHADOW));  // lowered outside
        EXPECT_EQ(GetPixel(dc, 49, 29), GetSysColor(COLOR_BTNHIGHLIGHT));
        EXPECT_EQ(GetPixel(dc, 1, 1), GetSysColor(COLOR_BTNHIGHLIGHT));  // raised inside
    }

    Timer timer(10);
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 3) timer.SetEnabled(false);
    };
    timer.SetEnabled(true);
    const ULONGLONG end = GetTickCount64() + 2000;
    while (timer.Enabled() && GetTickCount64() < end) {
        PumpMessages();
        Sleep(5);
    }
    EXPECT_EQ(ticks, 3);
}

// A list whose owner names its items by number, counting what the control asks for.
class NumberedList : public ListView {
public:
    using ListView::ListView;
    int Asked = 0;

protected:
    std::wstring ItemText(int index, int) override {
        ++Asked;
        return L"item " + std::to_wstring(index);
    }
};

TEST_F(Framework, AListGivenItemsShowsTheFirstWithItsScrollBarAndAHiddenListStaysHidden) {
    TProbeForm form;
    NumberedList list(&form, 0, 0, 200, 120);
    list.SetStyle(ViewStyle::Report);
    list.AddColumn(L"名前", 150, LVCFMT_LEFT);
    form.Show();
    PumpMessages();

    list.SetCount(1000);
    EXPECT_TRUE(IsWindowVisible(list.Handle()));
    EXPECT_TRUE(GetWindowLongPtrW(list.Handle(), GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE;
    ASSERT_TRUE(GetScrollInfo(list.Handle(), SB_VERT, &range));
    EXPECT_EQ(range.nMax, 999);
    RECT pending{};
    EXPECT_TRUE(GetUpdateRect(list.Handle(), &pending, FALSE)) << "the list is to be drawn again";
    PumpMessages();
    EXPECT_FALSE(GetUpdateRect(list.Handle(), &pending, FALSE));
    EXPECT_GT(list.Asked, 0);
    EXPECT_LT(list.Asked, 100) << "asked only for the rows on screen";
    EXPECT_EQ(list.Text(999), L"item 999");

    list.SetVisible(false);
    list.SetCount(2000);
    EXPECT_FALSE(IsWindowVisible(list.Handle()));
    EXPECT_EQ(list.Count(), 2000);
}

TEST_F(Framework, TheListStyleAsksOnlyForTheItemsOnScreenAndKeepsTheSelection) {
    TProbeForm form;
    // A list that shows many items first in the list style, then one that comes to it with them.
    NumberedList fresh(&form, 0, 0, 280, 80);
    fresh.SetStyle(ViewStyle::List);
    NumberedList switched(&form, 0, 80, 280, 80);
    switched.SetStyle(ViewStyle::Report);
    switched.AddColumn(L"名前", 150, LVCFMT_LEFT);
    form.Show();
    PumpMessages();
    for (NumberedList* list : {&fresh, &switched}) list->SetCount(20000);
    switched.Select(5000);
    switched.AddToSelection(5002);
    PumpMessages();

    switched.SetStyle(ViewStyle::List);
    PumpMessages();
    EXPECT_EQ(switched.Style(), ViewStyle::List);
    EXPECT_EQ(switched.Count(), 20000);
    EXPECT_EQ(switched.SelectedCount(), 2);
    EXPECT_EQ(switched.FirstSelected(), 5000);
    EXPECT_EQ(switched.NextSelected(5000), 5002);
    EXPECT_EQ(switched.Focused(), 5000);
    EXPECT_EQ(switched.SelectionMark(), 5000);
    for (NumberedList* list : {&fresh, &switched}) {
        EXPECT_LT(list->Asked, 1000) << "asked for labels off the screen";
        RECT first = list->ItemRect(0);
        EXPECT_GT(first.right - first.left, 0);
    }
}

TEST_F(Framework, AKeyCommandThatFailsReachesTheErrorBoxAndTheLoopGoesOn) {
    // A form whose key preview runs a command that fails, as Ctrl+Z does when the disk refuses.
    class TFailingKeys : public TProbeForm {
    public:
        bool KeyPreview(const MSG& message) override {
            if (message.message == WM_KEYDOWN && message.wParam == 'Z') throw Error(L"ﾃｽﾄ");
            return false;
        }
    } form;
    form.Show();
    ErrorBoxCatcher boxes;
    test::PostKey(form.Handle(), 'Z');
    PostMessageW(form.Handle(), WM_NULL, 0, 0);
    PumpMessages();
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].Text, L"ﾃｽﾄ.");
}

// Last in this program: the main form, once made, stays for the rest of the run.
// A form that takes classic drops only, as the main window does when run elevated.
class TClassicDropForm : public Form {
public:
    TClassicDropForm() : Form(L"TClassicDropForm", DialogStyle()) {
        SetBounds(100, 100, 300, 200);
        drop.OnDrop = [this](const std::vector<std::wstring>& paths) { dropped = paths; };
    }
    FileDrop drop{Handle(), FileDrop::Drops::ClassicOnly};
    std::vector<std::wstring> dropped;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DROPFILES) {
            drop.DropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        }
        return Form::WndProc(message, wParam, lParam);
    }
};

// Elevated, the window registers no OLE drop target (Explorer, not elevated, could not reach it
// and would not fall back to the classic drop), and the classic drop opens what it brings.
TEST_F(Framework, AWindowThatTakesClassicDropsOnlyRegistersNoDropTarget) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    {
        TClassicDropForm form;
        EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        // The window's place for a drop target is free: a registration now succeeds.
        struct NoTarget final : IDropTarget {
            HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
                *out = nullptr;
                return E_NOINTERFACE;
            }
            ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
            ULONG STDMETHODCALLTYPE Release() override { return 1; }
            HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD*) override { return E_FAIL; }
            HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return E_FAIL; }
            HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
            HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD*) override { return E_FAIL; }
        } probe;
        EXPECT_EQ(RegisterDragDrop(form.Handle(), &probe), S_OK);
        RevokeDragDrop(form.Handle());

        const std::wstring path = L"C:\\windows";
        test::PostFileDrop(form.Handle(), {path});
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(message);
        EXPECT_EQ(form.dropped, std::vector<std::wstring>{path});
    }
    // This test program runs at the shell's own level, and so takes OLE drops too.
    EXPECT_FALSE(RunsAboveTheShell());
    OleUninitialize();
}

TEST_F(Framework, MessageLoopEndsWhenTheMainFormCloses) {
    Application& app = App();
    ASSERT_EQ(app.MainForm(), nullptr);
    std::vector<std::wstring> closed;
    TProbeForm& main = app.CreateForm<TProbeForm>();
    TProbeForm& second = app.CreateForm<TProbeForm>();
    EXPECT_EQ(app.MainForm(), &main);
    // Later forms are owned by the main form, so they stay above it.
    EXPECT_EQ(GetWindow(second.Handle(), GW_OWNER), main.Handle());
    main.OnClose = [&] { closed.push_back(L"main"); };
    second.OnClose = [&] { closed.push_back(L"second"); };

    // Work for idle moments runs after the input waiting, piece by piece in the order given;
    // that of an owner that went is forgotten.
    std::vector<std::wstring> steps;
    app.WhenIdle(&main, [&, pieces = 0]() mutable {
        steps.push_back(L"idle " + std::to_wstring(++pieces));
        return pieces < 2;
    });
    app.WhenIdle(&second, [&] {
        steps.push_back(L"forgotten");
        return false;
    });
    app.ForgetIdleWork(&second);
    app.WhenIdle(&main, [&] {
        steps.push_back(L"last idle");
        PostMessageW(second.Handle(), WM_CLOSE, 0, 0);  // another form's close does not end the loop
        PostMessageW(main.Handle(), WM_CLOSE, 0, 0);
        return false;
    });
    ModalScript script;
    script.Then([&] {
        EXPECT_TRUE(IsWindowVisible(main.Handle()));
        steps.push_back(L"input");
    });
    app.Run();
    EXPECT_EQ(steps, (std::vector<std::wstring>{L"input", L"idle 1", L"idle 2", L"last idle"}));
    EXPECT_EQ(closed, (std::vector<std::wstring>{L"second", L"main"}));
    EXPECT_FALSE(IsWindowVisible(main.Handle()));
    EXPECT_FALSE(app.RunIdleWork());
}

}  // namespace
}  // namespace morvane
