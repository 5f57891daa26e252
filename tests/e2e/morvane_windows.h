#pragma once
// Morvane's windows as a user meets them: the parts of the main window found by their window
// classes, the places of the flat buttons (windowless, drawn on their toolbars and dialogs) taken
// from the windows' own layout, and drop-down menus chosen from with the keyboard.
#include <windows.h>

#include <string>

#include "e2e/driver.h"

namespace morvane::e2e {

// Where a flat button lies in the client area of the window that draws it, at design size, and
// the designed client height of that window: at another scale the window's real height gives the
// scale (another process's window may not tell its DPI).
struct ButtonPlace {
    int Left, Top, Width, Height;
    int DrawnOnHeight;
};

// The command buttons of the main window's second toolbar, left to right.
inline constexpr ButtonPlace kBatchConvertButton{2, 2, 61, 43, 47};
inline constexpr ButtonPlace kViewButton{69, 2, 61, 43, 47};
inline constexpr ButtonPlace kPropertiesButton{130, 2, 61, 43, 47};
inline constexpr ButtonPlace kHelpButton{191, 2, 61, 43, 47};
inline constexpr ButtonPlace kExitButton{252, 2, 61, 43, 47};
// The drop-down arrows beside the two fields, on the fields' panel.
inline constexpr ButtonPlace kTargetArrow{70, 21, 15, 18, 43};
inline constexpr ButtonPlace kNewExtensionArrow{161, 21, 15, 18, 43};
// The extension list dialog's buttons.
inline constexpr ButtonPlace kListDeleteButton{40, 114, 85, 22, 145};
inline constexpr ButtonPlace kListCancelButton{129, 114, 85, 22, 145};
inline constexpr ButtonPlace kListOkButton{218, 114, 78, 22, 145};
// The about box's buttons.
inline constexpr ButtonPlace kAboutHomepageButton{120, 154, 84, 20, 183};
inline constexpr ButtonPlace kAboutOkButton{208, 154, 77, 20, 183};

// The middle of a flat button on the screen.
POINT ButtonCenter(HWND drawnOn, const ButtonPlace& place);

class MainWindow {
public:
    explicit MainWindow(HWND form);

    HWND Form;
    HWND Tree;
    HWND List;
    HWND Status;
    HWND FieldPanel;  // holds the two fields and their arrows
    HWND Target;      // the target-extension field
    HWND NewExtension;
    HWND CommandBar;  // the toolbar with the command buttons

    void Press(const ButtonPlace& commandButton) const;
    void OpenTargetMenu() const;
    void OpenNewExtensionMenu() const;

    // Clicks the list's item with this name (it must be listed).
    void ClickItem(const std::wstring& name) const;
    bool Lists(const std::wstring& name) const { return ListFind(List, name) >= 0; }
    // Clicks into the field, selects everything in it and types the text over it.
    void TypeInto(HWND field, const std::wstring& text) const;
    // The name of the tree's selected folder.
    std::wstring SelectedFolder() const { return TreeItemText(Tree, TreeSelection(Tree)); }
    // Clicks the tree node with this text among the children of the selected node (or, with
    // parent set, the parent of the selected node). False when there is no such node to click.
    bool ClickChildFolder(const std::wstring& name) const;
    bool ClickParentFolder() const;
};

// The program's visible drop-down menu; null when none is open.
HWND OpenMenu(const Program& program);
// Chooses the entry of the open menu at this place among its entries that can be chosen (lines
// between them do not count), from the keyboard. With a submenu entry, its submenu opens and the
// entry at subItem is chosen there. True when the menu was open and has closed.
bool ChooseFromMenu(const Program& program, int item, int subItem = -1);

// The text of an error box the program shows, empty when it shows none.
std::wstring ErrorBoxText(const Program& program);

}  // namespace morvane::e2e
