#include "app/main_form.h"

#include <optional>

#include "app/about_box.h"
#include "app/command_line.h"
#include "app/dropped_folder.h"
#include "app/folder_menu.h"
#include "app/help.h"
#include "app/history_form.h"
#include "settings/settings.h"
#include "batch/batch_history.h"
#include "batch/batch_journal.h"
#include "batch/extension_list_dialog.h"
#include "batch/live_progress.h"
#include "batch/redirected_folders.h"
#include "shellctl/folder_read_ahead.h"
#include "ui/application.h"
#include "ui/executable.h"

namespace morvane {

namespace {

constexpr int kTreeWidth = 177;
constexpr int kSplitterWidth = 4;
constexpr int kStatusBarHeight = 19;
// More than any target or new extension can use (a name holds 255 characters at most): a stored
// text of hundreds of thousands would hold the start for seconds.
constexpr size_t kMaxFieldText = 512;

std::wstring FieldText(std::wstring text) {
    if (text.size() > kMaxFieldText)
        text.resize(IS_LOW_SURROGATE(text[kMaxFieldText]) ? kMaxFieldText - 1 : kMaxFieldText);
    return text;
}

bool IsExistingFile(const std::wstring& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Runs one step of a sequence; a failure is reported and the sequence goes on.
template <typename Step>
void Reported(Step step) {
    try {
        step();
    } catch (...) {
        App().HandleException();
    }
}

// A stored value, or its default when it cannot be read (the error box tells why).
template <typename Read, typename Value>
Value ReadOrDefault(const std::optional<Settings>& settings, Read read, Value defaultValue) {
    if (!settings) return defaultValue;
    try {
        return read(*settings, defaultValue);
    } catch (...) {
        App().HandleException();
        return defaultValue;
    }
}

// The folder the start shows, as LoadSettings settles it: the command line's, else the one
// remembered (the chosen first folder when the user asked for it). Empty when unknown.
std::wstring FolderToShow(const std::vector<std::wstring>& arguments) {
    try {
        if (std::wstring folder = CommandLineFolder(arguments); !folder.empty()) return folder;
        const Settings settings(kSettingsKey, KeyAccess::ReadWhatIsThere);
        return settings.ReadString(kSettingsSection,
                                   settings.ReadInteger(kSettingsSection, L"FirstDirMode", 0) == 1 ? L"FirstDirectory"
                                                                                                  : L"Directory",
                                   L"");
    } catch (...) {
        return {};  // LoadSettings reports it
    }
}

}  // namespace

TForm1::TForm1(std::vector<std::wstring> arguments)
    : Form(L"TForm1", FormStyle{}),
      readAhead_(TFileView::ReadAhead(FolderToShow(arguments))),
      Toolbars(*this),
      Bevel1(this, BevelShape::BottomLine, 0, 47, 605, 1),
      Panel1(this, 0, 48, 605, 242),
      FolderView1(&Panel1, 0, 0, kTreeWidth, 223),
      Splitter1(&Panel1, FolderView1, kSplitterWidth),
      FileView1(&Panel1, kTreeWidth + kSplitterWidth, 0, 605 - kTreeWidth - kSplitterWidth, 223),
      StatusBar1(&Panel1, kStatusBarHeight, {180, 250}),
      Edit1(Toolbars.Edit1),
      Edit2(Toolbars.Edit2),
      N2(Toolbars.N2),
      K1(Toolbars.K1),
      K9(Toolbars.K9),
      K10(Toolbars.K10),
      IncludeSubFolders(Toolbars.IncludeSubFolders),
      N9(Toolbars.N9),
      N8(Toolbars.N8),
      K4(Toolbars.K4),
      K5(Toolbars.K5),
      K6(Toolbars.K6),
      K7(Toolbars.K7),
      K8(Toolbars.K8),
      ShowExtensions(Toolbars.ShowExtensions),
      K13(Toolbars.K13),
      K14(Toolbars.K14),
      K15(Toolbars.K15),
      K16(Toolbars.K16),
      History1(Toolbars.History1),
      SearchforHelpOn1(Toolbars.SearchforHelpOn1),
      About1(Toolbars.About1),
      arguments_(std::move(arguments)),
      journalPath_(BatchJournalPath()) {
    SetCaption(L"Morvane");
    SetBounds(74, 132, 0, 0);
    SetClientSize(605, 290);

    Bevel1.SetAlign(Align::Top);
    Panel1.SetAlign(Align::Client);
    StatusBar1.SetAlign(Align::Bottom);
    FolderView1.SetAlign(Align::Left);
    Splitter1.SetAlign(Align::Left);
    FileView1.SetAlign(Align::Client);
    Realign();

    FolderView1.SetShowRoot(false);
    FolderView1.SetIndent(19);
    FolderView1.SetContextMenu(&ShellContextMenu1);
    FileView1.SetMultiSelect(true);
    FileView1.SetViewStyle(ViewStyle::Report);
    FileView1.SetContextMenu(&ShellContextMenu1);
    FileView1.OnClick = [this] { FileView1Click(); };

    Toolbars.FlatButton7.OnClick = [this] { Button3Click(); };
    Toolbars.FlatButton6.OnClick = [this] { Button1Click(); };
    N2.OnClick = [this] { N2Click(); };
    K1.OnClick = [this] { K1Click(); };
    K9.OnClick = [this] { SelectChange(K9); };
    K10.OnClick = [this] { SelectChange(K10); };
    IncludeSubFolders.OnClick = [this] { IncludeSubFoldersClick(); };
    N9.OnClick = [this] { N9Click(); };
    N8.OnClick = [this] { N8Click(); };
    K4.OnClick = [this] { K4Click(); };
    K5.OnClick = [this] { K5Click(); };
    K6.OnClick = [this] { K6Click(); };
    K7.OnClick = [this] { K7Click(); };
    K8.OnClick = [this] { K8Click(); };
    ShowExtensions.OnClick = [this] { ShowExtensionsClick(); };
    K13.OnClick = [this] { K13Click(); };
    K14.OnClick = [this] { K14Click(); };
    K15.OnClick = [this] { K15Click(); };
    K16.OnClick = [this] { K16Click(); };
    History1.OnClick = [this] { History1Click(); };
    SearchforHelpOn1.OnClick = [this] { SearchforHelpOn1Click(); };
    About1.OnClick = [this] { About1Click(); };

    // The tree is built before the creation handler picks the folder to show. The list is linked
    // to it only then: it reads the one folder finally chosen, once the window is on screen (Show),
    // instead of every folder the start passes through.
    FolderView1.LookUpImagesWhenIdle();
    FolderView1.Loaded();
    OnCreate = [this] { FormCreate(); };
    OnClose = [this] { FormClose(); };
    Loaded();
    FileView1.UseReadAhead(std::move(readAhead_));
    FolderView1.SetFileView(&FileView1);

    folderDrop_.Accepts = [](const std::vector<std::wstring>& paths) { return !DroppedFolder(paths).empty(); };
    folderDrop_.OnDrop = [this](const std::vector<std::wstring>& paths) { FilesDropped(paths); };
}

TForm1::~TForm1() = default;

void TForm1::SetDialogs(TForm2* batchDialog, TAboutBox* aboutBox, TForm3* extensionList) {
    batchDialog_ = batchDialog;
    aboutBox_ = aboutBox;
    extensionList_ = extensionList;
}

void TForm1::NeedDialogs() {
    if ((!batchDialog_ || !aboutBox_ || !extensionList_) && OnDialogsNeeded) OnDialogsNeeded();
}

void TForm1::Show() {
    const bool first = !shown_;
    if (first) {
        shown_ = true;
        ShowWindow(Handle(), showCommand_);
    }
    Form::Show();
    if (first) {
        // A file that a crash left under the temporary name of a change of case gets its name back
        // before any folder is listed; a reading made before that may hold the temporary name.
        Reported([&] {
            if (RecoverTemporaryNames(journalPath_) > 0) FileView1.UseReadAhead(nullptr);
        });
        const TreeView::Node node = FolderView1.Selected();
        const IDList folder = node ? FolderView1.GetNodeIDList(node) : IDList();
        // A folder read while the windows were built is listed before the first drawing, which
        // then draws the list once. Otherwise the window is drawn before the list reads its
        // folder: the user sees the program at once, and a large folder fill in.
        const bool listedFirst = folder && FileView1.HoldsReadAhead(folder.Get());
        if (listedFirst) FileView1.SetFolderIDList(folder.Get());
        RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        if (folder && !listedFirst) FileView1.SetFolderIDList(folder.Get());
        // Whatever was not taken would be old by the next listing.
        FileView1.UseReadAhead(nullptr);
    }
}

bool TForm1::KeyPreview(const MSG& message) {
    const HWND fieldFocus = GetFocus();
    const bool inField = fieldFocus == Edit1.Handle() || fieldFocus == Edit2.Handle();
    // Alt+Down (or F4) opens a field's drop-down menu, as on a combo box. After Alt+Down the menu
    // opens as Alt goes up: an Alt released while a menu is open would close it again at once.
    if (inField && ((message.message == WM_SYSKEYDOWN && message.wParam == VK_DOWN) ||
                    (message.message == WM_KEYDOWN && message.wParam == VK_F4))) {
        dropDownField_ = fieldFocus;
        if (message.wParam == VK_F4) OpenFieldMenu();
        return true;
    }
    if ((message.message == WM_SYSKEYUP || message.message == WM_KEYUP) && message.wParam == VK_MENU &&
        dropDownField_) {
        OpenFieldMenu();
        return true;
    }
    // Enter in the new-extension field starts the batch.
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && fieldFocus == Edit2.Handle() &&
        GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_MENU) >= 0) {
        Button3Click();
        return true;
    }
    if (message.message != WM_KEYDOWN || (message.wParam != 'Z' && message.wParam != 'H')) return false;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0) return false;
    // Ctrl+H anywhere in the window, the fields too (where it would only be a backspace).
    if (message.wParam == 'H') {
        History1Click();
        return true;
    }
    // In the extension fields (and in a label being edited) Ctrl+Z stays the edit's own undo.
    const HWND focus = GetFocus();
    if (focus != FolderView1.Handle() && focus != FileView1.Handle()) return false;
    UndoLastBatch();
    return true;
}

void TForm1::OpenFieldMenu() {
    const HWND field = dropDownField_;
    dropDownField_ = nullptr;
    if (field != GetFocus()) return;  // the keys went elsewhere meanwhile
    (field == Edit1.Handle() ? Toolbars.FlatButton1 : Toolbars.FlatButton2).Click();
}

LRESULT TForm1::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        folderDrop_.DropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return Form::WndProc(message, wParam, lParam);
}

// ---- Start and close ----

void TForm1::FormCreate() { LoadSettings(); }

void TForm1::LoadSettings() {
    const int dpi = Dpi();
    Reported([&] {
        showCommand_ = LoadFormPlacement(Handle(), [](const Error& unreadable) { App().ShowError(unreadable.Message()); });
    });
    // The stored rectangle is in the pixels of the monitor it was stored on: when the window came
    // there from a monitor of another scale, the system scaled it on the way, and it takes the
    // stored rectangle again (whatever could not be read was reported just now).
    if (Dpi() != dpi) Reported([&] { LoadFormPlacement(Handle(), [](const Error&) {}); });

    // A key that cannot be created was reported with the placement: one cause, one error box.
    std::optional<Settings> settings;
    Reported([&] { settings.emplace(kSettingsKey, KeyAccess::ReadWhatIsThere); });
    const auto readString = [&](const wchar_t* name, std::wstring_view defaultValue) {
        return ReadOrDefault(
            settings,
            [&](const Settings& s, const std::wstring& d) { return s.ReadString(kSettingsSection, name, d); },
            std::wstring(defaultValue));
    };
    const auto readInteger = [&](const wchar_t* name, int defaultValue) {
        return ReadOrDefault(
            settings, [&](const Settings& s, int d) { return s.ReadInteger(kSettingsSection, name, d); },
            defaultValue);
    };
    const auto readBool = [&](const wchar_t* name, bool defaultValue) {
        return ReadOrDefault(
            settings, [&](const Settings& s, bool d) { return s.ReadBool(kSettingsSection, name, d); },
            defaultValue);
    };

    Reported([&] { FolderView1.SetFolderPath(readString(L"Directory", L"")); });
    Edit1.SetText(FieldText(readString(L"ExtFrom", kAllFilesKeyword)));
    Edit2.SetText(FieldText(readString(L"ExtTo", L"AIFF")));
    switch (readInteger(L"FileView", 3)) {
    case 0: K5Click(); break;
    case 1: K6Click(); break;
    case 2: K7Click(); break;
    case 3: K8Click(); break;
    default: break;  // anything else leaves the design state
    }
    (readBool(L"Wild", true) ? K9 : K10).SetChecked(true);
    firstDirectory_ = readString(L"FirstDirectory", L"");
    if (readInteger(L"FirstDirMode", 0) == 1) {
        firstDirMode_ = 1;
        K14.SetChecked(true);
        Reported([&] { FolderView1.SetFolderPath(firstDirectory_); });
    }
    IncludeSubFolders.SetChecked(readBool(L"SubFolders", false));
    ShowExtensions.SetChecked(readBool(L"ShowExtensions", false));
    FileView1.SetShowExtensions(ShowExtensions.Checked());
    settings.reset();

    Reported([&] { K16.SetChecked(FolderMenuRegistered()); });
    Reported([&] {
        const std::wstring folder = CommandLineFolder(arguments_);
        if (!folder.empty()) FolderView1.SetFolderPath(folder);
    });
}

void TForm1::FormClose() {
    // The program ends even when the registry refuses what it is told to keep.
    Reported([&] { SaveSettings(); });
}

void TForm1::SaveSettings() {
    SaveFormPlacement(Handle());
    Settings settings(kSettingsKey);
    settings.WriteString(kSettingsSection, L"Directory", FolderView1.FolderPath());
    settings.WriteString(kSettingsSection, L"ExtFrom", Edit1.Text());
    settings.WriteString(kSettingsSection, L"ExtTo", Edit2.Text());
    settings.WriteInteger(kSettingsSection, L"FileView", viewStyleNumber_);
    settings.WriteInteger(kSettingsSection, L"FirstDirMode", firstDirMode_);
    settings.WriteString(kSettingsSection, L"FirstDirectory", firstDirectory_);
    settings.WriteBool(kSettingsSection, L"Wild", K9.Checked());
    settings.WriteBool(kSettingsSection, L"SubFolders", IncludeSubFolders.Checked());
    settings.WriteBool(kSettingsSection, L"ShowExtensions", ShowExtensions.Checked());
}

// ---- Commands ----

void TForm1::Button3Click() {
    NeedDialogs();
    if (batchDialog_) batchDialog_->Open(Edit1.Text(), Mode(), Scope());
}

void TForm1::Button1Click() {
    // Posted: the button finishes its click before the window goes.
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm1::SetViewStyle(MenuItem& item, ViewStyle style, int number) {
    item.SetChecked(true);
    FileView1.SetViewStyle(style);
    viewStyleNumber_ = number;
}

void TForm1::K5Click() { SetViewStyle(K5, ViewStyle::Icon, 0); }
void TForm1::K6Click() { SetViewStyle(K6, ViewStyle::SmallIcon, 1); }
void TForm1::K7Click() { SetViewStyle(K7, ViewStyle::List, 2); }
void TForm1::K8Click() { SetViewStyle(K8, ViewStyle::Report, 3); }

void TForm1::ShowExtensionsClick() {
    ShowExtensions.SetChecked(!ShowExtensions.Checked());
    FileView1.SetShowExtensions(ShowExtensions.Checked());
}

void TForm1::SelectChange(MenuItem& item) { item.SetChecked(true); }

void TForm1::IncludeSubFoldersClick() { IncludeSubFolders.SetChecked(!IncludeSubFolders.Checked()); }

void TForm1::K1Click() { Edit1.SetText(std::wstring(kAllFilesKeyword)); }

void TForm1::K13Click() {
    K13.SetChecked(true);
    firstDirMode_ = 0;
}

void TForm1::K14Click() {
    K14.SetChecked(true);
    firstDirMode_ = 1;
}

void TForm1::K15Click() { firstDirectory_ = FolderView1.FolderPath(); }

void TForm1::K16Click() {
    // The check mark changes first and stays, whatever the registry does.
    if (K16.Checked()) {
        K16.SetChecked(false);
        UnregisterFolderMenu();
    } else {
        K16.SetChecked(true);
        RegisterFolderMenu(ExecutablePath());
    }
}

void TForm1::FileView1Click() {
    const std::wstring path = FileView1.GetSelectedPath();
    if (!IsExistingFile(path)) return;
    StatusBar1.SetPanelText(0, L"1個のｵﾌﾞｼﾞｪｸﾄを選択");
    Edit1.SetText(TargetFromFile(path, Mode()));
    StatusBar1.SetPanelText(1, L"対象を[" + Edit1.Text() + L"]に変更しました。");
}

void TForm1::N2Click() {
    NeedDialogs();
    if (!extensionList_) return;
    if (const auto entry = extensionList_->PickEntry()) Edit1.SetText(*entry);
}

void TForm1::N8Click() {
    NeedDialogs();
    if (!extensionList_) return;
    if (const auto entry = extensionList_->PickEntry()) Edit2.SetText(*entry);
}

void TForm1::N9Click() {
    NeedDialogs();
    if (extensionList_) extensionList_->AppendEntry(Edit1.Text());
}

void TForm1::K4Click() {
    NeedDialogs();
    if (extensionList_) extensionList_->AppendEntry(Edit2.Text());
}

void TForm1::SearchforHelpOn1Click() { ShowHelpContents(Handle(), App().HelpFile()); }

void TForm1::About1Click() {
    NeedDialogs();
    if (aboutBox_) aboutBox_->ShowModal();
}

void TForm1::FilesDropped(const std::vector<std::wstring>& paths) {
    // Opened the way the command line's folder is.
    const std::wstring folder = DroppedFolder(paths);
    if (!folder.empty()) FolderView1.SetFolderPath(folder);
}

void TForm1::History1Click() {
    THistoryForm history(BatchHistory(journalPath_),
                         [this](const std::wstring& journal, HWND owner) { return UndoBatchAt(journal, owner); });
    history.Open();
}

void TForm1::UndoLastBatch() {
    const std::wstring journal = BatchHistory(journalPath_).NewestUndoable();
    if (!journal.empty()) UndoBatchAt(journal, Handle());
}

bool TForm1::UndoBatchAt(const std::wstring& journalPath, HWND owner) {
    // The question takes the focus away; it comes back for the next Ctrl+Z.
    const HWND focus = GetFocus();
    const std::optional<BatchJournal> journal = ReadBatchJournal(journalPath);
    if (!journal) return false;
    const size_t files = UndoableEntries(*journal).size();
    if (files == 0) return false;
    bool withSubFolders = false;
    for (const JournalEntry& entry : journal->Entries)
        withSubFolders = withSubFolders || entry.OldName.find(L'\\') != std::wstring::npos;
    if (RedirectedHere(journal->Folder, withSubFolders)) {
        MessageBoxW(owner, kRedirectedFolderMessage, App().Title().c_str(), MB_OK | MB_ICONWARNING);
        return false;
    }
    const BatchHistory history(journalPath_);
    const std::wstring which = history.IsNewest(journalPath) || journal->Time == 0
                                   ? L"直前の一括変換を元に戻します。"
                                   : HistoryTime(journal->Time) + L" の一括変換を元に戻します。";
    const std::wstring question = which + L"\n\nﾌｫﾙﾀﾞ: " + journal->Folder + L"\nﾌｧｲﾙ: " + std::to_wstring(files) +
                                  L"個\n\n本当によろしいですか？";
    if (MessageBoxW(owner, question.c_str(), App().Title().c_str(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return false;
    UndoResult result;
    {
        // In a large folder the undo takes minutes: the window keeps painting and shows how far it
        // is, takes no input, and Esc stops it after the file in hand (the rest stays undoable).
        BusyWindow busy(owner, focus);
        LiveProgress progress(busy, [this](int done, int total) {
            StatusBar1.SetPanelText(1, L"元に戻しています… " + std::to_wstring(done) + L"/" +
                                           std::to_wstring(total) + L"個");
        });
        // An older batch leaves alone the files a later one renamed again.
        result = history.IsNewest(journalPath) ? UndoBatch(journalPath, progress)
                                               : UndoBatch(journalPath, progress, history.RenamedAfter(journalPath));
        BatchHistory::Summarize(journalPath, result.NotRestored);
        FileView1.FillList();
    }
    // Each report fits the panel it is shown in (250 pixels wide).
    std::wstring report;
    if (result.Stopped) {
        // What the next Ctrl+Z still offers, as the journal now stands.
        const std::optional<BatchJournal> rest = ReadBatchJournal(journalPath);
        const size_t left = rest ? UndoableEntries(*rest).size() : 0;
        report = L"中止。残り" + std::to_wstring(left) +
                 (history.IsNewest(journalPath) ? L"個はCtrl+Zで戻せます。" : L"個は履歴から戻せます。");
    } else if (result.NotRestored > 0) {
        report = std::to_wstring(result.Restored) + L"個を戻し、" + std::to_wstring(result.NotRestored) +
                 L"個は戻せません。";
    } else {
        report = std::to_wstring(result.Restored) + L"個のﾌｧｲﾙを元に戻しました。";
    }
    StatusBar1.SetPanelText(1, report);
    // Every file put back was recorded as it went; the error only says the journal is not tidied.
    if (!result.JournalError.empty()) App().ShowError(result.JournalError);
    return true;
}

}  // namespace morvane
