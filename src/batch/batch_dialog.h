#pragma once
// The confirmation dialog of a batch: the matching files with check boxes, what will change and
// how many files, and the conversion of the checked ones with a progress bar.
#include <optional>
#include <string>
#include <string_view>

#include "batch/engine.h"
#include "batch/name_collisions.h"
#include "ui/check_list_box.h"
#include "ui/form.h"
#include "ui/graphic_controls.h"
#include "ui/std_controls.h"

namespace morvane {

// What the dialog needs of the window that opens it, read when it is needed.
class BatchDialogOpener {
public:
    virtual std::wstring FolderPath() const = 0;
    virtual std::wstring NewExtension() const = 0;
    // Re-reads the folder after a conversion.
    virtual void Refresh() = 0;

protected:
    ~BatchDialogOpener() = default;
};

class TForm2 : public Form {
public:
    explicit TForm2(BatchDialogOpener& opener);

    // Lists the files of the opener's folder (and with subfolders, of every folder below it) that
    // the target selects, sets the summary and the count, and shows the dialog modally.
    int Open(std::wstring_view target, TargetMode mode, FolderScope scope = FolderScope::FolderOnly);

    int Details() const { return details_; }
    // Where the journal of the last batch is kept, for the undo.
    const std::wstring& JournalPath() const { return journalPath_; }
    void SetJournalPath(std::wstring path) { journalPath_ = std::move(path); }

    void Button2Click();
    void Button3Click();
    void FormCreate();
    void FormClose();
    // At another DPI the dialog keeps the designed height of its details state.
    void DpiChanged(int oldDpi) override;

    // Windowed controls first, in tab order.
    Button Button1;
    Button Button2;
    Button Button3;
    CheckListBox CheckListBox1;
    ProgressBar ProgressBar1;
    Picture Image1;
    Label Label2;
    Label Label1;
    Label Label3;
    Bevel Bevel1;

private:
    MatchList Entries() const;
    // Dims the entries that will keep their names because the new name is taken by then.
    void MarkCollisions();

    BatchDialogOpener& opener_;
    int details_ = 1;
    std::wstring journalPath_;
    // Of the folder and new extension the list was filled with.
    std::optional<CollisionPlan> collisions_;
    bool running_ = false;  // a conversion is under way
    // What the list was filled for, kept with the batch in its journal.
    std::wstring target_;
    FolderScope scope_ = FolderScope::FolderOnly;
};

}  // namespace morvane
