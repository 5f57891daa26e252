#pragma once
// What the browsing components' tests share: the shell's shared state for the whole test, the
// message pump, and lists and paths of real folders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shellctl/idlist.h"
#include "shellctl/shell_folder.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/list_view.h"
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

// Edits a label in place as the user does: the edit box gets the text, Enter ends the edit.
inline void TypeLabel(HWND edit, const std::wstring& text) {
    ASSERT_NE(edit, nullptr) << "no edit box opened";
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    PumpMessages();
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
