#pragma once
// The common-controls list view as a control: items with data, images, overlays and sub-items,
// columns, the four view styles, in-place label editing and custom sorting. What the user does to
// the list arrives at virtual handlers.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/control.h"

namespace morvane {

enum class ViewStyle { Icon, SmallIcon, List, Report };

class ListView : public WinControl {
public:
    ListView(WinControl* parent, int left, int top, int width, int height);

    int Count() const;
    // Appends an item and returns its index.
    int Add(const std::wstring& caption, LPARAM data, int image);
    void SetSubItem(int index, int subItem, const std::wstring& text);  // subItem from 1
    std::wstring Text(int index, int subItem = 0) const;
    void SetText(int index, const std::wstring& caption);
    LPARAM Data(int index) const;
    int Image(int index) const;
    void SetOverlay(int index, int overlay);
    int Overlay(int index) const;
    void Clear();
    // Items from the top of the list, in their current order.
    int IndexOfData(LPARAM data) const;

    int ColumnCount() const;
    void AddColumn(const std::wstring& caption, int width, int format);
    void SetColumn(int index, const std::wstring& caption, int width, int format);

    int FirstSelected() const;  // -1 when nothing is selected
    int SelectedCount() const;
    void Select(int index, bool selected = true);
    bool MultiSelect() const;
    void SetMultiSelect(bool multiSelect);
    void EditLabel(int index);

    ViewStyle Style() const;
    void SetStyle(ViewStyle style);
    // Sorts by a comparison of two items' data.
    void Sort(PFNLVCOMPARE compare, LPARAM context);
    void SetImageLists(HIMAGELIST large, HIMAGELIST small);  // not owned
    int ItemAt(POINT client) const;
    RECT ItemRect(int index) const;
    RECT HeaderItemRect(int column) const;

protected:
    virtual void Deleting(int, LPARAM) {}
    virtual void ColumnClick(int) {}
    virtual void DoubleClick() {}
    virtual void RightClick(POINT) {}
    virtual bool CanEdit(int) { return true; }
    // Editing ended with new text; the item keeps the text only when this returns true.
    virtual bool Edited(int, const std::wstring&) { return true; }

    bool Notify(const NMHDR& header, LRESULT& result) override;
};

}  // namespace morvane
