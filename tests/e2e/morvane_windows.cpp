#include "e2e/morvane_windows.h"

#include <stdexcept>

namespace morvane::e2e {

namespace {

HWND Only(const std::vector<HWND>& windows, const char* what) {
    if (windows.size() != 1) throw std::runtime_error(std::string("the main window has no single ") + what);
    return windows.front();
}

// The middle of the part of a tree node's label that the tree shows: a long name runs on under
// the list beside the narrow tree.
POINT ShownPartOf(HWND tree, HTREEITEM item) {
    RECT client{};
    GetClientRect(tree, &client);
    const RECT shown = ClientToScreenRect(tree, client);
    // A node that has just appeared may still move: an expansion scrolls the tree at its end.
    RECT label{}, before{};
    do {
        before = label;
        Settle(tree);
        label = TreeItemScreenRect(tree, item);
    } while (!EqualRect(&label, &before));
    RECT part{};
    if (!IntersectRect(&part, &label, &shown)) throw std::runtime_error("the tree node is out of sight");
    return Center(part);
}

}  // namespace

POINT ButtonCenter(HWND drawnOn, const ButtonPlace& place) {
    RECT client{};
    GetClientRect(drawnOn, &client);
    const int height = client.bottom > 0 ? client.bottom : place.DrawnOnHeight;
    const auto scaled = [&](int design) { return MulDiv(design, height, place.DrawnOnHeight); };
    const RECT rect{scaled(place.Left), scaled(place.Top), scaled(place.Left + place.Width),
                    scaled(place.Top + place.Height)};
    return Center(ClientToScreenRect(drawnOn, rect));
}

MainWindow::MainWindow(HWND form)
    : Form(form),
      Tree(Only(Descendants(form, WC_TREEVIEWW), "folder tree")),
      List(Only(Descendants(form, WC_LISTVIEWW), "file list")),
      Status(Only(Descendants(form, STATUSCLASSNAMEW), "status bar")),
      FieldPanel(nullptr),
      Target(nullptr),
      NewExtension(nullptr),
      CommandBar(nullptr) {
    // The fields' toolbar is the one with the edit fields; the other one holds the commands.
    for (HWND bar : Descendants(form, L"TFlatToolbar")) {
        const std::vector<HWND> fields = Descendants(bar, L"Edit");
        if (fields.size() == 2) {
            const bool inOrder = ScreenRect(fields[0]).left < ScreenRect(fields[1]).left;
            Target = fields[inOrder ? 0 : 1];
            NewExtension = fields[inOrder ? 1 : 0];
            FieldPanel = GetParent(Target);
        } else {
            CommandBar = bar;
        }
    }
    if (!Target || !CommandBar) throw std::runtime_error("the main window's toolbars are not where they belong");
}

void MainWindow::Press(const ButtonPlace& commandButton) const { Click(ButtonCenter(CommandBar, commandButton)); }

void MainWindow::OpenTargetMenu() const { Click(ButtonCenter(FieldPanel, kTargetArrow)); }

void MainWindow::OpenNewExtensionMenu() const { Click(ButtonCenter(FieldPanel, kNewExtensionArrow)); }

void MainWindow::ClickItem(const std::wstring& name) const {
    const int item = ListFind(List, name);
    if (item < 0) throw std::runtime_error("the file list does not list the item to click");
    Click(Center(ListItemScreenRect(List, item)));
}

void MainWindow::TypeInto(HWND field, const std::wstring& text) const {
    Click(Center(ScreenRect(field)));
    PressKey(VK_END);
    PressKey(VK_HOME, false, true);
    TypeText(text);
}

bool MainWindow::ClickChildFolder(const std::wstring& name) const {
    const HTREEITEM selected = TreeSelection(Tree);
    HTREEITEM child = TreeChild(Tree, selected, name);
    if (!child) {
        // Not shown yet: a double-click opens the selected node (a single click on the selected
        // label would begin renaming it).
        DoubleClick(ShownPartOf(Tree, selected));
        if (!WaitUntil([&] { return (child = TreeChild(Tree, selected, name)) != nullptr; }, 5000)) return false;
    }
    Click(ShownPartOf(Tree, child));
    return true;
}

bool MainWindow::ClickParentFolder() const {
    const auto parent = reinterpret_cast<HTREEITEM>(
        SendMessageW(Tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(TreeSelection(Tree))));
    if (!parent) return false;
    Click(ShownPartOf(Tree, parent));
    return true;
}

HWND OpenMenu(const Program& program) { return program.Window(L"#32768"); }

bool ChooseFromMenu(const Program& program, int item, int subItem) {
    if (!program.WaitForWindow(L"#32768", 5000)) return false;
    // Home selects the first entry whatever was selected when the menu opened; every Down the next
    // entry that can be chosen.
    PressKey(VK_HOME);
    for (int i = 0; i < item; ++i) PressKey(VK_DOWN);
    if (subItem >= 0) {
        PressKey(VK_RIGHT);  // opens the submenu on its first entry
        for (int i = 0; i < subItem; ++i) PressKey(VK_DOWN);
    }
    PressKey(VK_RETURN);
    return WaitUntil([&] { return OpenMenu(program) == nullptr; }, 5000);
}

std::wstring ErrorBoxText(const Program& program) {
    const HWND box = program.Window(L"#32770");
    if (!box) return L"";
    std::wstring text;
    for (HWND child : Descendants(box, L"Static"))
        if (const std::wstring childText = Text(child); childText.size() > text.size()) text = childText;
    return text.empty() ? L"(an error box)" : text;
}

}  // namespace morvane::e2e
