#pragma once
// The shell's own context menu for one item, shown as the program's popup menu: each entry of the
// shell's menu (its submenus filled by their handlers first, and copied too) becomes a
// TShellMenuItem that runs the shell's command when chosen, and the last entry that opens a
// submenu gets the user's Send To targets as its children.
#include <windows.h>
#include <shlobj.h>

#include "shellctl/com_ptr.h"
#include "shellctl/idlist.h"
#include "shellctl/link.h"
#include "ui/menu.h"

namespace morvane {

// The first and last command identifiers the shell's menu may use.
inline constexpr UINT kFirstShellCommand = 1;
inline constexpr UINT kLastShellCommand = 0x7FFF;

class TShellMenuItem : public MenuItem {
public:
    TShellMenuItem() = default;

    // The shell menu the command belongs to; empty for Send To entries.
    ComPtr<IContextMenu> ShellMenu;
    CMINVOKECOMMANDINFO InvokeInfo{};

    // An entry of the shell menu: its command identifier, and whether it opened a submenu there.
    void SetShellCommand(UINT commandId, bool opensSubmenu);
    // A Send To entry: choosing it drops the items onto the target.
    void SetSendToTarget(ComPtr<IShellFolder> sendToFolder, IDList target, ComPtr<IDataObject> items);

    // Its click handler, then the shell's command or the Send To delivery.
    void Click() override;

private:
    void DeliverToTarget() const;

    bool invokable_ = false;
    ComPtr<IShellFolder> sendToFolder_;
    IDList sendToTarget_;
    ComPtr<IDataObject> items_;
};

class TShellContextMenu : public PopupMenu, public LinkTarget {
public:
    TShellContextMenu();
    ~TShellContextMenu() override;

    // Builds the menu for the item (relative to the folder) and shows it at the point, given in
    // the owner's client coordinates. Returns once the chosen command has run.
    void PopupForItem(HWND owner, IShellFolder* folder, POINT point, LPCITEMIDLIST item);
    // Replaces the items with copies of the shell menu's entries, once the shell menu's handlers
    // have filled its submenus. Send To entries deliver the given items (the data object of what
    // the menu is for) to their target.
    void BuildFromShellMenu(HMENU shellMenu, HWND owner, IContextMenu* contextMenu, IDataObject* items = nullptr);

    IShellFolder* SendToFolder() const { return sendToFolder_.Get(); }

private:
    // Copies the entries of a shell menu under the parent, with the entries of their submenus, and
    // answers the position among them of the last entry that opens a submenu (-1 for none).
    int CopyEntries(HMENU shellMenu, MenuItem& parent, HWND owner, IContextMenu* contextMenu, bool topLevel);
    void AddSendToEntries(MenuItem& parent, HWND owner, IDataObject* items);

    ComPtr<IShellFolder> sendToFolder_;
};

}  // namespace morvane
