#include "shellctl/shell_context_menu.h"

#include <memory>
#include <string>
#include <vector>

#include "shellctl/shell_folder.h"
#include "ui/application.h"

namespace morvane {

namespace {

// The shell fills this menu; it lives only until its entries are copied.
class ShellMenuHandle {
public:
    ShellMenuHandle() : menu_(CreatePopupMenu()) {}
    ~ShellMenuHandle() {
        if (menu_) DestroyMenu(menu_);
    }
    ShellMenuHandle(const ShellMenuHandle&) = delete;
    ShellMenuHandle& operator=(const ShellMenuHandle&) = delete;
    HMENU Get() const { return menu_; }

private:
    HMENU menu_;
};

CMINVOKECOMMANDINFO InvokeInfoFor(HWND owner, UINT_PTR verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = reinterpret_cast<LPCSTR>(verb);  // an integer resource identifier, not text
    info.nShow = SW_SHOWNORMAL;
    return info;
}

// Lets the menu's handlers fill their submenus, as they do when a submenu is about to open (送る,
// プログラムから開く, 共有 come empty until then), the submenus that appear inside them too.
void FillSubmenus(HMENU menu, IContextMenu* contextMenu) {
    if (!menu || !contextMenu) return;
    ComPtr<IContextMenu3> menu3;
    ComPtr<IContextMenu2> menu2;
    if (FAILED(contextMenu->QueryInterface(IID_IContextMenu3, menu3.ReceiveVoid()))) menu3.Reset();
    if (!menu3 && FAILED(contextMenu->QueryInterface(IID_IContextMenu2, menu2.ReceiveVoid()))) menu2.Reset();
    if (!menu3 && !menu2) return;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        const HMENU submenu = GetSubMenu(menu, i);
        if (!submenu) continue;
        const auto wParam = reinterpret_cast<WPARAM>(submenu);
        const LPARAM lParam = MAKELPARAM(i, FALSE);
        LRESULT result = 0;
        if (menu3)
            menu3->HandleMenuMsg2(WM_INITMENUPOPUP, wParam, lParam, &result);
        else
            menu2->HandleMenuMsg(WM_INITMENUPOPUP, wParam, lParam);
        FillSubmenus(submenu, contextMenu);
    }
}

}  // namespace

// ---- TShellMenuItem ----

void TShellMenuItem::SetShellCommand(UINT commandId, bool opensSubmenu) {
    // A submenu's entry is no command, and an identifier outside the range the menu was built with
    // belongs to nobody: invoking either would run whatever command happens to have that offset.
    invokable_ = !opensSubmenu && commandId >= kFirstShellCommand && commandId <= kLastShellCommand;
}

void TShellMenuItem::SetSendToTarget(ComPtr<IShellFolder> sendToFolder, IDList target, ComPtr<IDataObject> items) {
    sendToFolder_ = std::move(sendToFolder);
    sendToTarget_ = std::move(target);
    items_ = std::move(items);
}

void TShellMenuItem::Click() {
    MenuItem::Click();
    if (!Enabled()) return;
    if (ShellMenu && invokable_) {
        // Local copies: the command may run a message loop in which a new right-click rebuilds the
        // menu and destroys this item; the handler stays alive until the command returns.
        const ComPtr<IContextMenu> menu = ShellMenu;
        CMINVOKECOMMANDINFO info = InvokeInfo;
        menu->InvokeCommand(&info);
        return;
    }
    if (sendToFolder_ && sendToTarget_ && items_) DeliverToTarget();
}

void TShellMenuItem::DeliverToTarget() const {
    // What Explorer does with Send To: the target's drop target receives the items, as if they
    // were dropped on it.
    const ComPtr<IShellFolder> folder = sendToFolder_;
    const ComPtr<IDataObject> items = items_;
    const IDList target = IDList::Copy(sendToTarget_.Get());
    LPCITEMIDLIST targets[] = {target.Get()};
    ComPtr<IDropTarget> dropTarget;
    if (FAILED(folder->GetUIObjectOf(InvokeInfo.hwnd, 1, targets, IID_IDropTarget, nullptr,
                                     dropTarget.ReceiveVoid())) ||
        !dropTarget)
        return;
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const POINTL point{0, 0};
    if (SUCCEEDED(dropTarget->DragEnter(items.Get(), MK_LBUTTON, point, &effect)) && effect != DROPEFFECT_NONE)
        dropTarget->Drop(items.Get(), MK_LBUTTON, point, &effect);
    else
        dropTarget->DragLeave();
}

// ---- TShellContextMenu ----

TShellContextMenu::TShellContextMenu() = default;

TShellContextMenu::~TShellContextMenu() {
    // The items hold the shell's menu handlers; they go before the Send To folder.
    Items().Clear();
}

void TShellContextMenu::PopupForItem(HWND owner, IShellFolder* folder, POINT point, LPCITEMIDLIST item) {
    if (!folder || !item) return;
    LPCITEMIDLIST items[] = {item};
    ComPtr<IContextMenu> contextMenu;
    if (FAILED(folder->GetUIObjectOf(owner, 1, items, IID_IContextMenu, nullptr, contextMenu.ReceiveVoid())) ||
        !contextMenu)
        return;
    ComPtr<IDataObject> data;
    if (FAILED(folder->GetUIObjectOf(owner, 1, items, IID_IDataObject, nullptr, data.ReceiveVoid()))) data.Reset();
    {
        const ShellMenuHandle shellMenu;
        if (!shellMenu.Get()) return;
        if (FAILED(contextMenu->QueryContextMenu(shellMenu.Get(), 0, kFirstShellCommand, kLastShellCommand, CMF_NORMAL)))
            return;
        BuildFromShellMenu(shellMenu.Get(), owner, contextMenu.Get(), data.Get());
    }  // the copies are made; the shell's menu is no longer needed
    ClientToScreen(owner, &point);
    Popup(point.x, point.y, owner);
}

void TShellContextMenu::BuildFromShellMenu(HMENU shellMenu, HWND owner, IContextMenu* contextMenu, IDataObject* items) {
    Items().Clear();
    if (!shellMenu) return;
    FillSubmenus(shellMenu, contextMenu);
    const int submenuPosition = CopyEntries(shellMenu, Items(), owner, contextMenu, true);
    // The last entry with a submenu, unless it is the first, takes the Send To targets instead of
    // what the shell put there.
    if (submenuPosition > 0) AddSendToEntries(Items().Item(submenuPosition), owner, items);
}

int TShellContextMenu::CopyEntries(HMENU shellMenu, MenuItem& parent, HWND owner, IContextMenu* contextMenu,
                                   bool topLevel) {
    struct Entry {
        MENUITEMINFOW Info{};
        std::wstring Caption;
    };
    std::vector<Entry> entries;
    const int count = GetMenuItemCount(shellMenu);
    for (int i = 0; i < count; ++i) {
        // The entry's type tells a separator; GetMenuState would not, since for an entry that opens
        // a submenu it puts the submenu's entry count where the separator flag lies.
        Entry entry;
        entry.Info.cbSize = sizeof entry.Info;
        entry.Info.fMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
        GetMenuItemInfoW(shellMenu, static_cast<UINT>(i), TRUE, &entry.Info);
        if (entry.Info.fType & MFT_SEPARATOR) {
            entry.Caption = L"-";
        } else {
            wchar_t text[256] = {};
            GetMenuStringW(shellMenu, static_cast<UINT>(i), text, 255, MF_BYPOSITION);
            entry.Caption = text;
            // An entry its handler draws itself, or a picture, shows nothing here without a text.
            if (entry.Caption.empty() && (entry.Info.fType & (MFT_OWNERDRAW | MFT_BITMAP))) continue;
        }
        entries.push_back(std::move(entry));
    }
    int submenuPosition = -1;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Info.hSubMenu) submenuPosition = static_cast<int>(i);

    for (size_t i = 0; i < entries.size(); ++i) {
        const MENUITEMINFOW& info = entries[i].Info;
        auto& item = static_cast<TShellMenuItem&>(parent.Add(std::make_unique<TShellMenuItem>()));
        if (contextMenu) item.ShellMenu = ComPtr<IContextMenu>(contextMenu);
        item.InvokeInfo = InvokeInfoFor(owner, info.wID - kFirstShellCommand);
        item.SetShellCommand(info.wID, info.hSubMenu != nullptr);
        item.SetCaption(entries[i].Caption);
        item.SetEnabled(!(info.fState & MF_GRAYED));
        // A submenu's entries come along, but where the Send To targets go.
        const bool sendToPlace = topLevel && submenuPosition > 0 && static_cast<int>(i) == submenuPosition;
        if (info.hSubMenu && !sendToPlace) CopyEntries(info.hSubMenu, item, owner, contextMenu, false);
    }
    return submenuPosition;
}

void TShellContextMenu::AddSendToEntries(MenuItem& parent, HWND owner, IDataObject* items) {
    const HWND mainWindow = App().Handle();
    const IDList sendTo = SpecialFolderList(mainWindow, CSIDL_SENDTO);
    if (!sendTo) return;
    sendToFolder_ = BindToFolder(sendTo.Get());
    const FolderContents targets = EnumerateItems(sendToFolder_.Get(), mainWindow, SHCONTF_NONFOLDERS);
    for (IDList target = targets.Next(); target; target = targets.Next()) {
        auto entry = std::make_unique<TShellMenuItem>();
        entry->SetCaption(DisplayName(sendToFolder_.Get(), target.Get(), SHGDN_NORMAL));
        entry->InvokeInfo = InvokeInfoFor(owner, 0);
        entry->SetSendToTarget(sendToFolder_, std::move(target), ComPtr<IDataObject>(items));
        parent.Add(std::move(entry));
    }
}

}  // namespace morvane
