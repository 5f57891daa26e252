#pragma once
// A drop-down list combo box whose rows the owner draws, each row carrying a data value.
#include <string>

#include "ui/control.h"

namespace morvane {

class OwnerDrawComboBox : public WinControl {
public:
    OwnerDrawComboBox(WinControl* parent, int left, int top, int width, int height);

    int Count() const;
    // Inserts an empty row at the position and returns its index.
    int Insert(int position, LPARAM data);
    void Delete(int position);
    void Clear();
    LPARAM Data(int index) const;
    int ItemIndex() const;  // -1 when no row is selected
    void SetItemIndex(int index);
    int ItemHeight() const;
    void SetItemHeight(int height);
    void SetDropDownCount(int rows);
    bool DroppedDown() const;
    void SetDroppedDown(bool dropped);

protected:
    // The user picked a row.
    virtual void Change() {}
    void Command(WORD code) override;
};

}  // namespace morvane
