#include "ui/menu.h"

#include "ui/application.h"

namespace morvane {

// ---- MenuItem ----

MenuItem::MenuItem(std::wstring caption) : caption_(std::move(caption)) {}

MenuItem::~MenuItem() = default;

void MenuItem::SetRadioItem(bool radio, int groupIndex) {
    radioItem_ = radio;
    groupIndex_ = groupIndex;
}

void MenuItem::SetChecked(bool checked) {
    checked_ = checked;
    if (!checked || !radioItem_ || !parent_) return;
    for (const auto& sibling : parent_->items_)
        if (sibling.get() != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_)
            sibling->checked_ = false;
}

MenuItem& MenuItem::Add(std::unique_ptr<MenuItem> item) {
    item->parent_ = this;
    items_.push_back(std::move(item));
    return *items_.back();
}

MenuItem& MenuItem::Add(std::wstring caption, std::function<void()> onClick) {
    auto item = std::make_unique<MenuItem>(std::move(caption));
    item->OnClick = std::move(onClick);
    return Add(std::move(item));
}

void MenuItem::Clear() { items_.clear(); }

void MenuItem::Click() {
    if (enabled_ && OnClick) OnClick();
}

// ---- PopupMenu ----

HMENU PopupMenu::showing_ = nullptr;

namespace {

// The platform menu for the children of an item; every item that can be chosen gets the command
// identifier of its index in `commands` plus one.
HMENU BuildMenu(const MenuItem& parent, std::vector<MenuItem*>& commands) {
    const HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (int i = 0; i < parent.Count(); ++i) {
        MenuItem& item = parent.Item(i);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        if (item.IsSeparator()) {
            info.fMask = MIIM_FTYPE;
            info.fType = MFT_SEPARATOR;
        } else {
            std::wstring text = item.Caption();
            if (!item.ShortCutText().empty()) text += L'\t' + item.ShortCutText();
            info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_ID;
            info.fType = MFT_STRING | (item.RadioItem() ? MFT_RADIOCHECK : 0);
            info.fState = (item.Enabled() ? MFS_ENABLED : MFS_GRAYED) | (item.Checked() ? MFS_CHECKED : 0) |
                          (item.Default() ? MFS_DEFAULT : 0);
            info.dwTypeData = text.data();
            if (item.Count() > 0) {
                info.fMask |= MIIM_SUBMENU;
                info.hSubMenu = BuildMenu(item, commands);
            } else {
                commands.push_back(&item);
                info.wID = static_cast<UINT>(commands.size());
            }
            InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &info);
            continue;
        }
        InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &info);
    }
    return menu;
}

UINT AlignmentFlag(PopupAlignment alignment) {
    switch (alignment) {
    case PopupAlignment::Right:
        return TPM_RIGHTALIGN;
    case PopupAlignment::Center:
        return TPM_CENTERALIGN;
    case PopupAlignment::Left:
        break;
    }
    return TPM_LEFTALIGN;
}

}  // namespace

PopupMenu::PopupMenu() = default;

PopupMenu::~PopupMenu() {
    for (const auto& [id, notify] : std::vector(destructionWatchers_)) notify();
}

int PopupMenu::WatchDestruction(std::function<void()> notify) {
    destructionWatchers_.emplace_back(nextWatcher_, std::move(notify));
    return nextWatcher_++;
}

void PopupMenu::UnwatchDestruction(int id) {
    std::erase_if(destructionWatchers_, [id](const auto& watcher) { return watcher.first == id; });
}

void PopupMenu::Popup(int x, int y, HWND owner) {
    if (OnPopup) OnPopup();
    std::vector<MenuItem*> commands;
    const HMENU menu = BuildMenu(root_, commands);
    if (!menu) return;
    const HMENU outer = showing_;
    showing_ = menu;
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | AlignmentFlag(alignment_), x, y, 0,
        owner ? owner : App().Handle(), nullptr));
    showing_ = outer;
    DestroyMenu(menu);
    if (chosen >= 1 && chosen <= commands.size()) commands[chosen - 1]->Click();
}

}  // namespace morvane
