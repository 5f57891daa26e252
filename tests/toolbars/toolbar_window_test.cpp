// Docks, toolbars, separators and flat edits as real windows.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <string>
#include <vector>

#include "common/ui_driver.h"
#include "toolbars/flat_button.h"
#include "toolbars/flat_dock.h"
#include "toolbars/flat_edit.h"
#include "toolbars/flat_sep.h"
#include "toolbars/flat_toolbar.h"
#include "toolbars/main_toolbars.h"
#include "toolbars/toolbar_hooks.h"
#include "toolbars/toolbar_test_support.h"
#include "ui/error.h"
#include "ui/panel.h"

namespace morvane {
namespace {

using test::RectInParent;

std::wstring RefusalOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const InvalidOperation& error) {
        return error.Message();
    }
    return L"";
}

// Makes a form an MDI child of another: a child window of the frame's MDI client area, with the
// MDI child style.
void MakeMdiChild(Form& child, Form& frame) {
    CLIENTCREATESTRUCT client{nullptr, 1};
    const HWND area = CreateWindowExW(0, L"MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 300,
                                      200, frame.Handle(), nullptr, GetModuleHandleW(nullptr), &client);
    SetWindowLongPtrW(child.Handle(), GWL_STYLE, WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_CLIPSIBLINGS);
    SetWindowLongPtrW(child.Handle(), GWL_EXSTYLE, GetWindowLongPtrW(child.Handle(), GWL_EXSTYLE) | WS_EX_MDICHILD);
    ::SetParent(child.Handle(), area);
}

TEST(ToolbarWindows, MainToolbarAreaComesOutAtItsStoredSizes) {
    TTestForm form;
    MainToolbars area(form);
    form.Show();
    PumpMessages();

    EXPECT_EQ(RectInParent(area.FlatDock1.Handle()), (RECT{0, 0, 605, 47}));
    EXPECT_EQ(RectInParent(area.FlatToolbar1.Handle()), (RECT{0, 0, 184, 47}));
    EXPECT_EQ(RectInParent(area.FlatToolbar2.Handle()), (RECT{184, 0, 499, 47}));
    EXPECT_EQ(area.FlatToolbar2.DockPos(), 184);
    EXPECT_EQ(RectInParent(area.Panel6.Handle()), (RECT{2, 2, 182, 45}));
    EXPECT_EQ(area.FlatButton7.BoundsRect(), (RECT{2, 2, 63, 45}));
    EXPECT_EQ(area.FlatSep1.BoundsRect(), (RECT{63, 2, 69, 45}));
    EXPECT_EQ(area.FlatButton5.BoundsRect(), (RECT{69, 2, 130, 45}));
    EXPECT_EQ(area.FlatButton6.BoundsRect(), (RECT{252, 2, 313, 45}));
    EXPECT_EQ(area.FlatButton1.BoundsRect(), (RECT{70, 21, 85, 39}));
    EXPECT_EQ(area.FlatButton1.NumGlyphs(), 1);
    EXPECT_EQ(area.FlatButton1.DropdownMenu(), &area.PopupMenu1);
    EXPECT_FALSE(area.FlatButton1.DropdownArrow());
    EXPECT_EQ(area.Edit1.Height(), FontCellHeight(area.Edit1.Font()) + 6);
    EXPECT_EQ(area.FlatDock1.BarList().size(), 2u);

    // The menus as the handlers will find them.
    EXPECT_TRUE(area.N2.Default());
    EXPECT_EQ(area.N2.ShortCutText(), L"Ctrl+S");
    EXPECT_TRUE(area.K9.Checked());
    EXPECT_TRUE(area.K8.Checked());
    EXPECT_EQ(area.K13.Parent(), &area.K12);
    area.K10.SetChecked(true);
    EXPECT_FALSE(area.K9.Checked());
    // The check item for subfolders follows K10, unchecked, and its check leaves the radio items be.
    EXPECT_EQ(&area.PopupMenu1.Items().Item(5), &area.IncludeSubFolders);
    EXPECT_EQ(area.IncludeSubFolders.Caption(), L"ｻﾌﾞﾌｫﾙﾀﾞも含める");
    EXPECT_FALSE(area.IncludeSubFolders.Checked());
    EXPECT_FALSE(area.IncludeSubFolders.RadioItem());
    area.IncludeSubFolders.SetChecked(true);
    EXPECT_TRUE(area.K10.Checked());
    EXPECT_EQ(&area.PopupMenu1.Items().Item(6), &area.N6);

    // Docked from their creation, the toolbars are windows of the dock; one still floats out as a
    // tool window of its form and comes back to its place.
    EXPECT_EQ(GetParent(area.FlatToolbar2.Handle()), area.FlatDock1.Handle());
    // Both hook the form, which keeps the focus in their fields and shows them with it.
    EXPECT_EQ(HookRegistry::Count(HookKind::Form, form.Handle()), 2);
    area.FlatToolbar2.SetDockedTo(nullptr);
    EXPECT_EQ(GetAncestor(area.FlatToolbar2.Handle(), GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetWindow(area.FlatToolbar2.Handle(), GW_OWNER), form.Handle());
    EXPECT_TRUE(IsWindowVisible(area.FlatToolbar2.Handle()));
    area.FlatToolbar2.SetDockedTo(&area.FlatDock1);
    EXPECT_EQ(RectInParent(area.FlatToolbar2.Handle()), (RECT{184, 0, 499, 47}));

    // The dock follows the width of its form; its thickness stays.
    form.SetClientSize(400, 200);
    EXPECT_EQ(RectInParent(area.FlatDock1.Handle()), (RECT{0, 0, 400, 47}));
}

VARIANT Child(long id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

IAccessible* ObjectOf(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::wstring NameOf(IAccessible* object, long id) {
    BSTR text = nullptr;
    if (object->get_accName(Child(id), &text) != S_OK) return L"(none)";
    std::wstring name(text, SysStringLen(text));
    SysFreeString(text);
    return name;
}

long RoleOf(IAccessible* object, long id) {
    VARIANT role;
    return object->get_accRole(Child(id), &role) == S_OK ? role.lVal : -1;
}

long StateOf(IAccessible* object, long id) {
    VARIANT state;
    return object->get_accState(Child(id), &state) == S_OK ? state.lVal : -1;
}

// Without the mouse: Tab goes from the fields to the command toolbar, one stop whose arrow keys
// move between its buttons, shown by a focus rectangle, and whose Enter and Space press the one the
// keyboard is on. A screen reader finds every command button, field and arrow with its name, role
// and state through the objects the windows serve, and presses a button by its default action.
TEST(ToolbarWindows, KeysAndScreenReadersReachEveryButtonAndField) {
    TTestForm form;
    MainToolbars area(form);
    int batches = 0;
    area.FlatButton7.OnClick = [&] { ++batches; };
    form.Show();
    PumpMessages();

    EXPECT_EQ(GetNextDlgTabItem(form.Handle(), area.Edit1.Handle(), FALSE), area.Edit2.Handle());
    area.Edit2.SetFocus();
    test::PostKey(area.Edit2.Handle(), VK_TAB);
    PumpMessages();
    const HWND bar = area.FlatToolbar2.Handle();
    ASSERT_EQ(GetFocus(), bar);
    EXPECT_TRUE(area.FlatButton7.KeyFocused());
    // The focus rectangle, a dotted line three pixels inside the button.
    EXPECT_NE(ClientImage(bar).Pixel(2 + 3, 2 + 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ClientImage(bar).Pixel(69 + 3, 2 + 3), GetSysColor(COLOR_BTNFACE));
    test::PostKey(bar, VK_RIGHT);
    PumpMessages();
    EXPECT_FALSE(area.FlatButton7.KeyFocused());
    EXPECT_TRUE(area.FlatButton5.KeyFocused());
    EXPECT_NE(ClientImage(bar).Pixel(69 + 3, 2 + 3), GetSysColor(COLOR_BTNFACE));
    test::PostKey(bar, VK_LEFT);
    test::PostKey(bar, VK_RETURN);
    PumpMessages();
    EXPECT_EQ(batches, 1);
    test::PostKey(bar, VK_SPACE);
    PumpMessages();
    EXPECT_EQ(batches, 2);
    test::PostKey(bar, VK_LEFT);  // round the end to 終了
    PumpMessages();
    EXPECT_TRUE(area.FlatButton6.KeyFocused());
    test::PostKey(bar, VK_RIGHT);
    PumpMessages();

    IAccessible* commands = ObjectOf(bar);
    ASSERT_TRUE(commands);
    long count = 0;
    EXPECT_EQ(commands->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 5);  // the separator is no element
    EXPECT_EQ(NameOf(commands, 1), L"一括変換");
    EXPECT_EQ(NameOf(commands, 2), L"表示");
    EXPECT_EQ(NameOf(commands, 3), L"ﾌﾟﾛﾊﾟﾃｨ");
    EXPECT_EQ(NameOf(commands, 4), L"ﾍﾙﾌﾟ");
    EXPECT_EQ(NameOf(commands, 5), L"終了");
    EXPECT_EQ(RoleOf(commands, 1), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(RoleOf(commands, 2), ROLE_SYSTEM_BUTTONMENU);
    EXPECT_EQ(RoleOf(commands, 5), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(StateOf(commands, 1) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE),
              STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE);
    EXPECT_EQ(StateOf(commands, 2) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HASPOPUP), STATE_SYSTEM_HASPOPUP);
    VARIANT focused;
    ASSERT_EQ(commands->get_accFocus(&focused), S_OK);
    EXPECT_EQ(focused.vt, VT_I4);
    EXPECT_EQ(focused.lVal, 1);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(commands->accLocation(&left, &top, &width, &height, Child(5)), S_OK);
    POINT corner{252, 2};
    ClientToScreen(bar, &corner);
    EXPECT_EQ((RECT{left, top, left + width, top + height}), (RECT{corner.x, corner.y, corner.x + 61, corner.y + 43}));
    VARIANT hit;
    ASSERT_EQ(commands->accHitTest(corner.x + 5, corner.y + 5, &hit), S_OK);
    EXPECT_EQ(hit.lVal, 5);
    BSTR action = nullptr;
    ASSERT_EQ(commands->get_accDefaultAction(Child(1), &action), S_OK);
    EXPECT_STREQ(action, L"押す");
    SysFreeString(action);
    // The action is posted: a menu it opens must not hold the reader that asked.
    EXPECT_EQ(commands->accDoDefaultAction(Child(1)), S_OK);
    PumpMessages();
    EXPECT_EQ(batches, 3);
    area.FlatButton7.SetEnabled(false);
    EXPECT_TRUE(StateOf(commands, 1) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_EQ(commands->accDoDefaultAction(Child(1)), E_FAIL);
    PumpMessages();
    EXPECT_EQ(batches, 3);
    area.FlatButton7.SetEnabled(true);
    commands->Release();

    // The fields' panel: its labels as text, the fields as their windows, the arrows as menu buttons
    // named by their fields; each field's own object carries its label's name.
    IAccessible* fields = ObjectOf(area.Panel6.Handle());
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(RoleOf(fields, 1), ROLE_SYSTEM_STATICTEXT);
    EXPECT_EQ(NameOf(fields, 1), L"対象拡張子");
    IDispatch* field = nullptr;
    EXPECT_EQ(fields->get_accChild(Child(2), &field), S_OK);
    ASSERT_TRUE(field);
    field->Release();
    EXPECT_EQ(NameOf(fields, 3), L"対象拡張子のメニュー");
    EXPECT_EQ(RoleOf(fields, 3), ROLE_SYSTEM_BUTTONMENU);
    EXPECT_EQ(NameOf(fields, 6), L"変換拡張子のメニュー");
    fields->Release();
    for (TFlatEdit* edit : {&area.Edit1, &area.Edit2}) {
        IAccessible* object = ObjectOf(edit->Handle());
        ASSERT_TRUE(object);
        EXPECT_EQ(NameOf(object, CHILDID_SELF), edit == &area.Edit1 ? L"対象拡張子" : L"変換拡張子");
        object->Release();
    }
}

// A change of the system colours (a dark high-contrast scheme) reaches what keeps colours: the
// fields' background, and the glyphs, whose black outlines take the button text colour.
TEST(ToolbarWindows, ColoursFollowTheSystemColoursWhenTheyChange) {
    TTestForm form;
    MainToolbars area(form);
    form.Show();
    PumpMessages();
    const RECT arrow = area.FlatButton1.BoundsRect();
    std::vector<POINT> outline;
    {
        const ClientImage before(area.Panel6.Handle());
        for (int y = arrow.top; y < arrow.bottom; ++y)
            for (int x = arrow.left; x < arrow.right; ++x)
                if (before.Pixel(x, y) == RGB(0, 0, 0)) outline.push_back({x, y});
    }
    ASSERT_FALSE(outline.empty());

    const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW, COLOR_WINDOWTEXT};
    COLORREF saved[4];
    for (int i = 0; i < 4; ++i) saved[i] = GetSysColor(elements[i]);
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0), RGB(255, 255, 0)};
    ASSERT_TRUE(SetSysColors(4, elements, dark));
    // Broadcast by the system to the top-level windows; sent here too, in case it comes late.
    SendMessageW(form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    PumpMessages();
    const ClientImage after(area.Panel6.Handle());
    const COLORREF fieldColor = area.Edit1.Color();
    const COLORREF face = after.Pixel(1, 1);
    const COLORREF glyph = after.Pixel(outline.front().x, outline.front().y);
    SetSysColors(4, elements, saved);
    SendMessageW(form.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    PumpMessages();

    EXPECT_EQ(fieldColor, RGB(0, 0, 0));
    EXPECT_EQ(face, RGB(0, 0, 0));
    EXPECT_EQ(glyph, RGB(255, 255, 255));
    EXPECT_EQ(ClientImage(area.Panel6.Handle()).Pixel(outline.front().x, outline.front().y), RGB(0, 0, 0));
}

TEST(ToolbarWindows, DockRefusesMisuseWithItsFixedTexts) {
    TTestForm form;
    Panel panel(&form, 0, 0, 10, 10);
    EXPECT_EQ(RefusalOf([&] { TFlatDock dock(panel); }), L"TFlatDock must be owned by a form");
    EXPECT_EQ(RefusalOf([&] { TFlatToolbar bar(panel); }), L"TFlatToolbar must be owned by a form");

    TFlatDock dock(form);
    TFlatToolbar bar(form);
    TFlatDock other(form);
    EXPECT_EQ(RefusalOf([&] { other.SetParent(&bar); }),
              L"A TFlatDock control cannot be placed inside a TFlatToolbar or another TFlatDock");
    EXPECT_EQ(RefusalOf([&] { other.SetParent(&dock); }),
              L"A TFlatDock control cannot be placed inside a TFlatToolbar or another TFlatDock");
    EXPECT_EQ(other.Parent(), &form);
    EXPECT_EQ(RefusalOf([&] { other.SetVisible(false); }), L"Cannot hide a TFlatDock");
    EXPECT_TRUE(other.Visible());
    EXPECT_EQ(RefusalOf([&] { bar.SetParent(&panel); }),
              L"TFlatToolbar can only be placed on a TFlatDock or directly on the form");
    EXPECT_EQ(RefusalOf([&] { TFlatSep sep(&form, 0, 0, 6, 20); }), L"TFlatSep can only be placed on a TFlatToolbar");
    EXPECT_EQ(RefusalOf([&] { TFlatSep sep(&dock, 0, 0, 6, 20); }), L"TFlatSep can only be placed on a TFlatToolbar");

    bar.SetDockedTo(&dock);
    EXPECT_EQ(RefusalOf([&] { dock.SetPosition(dpBottom); }),
              L"Cannot change Position of a TFlatDock if it already contains controls");
    EXPECT_EQ(dock.Position(), dpTop);
    EXPECT_EQ(dock.Alignment(), Align::Top);
    // Placed on its dock again, the toolbar is taken out of the dock and put back, between the
    // two events of a change of parent.
    int recreating = 0;
    int recreated = 0;
    std::vector<bool> inserted;
    bar.OnRecreating = [&] { ++recreating; };
    bar.OnRecreated = [&] { ++recreated; };
    dock.OnInsertRemoveBar = [&](TFlatDock&, bool inserting, TFlatToolbar&) { inserted.push_back(inserting); };
    bar.SetParent(&dock);
    EXPECT_EQ(recreating, 1);
    EXPECT_EQ(recreated, 1);
    EXPECT_EQ(inserted, (std::vector<bool>{false, true}));
    EXPECT_EQ(dock.BarList().size(), 1u);
    EXPECT_EQ(bar.DockedTo(), &dock);
    // The form itself as parent means the toolbar's FloatHost.
    bar.SetParent(&form);
    EXPECT_EQ(bar.Parent(), &bar.FloatHost());
    EXPECT_EQ(bar.DockedTo(), nullptr);
    EXPECT_TRUE(dock.BarList().empty());
    EXPECT_EQ(recreating, 2);
    EXPECT_EQ(recreated, 2);

    // A toolbar owned by an MDI child floats over the frame, but the form it may be placed on
    // directly is its owner, the child; the frame is refused.
    TTestForm frame;
    TTestForm child;
    MakeMdiChild(child, frame);
    TFlatToolbar childBar(child);
    ASSERT_EQ(&childBar.HostForm(), &frame);
    childBar.SetDockedTo(&dock);
    childBar.SetParent(&child);
    EXPECT_EQ(childBar.Parent(), &childBar.FloatHost());
    EXPECT_EQ(RefusalOf([&] { childBar.SetParent(&frame); }),
              L"TFlatToolbar can only be placed on a TFlatDock or directly on the form");
    EXPECT_EQ(childBar.Parent(), &childBar.FloatHost());
}

TEST(ToolbarWindows, DockThicknessFollowsItsRowsAndABottomDockKeepsItsBottomEdge) {
    TTestForm form;
    form.SetClientSize(400, 300);
    TFlatDock top(form);
    TFlatDock bottom(form);
    bottom.SetPosition(dpBottom);
    bottom.SetAllowDrag(false);
    form.Show();
    EXPECT_EQ(RectInParent(top.Handle()).bottom, 0);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 300, 400, 300}));
    bottom.SetFixAlign(true);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 299, 400, 300}));

    TFlatToolbar first(form);
    TFlatButton a(&first, 0, 0, 23, 22);
    TFlatToolbar second(form);
    TFlatButton b(&second, 0, 0, 61, 43);
    TFlatToolbar third(form);
    std::vector<std::pair<bool, TFlatToolbar*>> events;
    bottom.OnInsertRemoveBar = [&](TFlatDock&, bool inserting, TFlatToolbar& bar) { events.push_back({inserting, &bar}); };
    first.SetDockedTo(&bottom);
    second.SetDockPos(100);
    second.SetDockedTo(&bottom);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 253, 400, 300}));
    // Both toolbars take the row's thickness; the small one centres its button on the row.
    EXPECT_EQ(first.Height(), 47);
    EXPECT_EQ(a.Top(), 12);
    EXPECT_EQ(first.Width(), 27);
    EXPECT_EQ(second.Left(), 100);

    third.SetDockRow(1);
    third.SetDockedTo(&bottom);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 241, 400, 300}));
    EXPECT_EQ(third.BoundsRect(), (RECT{0, 47, 12, 59}));
    EXPECT_FALSE(events.empty());
    EXPECT_TRUE(events.back().first);
    EXPECT_EQ(events.back().second, &third);

    // A hidden toolbar leaves its place empty; a row it leaves empty goes.
    first.SetVisible(false);
    EXPECT_EQ(second.Left(), 100);
    EXPECT_FALSE(events.back().first);
    third.SetVisible(false);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 253, 400, 300}));
    EXPECT_EQ(third.DockRow(), 1);
    third.SetVisible(true);
    first.SetVisible(true);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 241, 400, 300}));
    EXPECT_EQ(first.Left(), 0);
    EXPECT_EQ(bottom.BarList().size(), 3u);
    EXPECT_EQ(bottom.BarList().front(), &first);

    // Moving a toolbar to another dock takes it out of the first one's rows.
    second.SetDockedTo(&top);
    EXPECT_EQ(RectInParent(top.Handle()), (RECT{0, 0, 400, 47}));
    EXPECT_EQ(second.Left(), 100);  // its place along the row goes with it
    EXPECT_EQ(bottom.BarList().size(), 2u);
    EXPECT_EQ(RectInParent(bottom.Handle()), (RECT{0, 300 - 26 - 12, 400, 300}));

    // Limited to one row, a dock lines its toolbars up in the order of their places, whatever
    // rows they had.
    first.SetDockedTo(&top);
    first.SetDockPos(0);
    first.SetDockRow(1);
    ASSERT_EQ(first.Top(), 47);
    top.SetLimitToOneRow(true);
    top.ArrangeRows();
    EXPECT_EQ(first.DockRow(), 0);
    EXPECT_EQ(first.BoundsRect(), (RECT{0, 0, 36, 47}));  // 11 + 23 + 2 with the drag handle
    EXPECT_EQ(second.BoundsRect(), (RECT{100, 0, 174, 47}));
    EXPECT_EQ(RectInParent(top.Handle()), (RECT{0, 0, 400, 47}));
}

TEST(ToolbarWindows, DragHandleTakesRoomAndSeparatorsDrawAcrossTheToolbar) {
    TTestForm form;
    TFlatDock top(form);
    TFlatDock left(form);
    left.SetPosition(dpLeft);
    TFlatToolbar bar(form);
    TFlatButton button(&bar, 0, 0, 23, 22);
    TFlatSep sep(&bar, 23, 0, 6, 22);
    TFlatSep blank(&bar, 29, 0, 6, 22);
    blank.SetBlank(true);
    TFlatButton last(&bar, 35, 0, 23, 22);
    bar.Loaded();
    bar.SetDockedTo(&top);
    form.Show();
    EXPECT_EQ(button.Left(), 11);  // after the drag handle
    top.SetAllowDrag(false);
    EXPECT_EQ(button.Left(), 2);
    EXPECT_EQ(sep.BoundsRect(), (RECT{25, 2, 31, 24}));

    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ClientImage image(bar.Handle());
    EXPECT_EQ(image.Pixel(25 + 2, 10), shadow);
    EXPECT_EQ(image.Pixel(25 + 3, 10), highlight);
    EXPECT_EQ(image.Pixel(25 + 1, 10), face);
    EXPECT_EQ(image.Pixel(25 + 4, 10), face);
    for (int x = 31; x < 37; ++x) EXPECT_EQ(image.Pixel(x, 10), face) << x;  // the blank one

    // Docked at the left the separator is 4 high and its lines run across.
    bar.SetDockedTo(&left);
    EXPECT_EQ(sep.Height(), 4);
    EXPECT_EQ(sep.Width(), 23);  // the row's widest control
    ClientImage vertical(bar.Handle());
    EXPECT_EQ(vertical.Pixel(sep.Left() + 10, sep.Top() + 1), shadow);
    EXPECT_EQ(vertical.Pixel(sep.Left() + 10, sep.Top() + 2), highlight);
    EXPECT_EQ(vertical.Pixel(sep.Left() + 10, sep.Top() + 3), face);

    // The dock's and the toolbar's context menus open over them.
    PopupMenu context;
    context.Items().Add(L"ﾌﾟﾛﾊﾟﾃｨ");
    top.SetContextMenu(&context);
    bool shown = false;
    test::ModalScript script;
    PostMessageW(top.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(top.Handle()), MAKELPARAM(200, 180));
    script.Then([&] {
        shown = PopupMenu::Showing() != nullptr;
        test::PostKey(form.Handle(), VK_ESCAPE);
    });
    PumpUntil([&] { return script.Done(); });
    EXPECT_TRUE(shown);
    EXPECT_EQ(context.PopupComponent(), &top);

    // A press on a separator is a press on its toolbar (in a dock that holds its toolbars, so no
    // drag starts).
    left.SetAllowDrag(false);
    std::vector<POINT> pressed;
    bar.OnMouseDown = [&](const MouseEvent& event) { pressed.push_back({event.X, event.Y}); };
    PostMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(sep.Left() + 5, sep.Top() + 1));
    PostMessageW(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(sep.Left() + 5, sep.Top() + 1));
    PumpMessages();
    ASSERT_EQ(pressed.size(), 1u);
    EXPECT_EQ(pressed[0].x, sep.Left() + 5);
    // The separator does not hold the mouse: while the press on it lasts, the other controls
    // still follow the pointer.
    SendMessageW(App().Handle(), WM_ACTIVATEAPP, TRUE, 0);
    SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(sep.Left() + 5, sep.Top() + 1));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(bar.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(last.Left() + 5, last.Top() + 5));
    EXPECT_TRUE(last.Hot());
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(last.Left() + 5, last.Top() + 5));
    EXPECT_EQ(pressed.size(), 2u);
    PlaceCursor(0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !last.Hot(); }));
}

TEST(ToolbarWindows, BackgroundTilesRunOnAcrossTheDockAndItsToolbars) {
    constexpr COLORREF red = RGB(255, 0, 0);
    constexpr COLORREF blue = RGB(0, 0, 255);
    constexpr COLORREF green = RGB(0, 255, 0);
    // A 4 x 4 tile: red top-left corner, green bottom-left corner, blue elsewhere.
    Bitmap tile;
    tile.SetSize(4, 4);
    {
        MemoryDC dc(tile.Handle());
        FillRectangle(dc, RECT{0, 0, 4, 4}, blue);
        SetPixel(dc, 0, 0, red);
        SetPixel(dc, 0, 3, green);
    }
    TTestForm form;
    TFlatDock dock(form);
    dock.SetAllowDrag(false);
    dock.SetBackground(&tile);
    TFlatToolbar bar(form);  // no controls: its inside shows the pattern
    bar.SetDockPos(6);
    bar.SetDockedTo(&dock);
    form.Show();
    ASSERT_EQ(bar.Left(), 6);

    const ClientImage docked(dock.Handle());
    EXPECT_EQ(docked.Pixel(0, 0), red);
    EXPECT_EQ(docked.Pixel(4, 4), red);
    EXPECT_EQ(docked.Pixel(1, 0), blue);
    EXPECT_EQ(docked.Pixel(0, 3), green);
    // Inside its edge the toolbar goes on with the dock's pattern: its x 2 is the form's x 8.
    const ClientImage onBar(bar.Handle());
    EXPECT_EQ(onBar.Pixel(2, 4), red);
    EXPECT_EQ(onBar.Pixel(3, 4), blue);
    EXPECT_EQ(onBar.Pixel(2, 3), green);

    // Transparent: the bottom-left colour shows the dock's colour instead.
    dock.SetBackgroundTransparent(true);
    const ClientImage transparent(dock.Handle());
    EXPECT_EQ(transparent.Pixel(0, 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(transparent.Pixel(0, 0), red);

    // A line along the top takes a pixel outside the client area; the pattern keeps its origin.
    dock.SetBoundLines(blTop);
    EXPECT_EQ(dock.Height(), 12 + 1);
    const ClientImage belowLine(dock.Handle());
    EXPECT_EQ(belowLine.Pixel(0, 3), red);
    EXPECT_EQ(WindowPixel(dock.Handle(), 100, 0), GetSysColor(COLOR_BTNSHADOW));
}

TEST(ToolbarWindows, FlatEditBorderLightsWithFocusOrUnderTheMouse) {
    TTestForm form;
    TFlatEdit edit(&form, 10, 10, 80);
    TFlatEdit other(&form, 10, 40, 80);
    TFlatButton button(&form, 10, 70, 61, 23);
    edit.Loaded();
    other.Loaded();
    EXPECT_EQ(edit.Height(), FontCellHeight(edit.Font()) + 6);
    RECT client;
    GetClientRect(edit.Handle(), &client);
    EXPECT_EQ(client.bottom, edit.Height() - 6);
    EXPECT_EQ(client.right, 80 - 6);
    form.Show();

    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    // Unlit: face, face, window colour from the outside in.
    SetFocus(form.Handle());
    PumpMessages();
    EXPECT_EQ(BorderRing(edit, 0), face);
    EXPECT_EQ(BorderRing(edit, 1), face);
    EXPECT_EQ(BorderRing(edit, 2), window);

    edit.SetFocus();
    PumpMessages();
    EXPECT_TRUE(edit.Lit());
    EXPECT_EQ(BorderRing(edit, 0), GetSysColor(COLOR_BTNSHADOW));  // the sunken edge's top
    EXPECT_EQ(BorderRing(edit, 1), face);
    EXPECT_EQ(BorderRing(edit, 2), window);

    // Hovering lights it, unless another flat edit is being typed in.
    MoveCursorTo(other.Handle(), 8, 5);
    EXPECT_TRUE(PumpUntil([&] { return other.MouseInside(); }));
    EXPECT_FALSE(other.Lit());
    EXPECT_EQ(BorderRing(other, 0), face);
    SetFocus(form.Handle());
    PumpMessages();
    other.PaintBorder();
    EXPECT_TRUE(other.Lit());
    EXPECT_EQ(BorderRing(other, 0), GetSysColor(COLOR_BTNSHADOW));
    // The pointer leaves; the system tells the window so.
    SetCursorPos(0, 0);
    PostMessageW(other.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !other.MouseInside(); }));
    EXPECT_EQ(BorderRing(other, 0), face);

    // The border is part of the edit: the pointer on it lights the border, whether it comes from
    // outside or from the text area, until it leaves the edit altogether.
    RECT outer;
    GetWindowRect(other.Handle(), &outer);
    const POINT onBorder{outer.left + 1, outer.top + 1};
    PlaceCursor(onBorder.x, onBorder.y);
    PostMessageW(other.Handle(), WM_NCMOUSEMOVE, HTBORDER, MAKELPARAM(onBorder.x, onBorder.y));
    EXPECT_TRUE(PumpUntil([&] { return other.MouseInside(); }));
    EXPECT_EQ(BorderRing(other, 0), GetSysColor(COLOR_BTNSHADOW));
    MoveCursorTo(other.Handle(), 8, 5);
    PostMessageW(other.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(8, 5));
    PumpMessages();
    PlaceCursor(onBorder.x, onBorder.y);
    PostMessageW(other.Handle(), WM_MOUSELEAVE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(other.MouseInside());
    EXPECT_EQ(BorderRing(other, 0), GetSysColor(COLOR_BTNSHADOW));
    PlaceCursor(0, 0);
    PostMessageW(other.Handle(), WM_NCMOUSELEAVE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !other.MouseInside(); }));
    EXPECT_EQ(BorderRing(other, 0), face);

    // Disabled it takes the face colour.
    edit.SetEnabled(false);
    EXPECT_EQ(edit.Color(), face);
    edit.SetEnabled(true);
    EXPECT_EQ(edit.Color(), window);
}

}  // namespace
}  // namespace morvane
