#pragma once
// A drop-down list of shell folders in tree order: the desktop, its children, the drives, and the
// ancestors of the folder shown, each with its small icon and indented by depth. Linked to a
// folder tree, it follows the tree's selection, and picking an entry selects that folder there.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <memory>
#include <vector>

#include "shellctl/idlist.h"
#include "shellctl/link.h"
#include "ui/combo_box.h"

namespace morvane {

class TFolderView;

// One entry: a folder's absolute list (owned), its depth (0 for the desktop) and the position at
// which it was inserted.
struct TComboData {
    IDList List;
    int Level = 0;
    int Index = 0;
};

class TComboView : public OwnerDrawComboBox, public LinkTarget {
public:
    TComboView(WinControl* parent, int left = 0, int top = 0, int width = 200);
    ~TComboView() override;

    // What a form calls once its controls exist: the fixed entries, the desktop selected.
    void Loaded();

    TFolderView* FolderView() const { return folderView_.Get(); }
    void SetFolderView(TFolderView* tree);

    // Shows the folder of the absolute list, adding its missing ancestors; the caller keeps it.
    void ShowFolder(LPCITEMIDLIST list);
    // Adds the list and its ancestors that are missing; returns the position of the list's entry.
    int InsertPath(LPCITEMIDLIST list);
    void FillFixedEntries();
    void ClearEntries();

    const TComboData* Entry(int index) const;
    int FixedEntryCount() const { return static_cast<int>(fixedEntries_.size()); }
    int PathEntryCount() const { return static_cast<int>(pathEntries_.size()); }

    // Raised when the user picks an entry, before the tree follows.
    std::function<void()> OnChange;

protected:
    void Change() override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;

private:
    void AddEntry(int position, int level, LPCITEMIDLIST list);

    bool pathMode_ = false;
    std::vector<std::unique_ptr<TComboData>> fixedEntries_;
    std::vector<std::unique_ptr<TComboData>> pathEntries_;
    Link<TFolderView> folderView_;
};

}  // namespace morvane
