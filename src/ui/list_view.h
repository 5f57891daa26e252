#pragma once
// The common-controls list view as a control over items its owner keeps (owner data): the
// control holds only their number, selection and focus, and asks for the texts, images and
// overlays of the items it shows when it draws them, so a list costs what is on screen. The owner
// answers through virtual handlers; columns, the four view styles and in-place label editing are
// the control's own. What the user does to the list arrives at virtual handlers too.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/control.h"
#include "ui/text_widths.h"

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
    // Puts the owner's items in a new order, order[i] being the place before of the item now at
    // i: the owner moves its items in move(), and the selection, the focus and the anchor of range
    // selection stay with their items.
    void Reorder(const std::vector<size_t>& order, const std::function<void()>& move);

    ViewStyle Style() const;
    void SetStyle(ViewStyle style);
    // In the list style: the width of its columns, the same for all of them.
    void SetListColumnWidth(int width);
    // In the list style: columns as wide as the widest caption with its small icon (the control
    // would measure every label itself, asking the owner for each one). Only the captions whose
    // bound (CaptionWidthBound) passes the widest measured so far are asked and measured whole.
    void FitListColumns();
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
    // Typing ahead: whether the item's caption begins with the text (is the text, when whole),
    // ignoring case. By default the caption is asked; an owner may answer from less.
    virtual bool CaptionStarts(int index, const std::wstring& text, bool whole);
    // At least the width of the item's caption in the font of the measure; by default the caption
    // measured. An owner may answer from a text it has at hand that is never narrower.
    virtual int CaptionWidthBound(int index, TextWidths& widths) { return widths.Of(ItemText(index, 0)); }
    virtual void ColumnClick(int) {}
    virtual void DoubleClick() {}
    virtual void RightClick(POINT) {}
    virtual bool CanEdit(int) { return true; }
    // Editing ended with new text: the owner renames the item or keeps it as it was, and has it
    // drawn again.
    virtual void Edited(int, const std::wstring&) {}

    bool Notify(const NMHDR& header, LRESULT& result) override;

private:
    // The item whose caption is the widest, and its width; -1 without items.
    std::pair<int, int> WidestCaption();
    // Has the small-icon style size its items by the widest caption (coming in, or again when the
    // widest changed).
    void MeasureSmallIcons(bool comingIn);
    void SetStyleBits(ViewStyle style);
    int standIn_ = -1;         // while measuring: the item that answers for item 0
    int smallIconWidth_ = -1;  // the widest caption the small icons were sized by
    int smallIconCount_ = 0;   // and the items they were arranged for
    // The first item from start on (going round the end when wrap is set) whose caption starts
    // with the text; -1 when none.
    int FindCaption(const std::wstring& text, bool partial, int start, bool wrap);
};

}  // namespace morvane
