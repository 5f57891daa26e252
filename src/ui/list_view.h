#pragma once
// The common-controls list view as a control over items its owner keeps (owner data): the
// control holds only their number, selection and focus, and asks for the texts, images and
// overlays of the items it shows when it draws them, so a list costs what is on screen. The owner
// answers through virtual handlers; columns, the four view styles and in-place label editing are
// the control's own. What the user does to the list arrives at virtual handlers too.
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
    // The owner now has count items, or other items: the control shows them anew, without a
    // selection when the count is 0. A visible control takes the count out of sight and is drawn
    // once afterwards.
    void SetCount(int count);
    void Clear() { SetCount(0); }
    // Items whose texts or images changed are drawn again.
    void RedrawItems(int first, int last);
    // What the control shows of an item (asked of the owner, as for drawing).
    std::wstring Text(int index, int subItem = 0) const;
    int Image(int index) const;
    int Overlay(int index) const;

    int ColumnCount() const;
    // Column widths in design pixels.
    void AddColumn(const std::wstring& caption, int width, int format);
    void SetColumn(int index, const std::wstring& caption, int width, int format);

    int FirstSelected() const;  // -1 when nothing is selected
    int NextSelected(int after) const;  // -1 after the last
    int SelectedCount() const;
    // Selects (and focuses) the item, or deselects it.
    void Select(int index, bool selected = true);
    // The selection as the items moved: none selected, then these, the focus on one of them
    // (-1: none) and the anchor of range selection on another.
    void ClearSelection();
    void AddToSelection(int index);
    int Focused() const;
    void SetFocused(int index);
    int SelectionMark() const;
    void SetSelectionMark(int index);
    bool MultiSelect() const;
    void SetMultiSelect(bool multiSelect);
    void EditLabel(int index);

    ViewStyle Style() const;
    void SetStyle(ViewStyle style);
    // In the list style: the width of its columns, the same for all of them.
    void SetListColumnWidth(int width);
    void SetImageLists(HIMAGELIST large, HIMAGELIST small);  // not owned
    int ItemAt(POINT client) const;
    RECT ItemRect(int index) const;
    RECT HeaderItemRect(int column) const;
    // The columns keep their widths as the user left them, at the new DPI.
    void DpiChanged(int oldDpi) override;

protected:
    // The owner's answers: an item's text in a column, its image and its overlay (0 for none).
    virtual std::wstring ItemText(int /*index*/, int /*column*/) { return {}; }
    virtual int ItemImage(int /*index*/) { return 0; }
    virtual int ItemOverlay(int /*index*/) { return 0; }
    // Typing ahead: the first item from start on (going round the end when wrap is set) whose
    // caption begins with the text (is the text, unless partial), ignoring case; -1 when none.
    virtual int FindCaption(const std::wstring& /*text*/, bool /*partial*/, int /*start*/, bool /*wrap*/) {
        return -1;
    }
    virtual void ColumnClick(int) {}
    virtual void DoubleClick() {}
    virtual void RightClick(POINT) {}
    virtual bool CanEdit(int) { return true; }
    // Editing ended with new text: the owner renames the item or keeps it as it was, and has it
    // drawn again.
    virtual void Edited(int, const std::wstring&) {}

    bool Notify(const NMHDR& header, LRESULT& result) override;
};

}  // namespace morvane
