#pragma once
// The window "変換の履歴": every kept batch, newest first, with its time, folder, rule, files renamed
// and state; the selected batch is undone alone, or its renames saved as a CSV file.
#include <functional>
#include <string>
#include <vector>

#include "batch/batch_history.h"
#include "ui/form.h"
#include "ui/list_view.h"
#include "ui/std_controls.h"

namespace morvane {

// The batches as rows of a report list.
class HistoryList : public ListView {
public:
    HistoryList(WinControl* parent, int left, int top, int width, int height);
    void SetBatches(std::vector<BatchSummary> batches);
    const std::vector<BatchSummary>& Batches() const { return batches_; }
    // The selected batch, or null.
    const BatchSummary* Selected() const;

protected:
    std::wstring ItemText(int index, int column) override;
    bool CanEdit(int) override { return false; }

private:
    std::vector<BatchSummary> batches_;
};

class THistoryForm : public Form {
public:
    // Undoes the batch of a journal as Ctrl+Z does (the question, the progress, Esc), over the
    // window given; true when it ran.
    using BatchUndoer = std::function<bool(const std::wstring& journal, HWND owner)>;
    // Asks where to save a batch's renames (the suggested file name given); empty: not at all.
    using SaveAsker = std::function<std::wstring(HWND owner, const std::wstring& suggested)>;

    THistoryForm(BatchHistory history, BatchUndoer undo, SaveAsker askWhereToSave = AskWhereToSave);

    // Reads the history again and shows it modally.
    int Open();
    void Refresh();
    void UndoClick();
    void ExportClick();

    // The system's save dialog for a CSV file.
    static std::wstring AskWhereToSave(HWND owner, const std::wstring& suggested);

    HistoryList List;
    Button UndoButton;
    Button ExportButton;
    Button CloseButton;

private:
    BatchHistory history_;
    BatchUndoer undo_;
    SaveAsker askWhereToSave_;
};

}  // namespace morvane
