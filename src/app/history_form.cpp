#include "app/history_form.h"

#include <commdlg.h>

#include <algorithm>

#include "ui/application.h"
#include "ui/on_demand.h"

namespace morvane {

namespace {

enum Column { kTime, kFolder, kRule, kFiles, kState, kColumns };

struct ColumnLayout {
    const wchar_t* Caption;
    int Width;
    int Format;
};

constexpr ColumnLayout kColumnLayout[kColumns] = {
    {L"日時", 128, LVCFMT_LEFT},    {L"フォルダ", 197, LVCFMT_LEFT}, {L"変換", 150, LVCFMT_LEFT},
    {L"ファイル数", 65, LVCFMT_RIGHT}, {L"状態", 95, LVCFMT_LEFT},
};

constexpr int kClientWidth = 680;
constexpr int kClientHeight = 300;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 23;
constexpr int kMargin = 8;

std::wstring RuleText(const BatchSummary& batch) {
    std::wstring rule = L"[" + batch.Target + L"] → [" + batch.NewExtension + L"]";
    if (batch.SubFolders) rule += L" ｻﾌﾞﾌｫﾙﾀﾞも";
    return rule;
}

}  // namespace

HistoryList::HistoryList(WinControl* parent, int left, int top, int width, int height)
    : ListView(parent, left, top, width, height) {
    for (const ColumnLayout& column : kColumnLayout) AddColumn(column.Caption, column.Width, column.Format);
    SetStyle(ViewStyle::Report);
    SetMultiSelect(false);
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void HistoryList::SetBatches(std::vector<BatchSummary> batches) {
    batches_ = std::move(batches);
    SetCount(static_cast<int>(batches_.size()));
    if (!batches_.empty()) Select(0);
}

const BatchSummary* HistoryList::Selected() const {
    const int index = FirstSelected();
    return index >= 0 && static_cast<size_t>(index) < batches_.size() ? &batches_[static_cast<size_t>(index)] : nullptr;
}

std::wstring HistoryList::ItemText(int index, int column) {
    if (index < 0 || static_cast<size_t>(index) >= batches_.size()) return {};
    const BatchSummary& batch = batches_[static_cast<size_t>(index)];
    switch (column) {
    case kTime: return HistoryTime(batch.Time);
    case kFolder: return batch.Folder;
    case kRule: return RuleText(batch);
    case kFiles: return std::to_wstring(batch.Renamed);
    case kState: return StateText(batch.State());
    }
    return {};
}

THistoryForm::THistoryForm(BatchHistory history, BatchUndoer undo, SaveAsker askWhereToSave)
    : Form(L"THistoryForm", DialogFormStyle(FormPosition::ScreenCenter)),
      List(this, kMargin, kMargin, kClientWidth - 2 * kMargin, kClientHeight - 3 * kMargin - kButtonHeight),
      UndoButton(this, L"元に戻す(&U)", kClientWidth - 3 * (kButtonWidth + kMargin), kClientHeight - kMargin - kButtonHeight,
                 kButtonWidth, kButtonHeight),
      ExportButton(this, L"書き出す(&E)...", kClientWidth - 2 * (kButtonWidth + kMargin),
                   kClientHeight - kMargin - kButtonHeight, kButtonWidth, kButtonHeight),
      CloseButton(this, L"閉じる", kClientWidth - kButtonWidth - kMargin, kClientHeight - kMargin - kButtonHeight,
                  kButtonWidth, kButtonHeight),
      history_(std::move(history)),
      undo_(std::move(undo)),
      askWhereToSave_(std::move(askWhereToSave)) {
    SetCaption(L"変換の履歴");
    SetClientSize(kClientWidth, kClientHeight);
    CloseButton.SetModalResult(mrCancel);
    SetCancelButton(&CloseButton);
    UndoButton.OnClick = [this] { UndoClick(); };
    ExportButton.OnClick = [this] { ExportClick(); };
    Loaded();
}

int THistoryForm::Open() {
    Refresh();
    List.SetFocus();
    return ShowModal();
}

void THistoryForm::Refresh() {
    const int selected = List.FirstSelected();
    List.SetBatches(history_.Summaries());
    if (selected > 0 && selected < List.Count()) List.Select(selected);
    const bool any = List.Count() > 0;
    UndoButton.SetEnabled(any);
    ExportButton.SetEnabled(any);
}

void THistoryForm::UndoClick() {
    const BatchSummary* batch = List.Selected();
    if (!batch || !undo_) return;
    const std::wstring journal = batch->JournalPath;
    if (undo_(journal, Handle())) Refresh();
    List.SetFocus();
}

void THistoryForm::ExportClick() {
    const BatchSummary* batch = List.Selected();
    if (!batch || !askWhereToSave_) return;
    std::wstring suggested = L"Morvane " + HistoryTime(batch->Time) + L".csv";
    std::replace(suggested.begin(), suggested.end(), L'/', L'-');
    std::replace(suggested.begin(), suggested.end(), L':', L'-');
    const std::wstring journal = batch->JournalPath;
    const std::wstring path = askWhereToSave_(Handle(), suggested);
    if (!path.empty()) ExportBatch(journal, path);
}

std::wstring THistoryForm::AskWhereToSave(HWND owner, const std::wstring& suggested) {
    std::wstring path = suggested;
    path.resize(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = L"CSV ﾌｧｲﾙ (*.csv)\0*.csv\0すべてのﾌｧｲﾙ (*.*)\0*.*\0";
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = static_cast<DWORD>(path.size());
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!ondemand::GetSaveFileNameW(&dialog)) return {};
    path.resize(wcslen(path.c_str()));
    return path;
}

}  // namespace morvane
