#pragma once
// The contents of one shell folder as a list, Explorer-fashion: every subfolder and file (hidden
// ones included) with its shell icon, and in report style the name, size, type and last-write
// time. Driven by a folder tree, which it tells of double-clicked and renamed subfolders.
// Reading a folder keeps only each item's identifier; what a row shows is asked of the shell when
// the row is first shown (the caption, the type's look) or read from the find data the identifier
// carries (size and date, from the file system where the item is a file or folder of it), so that
// a folder of 100,000 files lists at the shell's own speed.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shellctl/com_ptr.h"
#include "shellctl/file_types.h"
#include "shellctl/idlist.h"
#include "shellctl/link.h"
#include "ui/list_view.h"

namespace morvane {

class FolderReadAhead;
class TFolderView;
class TShellContextMenu;

class TFileView : public ListView, public LinkTarget {
public:
    TFileView(WinControl* parent, int left = 0, int top = 0, int width = 200, int height = 200);
    ~TFileView() override;

    // Starts reading the folder at the path on a thread of its own, as the list reads folders
    // (see UseReadAhead).
    static std::unique_ptr<FolderReadAhead> ReadAhead(const std::wstring& path);
    // The first folder the list shows takes its items from the reading when it is that folder.
    void UseReadAhead(std::unique_ptr<FolderReadAhead> readAhead);
    // Whether the list holds a reading that has ended with the items of the folder of the
    // absolute list: listing that folder then takes no time to read it.
    bool HoldsReadAhead(LPCITEMIDLIST list) const;
    // Shows the folder of the absolute list; the list stays the caller's.
    void SetFolderIDList(LPCITEMIDLIST list);
    // Reads the folder shown again.
    void FillList();

    // Full parsing path of the first selected item, of an item; empty when there is none.
    std::wstring GetSelectedPath() const;
    std::wstring GetItemPath(int index) const;
    // The item's identifier relative to the folder shown, owned by the item.
    LPCITEMIDLIST ItemID(int index) const;

    IShellFolder* Folder() const { return folder_.Get(); }
    LPCITEMIDLIST FolderIDList() const { return folderList_.Get(); }

    // Extensions with their dot (".TXT"); an empty mask shows everything. Not applied until the
    // next fill.
    const std::vector<std::wstring>& Mask() const { return mask_; }
    void SetMask(const std::vector<std::wstring>& mask) { mask_ = mask; }
    // A double-click on a file opens it through the shell.
    bool FileExecute() const { return fileExecute_; }
    void SetFileExecute(bool fileExecute) { fileExecute_ = fileExecute; }
    TShellContextMenu* ContextMenu() const { return contextMenu_.Get(); }
    void SetContextMenu(TShellContextMenu* menu);
    TFolderView* FolderView() const { return folderView_.Get(); }
    void SetViewStyle(ViewStyle style);
    // Files shown by their file names, extension included, whatever the system's setting for
    // known types; a rename in place then edits that whole name. Off: the shell's display names.
    bool ShowExtensions() const { return showExtensions_; }
    void SetShowExtensions(bool show);

    // Sorts by a column as a click on its header does: that column's direction turns first.
    void SortByColumn(int column);
    // Per column (name, size, type, date): +1 ascending, -1 descending. Shared by every list.
    static int SortDirections[4];

    // Raised after a double-click has handed a file to the shell.
    std::function<void()> OnDblClick;

protected:
    std::wstring ItemText(int index, int column) override;
    int ItemImage(int index) override;
    int ItemOverlay(int index) override;
    // What a row shows, answered from the file name where it tells as much as the shell would.
    bool CaptionStarts(int index, const std::wstring& text, bool whole) override;
    int CaptionWidthBound(int index, TextWidths& widths) override;
    void ColumnClick(int column) override;
    void DoubleClick() override;
    void RightClick(POINT point) override;
    void Edited(int index, const std::wstring& text) override;

private:
    friend class TFolderView;  // links itself through SetFolderView
    void SetFolderView(TFolderView* tree);

    struct Item;
    Item* ItemAt(int index) const;
    void ClearItems();
    const std::wstring& CaptionOf(Item& item);
    // Whether the item's caption begins with the text (or is it, whole), asking the shell for the
    // caption only when the file name cannot tell.
    bool CaptionBegins(Item& item, const std::wstring& text, bool whole);
    ULONG AttributesOf(Item& item);
    const TypeLooks::Look& LookOf(Item& item);
    bool FindDataOf(const Item& item, WIN32_FIND_DATAW& found) const;
    // Whether the item has a size and a date; they are then in the item.
    bool FactsOf(Item& item);
    void LearnAllFacts();
    // Puts the items in the order of the column and its direction, the selection moving with them.
    void Sort(int column);
    std::vector<size_t> OrderBy(int column);

    ComPtr<IShellFolder> folder_;
    std::unique_ptr<FolderReadAhead> readAhead_;
    IDList folderList_;
    std::wstring folderPath_;  // in the file system; empty for a folder of other items
    ComPtr<IShellIcon> icons_;  // the folder's own icons, when it has them
    bool fileExecute_ = true;
    bool showExtensions_ = false;
    ShownNames names_;  // how the shell shows this folder's files, by type
    std::vector<std::wstring> mask_;
    Link<TFolderView> folderView_;
    Link<TShellContextMenu> contextMenu_;
    std::vector<std::unique_ptr<Item>> items_;
    TypeLooks looks_;
};

}  // namespace morvane
