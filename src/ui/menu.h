#pragma once
// Popup menus built in code: items with captions, shown shortcut texts, enabled state, check marks,
// radio groups, a bold default item and submenus. A caption "-" makes a separator. The menu is
// shown at a screen point and returns once it has closed and the chosen item's click has run.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace morvane {

class Control;

class MenuItem {
public:
    explicit MenuItem(std::wstring caption = L"");
    virtual ~MenuItem();
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(std::wstring caption) { caption_ = std::move(caption); }
    bool IsSeparator() const { return caption_ == L"-"; }
    // Shown right-aligned after the caption ("Ctrl+S"); it binds no key.
    const std::wstring& ShortCutText() const { return shortCutText_; }
    void SetShortCutText(std::wstring text) { shortCutText_ = std::move(text); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Default() const { return default_; }
    void SetDefault(bool isDefault) { default_ = isDefault; }

    // A radio item shows a bullet for its check mark; checking it unchecks the other radio items
    // of the same group among its siblings.
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool radio, int groupIndex = 0);
    int GroupIndex() const { return groupIndex_; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked);

    // Children; a menu item with children opens a submenu.
    MenuItem& Add(std::unique_ptr<MenuItem> item);
    MenuItem& Add(std::wstring caption, std::function<void()> onClick = {});
    void Clear();
    int Count() const { return static_cast<int>(items_.size()); }
    MenuItem& Item(int index) const { return *items_[static_cast<size_t>(index)]; }
    MenuItem* Parent() const { return parent_; }

    std::function<void()> OnClick;
    // What choosing the item does: its click handler, when the item is enabled.
    virtual void Click();

private:
    std::wstring caption_;
    std::wstring shortCutText_;
    bool enabled_ = true;
    bool default_ = false;
    bool radioItem_ = false;
    bool checked_ = false;
    int groupIndex_ = 0;
    MenuItem* parent_ = nullptr;
    std::vector<std::unique_ptr<MenuItem>> items_;
};

enum class PopupAlignment { Left, Right, Center };

class PopupMenu {
public:
    PopupMenu();
    virtual ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    // The top-level items live under this invisible root.
    MenuItem& Items() { return root_; }
    const MenuItem& Items() const { return root_; }

    PopupAlignment Alignment() const { return alignment_; }
    void SetAlignment(PopupAlignment alignment) { alignment_ = alignment; }
    // The control that popped the menu up, for the items' handlers; set by whoever pops it up.
    Control* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(Control* component) { popupComponent_ = component; }

    // Shows the menu at a screen point, owned by the given window (the application's window when
    // none). Returns after the menu has closed; a chosen item's Click has run by then.
    void Popup(int x, int y, HWND owner = nullptr);
    // The menu shown right now, for tests and for code that must close it.
    static HMENU Showing() { return showing_; }

    // Called before every popup, to update the items.
    std::function<void()> OnPopup;

    // Those that refer to the menu are told when it goes, so that they forget it.
    int WatchDestruction(std::function<void()> notify);
    void UnwatchDestruction(int id);

private:
    std::vector<std::pair<int, std::function<void()>>> destructionWatchers_;
    int nextWatcher_ = 1;
    MenuItem root_;
    PopupAlignment alignment_ = PopupAlignment::Left;
    Control* popupComponent_ = nullptr;
    static HMENU showing_;
};

}  // namespace morvane
