#pragma once
// A list box that draws a check box in front of every entry. A click on the box or the space bar
// on the focused entry toggles it. The entries live here, not in the list box, which only knows
// how many there are: a list of a hundred thousand is taken over in one step, and each text is held
// once. Screen readers reach the entries through an accessible object of the list's own.
#include <functional>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/handles.h"


namespace morvane {

class CheckListAccessible;

class CheckListBox : public WinControl {
public:
    CheckListBox(WinControl* parent, int left, int top, int width, int height);
    ~CheckListBox() override;

    int Count() const { return static_cast<int>(texts_.size()); }
    void Clear();
    // Takes the texts over as the entries, all checked or all unchecked, none dimmed.
    void Assign(std::vector<std::wstring> texts, bool checked);
    // The entry's text; empty outside the list.
    const std::wstring& Item(int index) const;
    const std::vector<std::wstring>& Items() const { return texts_; }
    bool Checked(int index) const;
    // Every entry's check, in list order.
    std::vector<bool> CheckedFlags() const;
    void SetChecked(int index, bool checked);
    void Toggle(int index);
    // A dimmed entry's text is drawn in the disabled text colour; its check box works as ever.
    bool Dimmed(int index) const;
    void SetDimmed(int index, bool dimmed);
    // Sets every entry's dimmed flag (one per entry, in list order) and repaints once if any changed.
    void SetDimmedFlags(const std::vector<bool>& dimmed);

    // After an entry's check changed, by the user or from code.
    std::function<void(int index)> OnCheckChanged;

    // The entry with the caret, the selected entry (-1 for none), the entry shown at a client
    // point (-1 for none).
    int FocusedIndex() const;
    int SelectedIndex() const;
    int IndexAt(POINT point) const;
    // Selects the entry and puts the caret on it.
    void Select(int index);
    // The entry's rectangle in client coordinates, and whether any of it is in view.
    bool EntryRect(int index, RECT& rect) const;
    bool EntryShown(int index) const;
    // In design pixels; a line of the font at least.
    void SetItemHeight(int height);
    // The background in a system colour (COLOR_ index), which it follows when the colours change.
    void SetBackground(int systemColor);
    void SysColorsChanged() override;
    void DpiChanged(int) override { if (designItemHeight_) SetItemHeight(designItemHeight_); }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    HBRUSH ControlColor(HDC dc) override;
    void Command(WORD code) override;

private:
    int designItemHeight_ = 0;
    int CheckBoxWidth() const;
    int ItemHeight() const;
    bool Flag(int index, unsigned char flag) const;
    void SetFlag(int index, unsigned char flag, bool on);
    // Moves the selection to the next entry after the focused one whose text begins with the
    // character, as a list box of strings does when a letter is typed.
    void SelectByFirstCharacter(wchar_t character);
    // Tells screen readers which entry has the caret, while the list has the focus.
    void NotifyFocus() const;

    std::vector<std::wstring> texts_;
    std::vector<unsigned char> flags_;
    UniqueBrush background_;
    int backgroundColor_ = -1;  // system colour index; -1: the window colour
    CheckListAccessible* accessible_ = nullptr;  // made when first asked for
};

}  // namespace morvane
