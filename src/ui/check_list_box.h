#pragma once
// A list box that draws a check box in front of every entry. A click on the box or the space bar
// on the focused entry toggles it.
#include <functional>
#include <string>

#include "ui/control.h"
#include "ui/handles.h"

namespace morvane {

class CheckListBox : public WinControl {
public:
    CheckListBox(WinControl* parent, int left, int top, int width, int height);

    int Count() const;
    void Clear();
    // Reserves room for this many more entries holding about this many characters in all, so that
    // a long fill does not grow the list's storage step by step.
    void Reserve(int entries, size_t characters);
    // Appends an entry and returns its index.
    int Add(const std::wstring& text, bool checked = false);
    std::wstring Item(int index) const;
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
    void Toggle(int index);
    // A dimmed entry's text is drawn in the disabled text colour; its check box works as ever.
    bool Dimmed(int index) const;
    void SetDimmed(int index, bool dimmed);

    // After an entry's check changed, by the user or from code.
    std::function<void(int index)> OnCheckChanged;
    void SetItemHeight(int height);
    void SetBackground(COLORREF color);

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    HBRUSH ControlColor(HDC dc) override;

private:
    int CheckBoxWidth() const;
    // The entry shown at a client point, or -1.
    int IndexAt(POINT point) const;
    LRESULT Flags(int index) const;
    void SetFlag(int index, LRESULT flag, bool on);

    UniqueBrush background_;
};

}  // namespace morvane
