#pragma once
// A plain list box of text entries, one of which may be selected.
#include <functional>
#include <string>

#include "ui/control.h"

namespace morvane {

class ListBox : public WinControl {
public:
    ListBox(WinControl* parent, int left, int top, int width, int height);

    int Count() const;
    void Clear();
    // Appends an entry and returns its index.
    int Add(const std::wstring& text);
    void Delete(int index);
    std::wstring Item(int index) const;
    // The selected entry's index, or -1; an index outside the list selects nothing.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // In design pixels; a line of the font at least.
    void SetItemHeight(int height);
    void DpiChanged(int) override { if (designItemHeight_) SetItemHeight(designItemHeight_); }

    // The user changed the selection (a click or a key); not fired by SetItemIndex.
    std::function<void()> OnChange;

protected:
    void Command(WORD code) override;

private:
    int designItemHeight_ = 0;
};

}  // namespace morvane
