#pragma once
// What the browsing components' tests share: the shell's shared state for the whole test, the
// message pump, and lists and paths of real folders.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/ui_driver.h"
#include "shellctl/idlist.h"
#include "shellctl/shell_folder.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/list_view.h"
#include "ui/menu.h"
#include "ui/tree_view.h"

namespace morvane::test {

// Handles whatever is queued, as the application's message loop would.
inline void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) App().ProcessMessage(message);
}

// The absolute list of a path, through the desktop folder.
inline IDList ParsePath(const std::wstring& path) {
    IDList list;
    std::wstring text = path;
    if (IShellFolder* desktop = DesktopFolder())
        desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.Receive(), nullptr);
    return list;
}

// A plain sizeable window to put one component on.
class TestForm : public Form {
public:
    TestForm() : Form(L"TShellTestForm", FormStyle{}) { SetBounds(20, 20, 700, 500); }
};

// The index of the list item with this caption, or -1.
inline int IndexOf(const ListView& list, const std::wstring& caption) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Text(i) == caption) return i;
    return -1;
}

inline std::vector<std::wstring> Captions(const ListView& list, int subItem = 0) {
    std::vector<std::wstring> captions;
    for (int i = 0; i < list.Count(); ++i) captions.push_back(list.Text(i, subItem));
    return captions;
}

// The child of a node with this text, or nullptr.
inline TreeView::Node ChildNamed(const TreeView& tree, TreeView::Node node, const std::wstring& text) {
    for (TreeView::Node child = tree.FirstChild(node); child; child = tree.NextSibling(child))
        if (tree.Text(child) == text) return child;
    return nullptr;
}

// The node's label rectangle in the tree's client coordinates.
inline RECT NodeRect(const TreeView& tree, TreeView::Node node) {
    RECT rect{};
    std::memcpy(&rect, &node, sizeof node);  // the message takes the node in the rectangle
    SendMessageW(tree.Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// Edits a label in place as the user does: the edit box gets the text, Enter (through the
// application's message handling, as a key press goes) ends the edit.
inline void TypeLabel(HWND edit, const std::wstring& text) {
    ASSERT_NE(edit, nullptr) << "no edit box opened";
    SetWindowTextW(edit, text.c_str());
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(edit, WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
    PumpMessages();
}

// Moves the pointer to a client point of a window and waits until the system reports it there.
inline void MovePointer(HWND window, int x, int y) {
    POINT screen{x, y};
    ClientToScreen(window, &screen);
    // The display reports the move a little later, and the report of an earlier move may arrive
    // after this one: move, let the reports in, move again.
    for (int pass = 0; pass < 2; ++pass) {
        SetCursorPos(screen.x, screen.y);
        for (int wait = 0; wait < 10; ++wait) {
            PumpMessages();
            Sleep(10);
        }
    }
}

// Right-clicks a control at a client point and returns the popup menu that opened (closed again at
// once), or nullptr when none did. The click is either posted as button messages or, for controls
// that track the button themselves, reported as the control reports it (NM_RCLICK to its parent).
enum class ClickInput { Buttons, Notification };
inline HMENU RightClickMenu(HWND window, int x, int y, ClickInput input = ClickInput::Buttons) {
    // The controls take the click's place from the pointer, as they do for a real click.
    MovePointer(window, x, y);
    if (input == ClickInput::Buttons) {
        PostMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
        PostMessageW(window, WM_RBUTTONUP, 0, MAKELPARAM(x, y));
    }
    // Queued after the click: it runs inside the menu's loop if a menu opens, after the click if not.
    HMENU shown = nullptr;
    ModalScript script;
    script.Then([&] {
        shown = PopupMenu::Showing();
        if (shown) EndMenu();
    });
    if (input == ClickInput::Notification) {
        NMHDR header{window, static_cast<UINT_PTR>(GetDlgCtrlID(window)), static_cast<UINT>(NM_RCLICK)};
        SendMessageW(GetParent(window), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }
    for (int round = 0; round < 5 && !script.Done(); ++round) PumpMessages();
    EXPECT_TRUE(script.Done());
    return shown;
}

// Every test runs with the shared shell state alive and checks that it leaves no list behind.
class ShellTest : public ::testing::Test {
protected:
    ShellTest() : liveBefore_(IDList::LiveCount()) { App().SetTitle(L"Morvane"); }
    ~ShellTest() override { EXPECT_EQ(IDList::LiveCount(), liveBefore_) << "identifier lists left alive"; }

    ShellScope shell_;

private:
    long liveBefore_;
};

}  // namespace morvane::test
