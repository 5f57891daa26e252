#include "batch/batch_dialog.h"

#include <initializer_list>
#include <vector>

#include "settings/settings.h"
#include "batch/batch_history.h"
#include "batch/batch_journal.h"
#include "batch/file_names.h"
#include "batch/live_progress.h"
#include "batch/redirected_folders.h"
#include "ui/application.h"
#include "ui/error.h"
#include "ui/screen_cursor.h"

namespace morvane {

namespace {

constexpr int kExpandedHeight = 254;
constexpr int kCollapsedHeight = 117;
constexpr wchar_t kDetailsValue[] = L"Meisai";
constexpr wchar_t kQuestion[] = L"本当によろしいですか？";

// Said in place of the question when the new extension can never work.
const wchar_t* FaultText(ExtensionFault fault) {
    switch (fault) {
    case ExtensionFault::ForbiddenCharacter: return L"変換拡張子に使えない文字があります。";
    case ExtensionFault::EndsInDotOrBlank: return L"変換拡張子の最後に . や空白は使えません。";
    case ExtensionFault::OnlyBlanks: return L"変換拡張子が空白だけです。";
    case ExtensionFault::TooLong: return L"変換拡張子が長すぎます。";
    case ExtensionFault::None: break;
    }
    return kQuestion;
}

// Shows the bar at 0 of the given maximum for as long as it lives: from before the journal is
// written until the list has been read again.
class ShownProgress {
public:
    ShownProgress(ProgressBar& bar, int max) : bar_(bar) {
        bar_.SetPosition(0);
        bar_.SetVisible(true);
        bar_.SetRange(0, max);
        UpdateWindow(bar_.Handle());
    }
    ~ShownProgress() { bar_.SetVisible(false); }
    ShownProgress(const ShownProgress&) = delete;
    ShownProgress& operator=(const ShownProgress&) = delete;

private:
    ProgressBar& bar_;
};

// While a run lasts only the cancel button takes input: the other controls are disabled (the
// rest of the program already is, under the modal dialog) and the focus is on the cancel button,
// so Enter, Esc and the space bar stop the run too. Everything comes back afterwards.
class RunInputLock {
public:
    RunInputLock(Button& cancel, std::initializer_list<WinControl*> blocked) : blocked_(blocked) {
        cancel.SetFocus();
        for (WinControl* control : blocked_) control->SetEnabled(false);
    }
    ~RunInputLock() {
        for (WinControl* control : blocked_) control->SetEnabled(true);
    }
    RunInputLock(const RunInputLock&) = delete;
    RunInputLock& operator=(const RunInputLock&) = delete;

private:
    std::vector<WinControl*> blocked_;
};

// The journal of the batch before goes into the history while this one runs. It comes back as the
// last batch's when this batch renamed nothing (stopped at once, no match, every rename failed),
// so that Ctrl+Z still undoes the last batch that changed something, and such a batch is not kept.
class EarlierJournal {
public:
    explicit EarlierJournal(const std::wstring& path) : history_(path) {
        try {
            archived_ = history_.Archive();
        } catch (const Error& error) {
            // The batch runs all the same; the user learns that the one before leaves the history.
            App().ShowError(error.Message());
        }
    }
    EarlierJournal(const EarlierJournal&) = delete;
    EarlierJournal& operator=(const EarlierJournal&) = delete;

    void Settle(bool changedAny) {
        const std::wstring& path = history_.JournalPath();
        if (changedAny) {
            BatchHistory::Summarize(path);
        } else if (!archived_.empty()) {
            history_.Unarchive(archived_);
        } else if (!path.empty()) {
            DeleteFileW(path.c_str());
            DeleteFileW((path + L".summary").c_str());
        }
    }

private:
    BatchHistory history_;
    std::wstring archived_;
};

}  // namespace

TForm2::TForm2(BatchDialogOpener& opener)
    : Form(L"TForm2", DialogFormStyle(FormPosition::ScreenCenter)),
      Button1(this, L"ｷｬﾝｾﾙ(&C)", 313, 34, 80, 23),
      Button2(this, L"変換(&O)", 313, 8, 80, 23),
      Button3(this, L"詳細(&D)", 313, 60, 80, 23),
      CheckListBox1(this, 8, 103, 385, 117),
      ProgressBar1(this, 56, 65, 248, 17),
      Image1(this, ProgramIcon(32), 11, 16, 33, 33),
      Label2(this, 56, 16, L"", true),
      Label1(this, 56, 32),
      Label3(this, 56, 48, kQuestion),
      Bevel1(this, BevelShape::TopLine, 8, 93, 385, 2),
      opener_(opener),
      journalPath_(BatchJournalPath()) {
    SetCaption(L"一括変換");
    SetClientSize(402, 227);

    Button1.SetModalResult(mrCancel);
    Button1.SetDefault(true);
    SetDefaultButton(&Button1);
    SetCancelButton(&Button1);
    Button2.OnClick = [this] { Button2Click(); };
    Button3.OnClick = [this] { Button3Click(); };

    CheckListBox1.SetBackground(COLOR_3DLIGHT);
    CheckListBox1.SetItemHeight(12);
    ProgressBar1.SetVisible(false);
    ProgressBar1.SetStep(1);
    // A check decides whether an entry takes its new name, and so which later ones collide.
    CheckListBox1.OnCheckChanged = [this](int) { MarkCollisions(); };

    OnCreate = [this] { FormCreate(); };
    OnClose = [this] { FormClose(); };
    Loaded();
}

int TForm2::Open(std::wstring_view target, TargetMode mode, FolderScope scope) {
    // A folder may hold a hundred thousand matches: the names move into the list in one step, and
    // the collisions are planned once, so that a check changed later only recounts numbers.
    const std::wstring folder = opener_.FolderPath();
    if (RedirectedHere(folder, scope == FolderScope::WithSubFolders)) {
        // The 32-bit build would list and rename what the system shows it in place of the folder.
        MessageBoxW(GetActiveWindow(), kRedirectedFolderMessage, App().Title().c_str(), MB_OK | MB_ICONWARNING);
        return mrCancel;
    }
    const std::wstring newExtension = opener_.NewExtension();
    const std::wstring mask = BuildSearchMask(target, mode);
    target_ = target;
    scope_ = scope;
    // A new extension that can never work is refused here, before anything is renamed; the marks
    // would only guess at names no file can take.
    const ExtensionFault fault = CheckNewExtension(newExtension);
    std::vector<bool> dimmed;
    MatchList matches;
    {
        // A whole tree may take a while to list.
        const HourglassCursor hourglass;
        matches = scope == FolderScope::WithSubFolders ? ListMatchingFilesWithSubFolders(folder, mask)
                                                       : ListMatchingFiles(folder, mask);
        collisions_.reset();
        if (fault == ExtensionFault::None) {
            collisions_.emplace(FolderNames(folder, matches, newExtension), matches, newExtension);
            dimmed = collisions_->Collisions(std::vector<bool>(matches.size(), true));
        }
    }
    std::vector<std::wstring> names;
    names.reserve(matches.size());
    for (MatchEntry& match : matches) names.push_back(std::move(match.Name));
    CheckListBox1.Assign(std::move(names), true);
    CheckListBox1.SetDimmedFlags(dimmed);
    // Said before the two texts, so that a long target text cannot push it under the buttons.
    const std::wstring_view scopeText = scope == FolderScope::WithSubFolders ? L"(ｻﾌﾞﾌｫﾙﾀﾞも)" : L"";
    Label2.SetCaption(L"拡張子変更" + std::wstring(scopeText) + L"　[" + std::wstring(target) + L"] → [" +
                      newExtension + L"]");
    Label1.SetCaption(std::to_wstring(matches.size()) + L"個のファイルの拡張子を変更します。");
    Label3.SetCaption(FaultText(fault));
    Button2.SetEnabled(fault == ExtensionFault::None);
    return ShowModal();
}

MatchList TForm2::Entries() const {
    MatchList list;
    list.reserve(static_cast<size_t>(CheckListBox1.Count()));
    for (int i = 0; i < CheckListBox1.Count(); ++i) list.push_back({CheckListBox1.Item(i), CheckListBox1.Checked(i)});
    return list;
}

void TForm2::MarkCollisions() {
    if (collisions_) CheckListBox1.SetDimmedFlags(collisions_->Collisions(CheckListBox1.CheckedFlags()));
}

void TForm2::Button2Click() {
    // A click sent to the disabled button while the run lets messages through starts no second run,
    // and none starts for an extension refused at the opening.
    if (running_ || CheckNewExtension(opener_.NewExtension()) != ExtensionFault::None) return;
    running_ = true;
    const struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};
    const MatchList list = Entries();
    const ShownProgress shown(ProgressBar1, static_cast<int>(list.size()));
    const RunInputLock lock(Button1, {&Button2, &Button3, &CheckListBox1});
    // A cancel during the run (the button, Enter, Esc or the close box) sets the modal result.
    SetModalResult(mrNone);
    const std::wstring folder = opener_.FolderPath();
    const std::wstring newExtension = opener_.NewExtension();
    // The journal is written before the first rename, so that the batch can be undone even after a
    // crash. Without one the batch still runs, but an older journal must not pass for this batch's.
    // Without a place for the journal (no application-data folder) nothing is written anywhere.
    EarlierJournal earlier(journalPath_);
    std::optional<JournalRecorder> recorder;
    if (!journalPath_.empty()) {
        try {
            BatchJournal plan = PlanBatch(folder, list, newExtension);
            FILETIME now;
            GetSystemTimeAsFileTime(&now);
            plan.Time = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
            plan.Target = target_;
            plan.NewExtension = newExtension;
            plan.SubFolders = scope_ == FolderScope::WithSubFolders;
            recorder.emplace(journalPath_, plan);
        } catch (const Error&) {
            DeleteFileW(journalPath_.c_str());
        }
    }
    // The bar moves and the dialog paints as the run goes; a cancel stops it after the file in hand.
    LiveProgress progress(
        [this](int done, int max) {
            if (ProgressBar1.Max() != max) ProgressBar1.SetRange(0, max);
            ProgressBar1.SetPosition(done);
        },
        [this] { return ModalResult() != mrNone; });
    JournalingSink sink(progress, recorder ? &*recorder : nullptr, list);
    RenameCheckedFiles(folder, list, newExtension, sink);
    recorder.reset();
    earlier.Settle(progress.ChangedAny());
    // Stopped or not, what was renamed shows in the list.
    opener_.Refresh();
    if (ModalResult() == mrNone) SetModalResult(mrOk);
}

void TForm2::Button3Click() {
    if (details_ == 0) {
        SetHeight(kExpandedHeight);
        details_ = 1;
    } else {
        SetHeight(kCollapsedHeight);
        details_ = 0;
    }
}

void TForm2::DpiChanged(int) {
    // The designed height of the details state, whatever the scaled rectangle came to.
    SetHeight(details_ == 1 ? kExpandedHeight : kCollapsedHeight);
}

void TForm2::FormCreate() {
    // Created at start-up after the main window, which has already reported a key that cannot be
    // created; the close that writes the flag reports it again if it still cannot.
    const Settings settings(kSettingsKey, KeyAccess::ReadWhatIsThere);
    details_ = settings.ReadInteger(kSettingsSection, kDetailsValue, 1);
    SetHeight(details_ == 1 ? kExpandedHeight : kCollapsedHeight);
}

void TForm2::FormClose() {
    Settings settings(kSettingsKey);
    settings.WriteInteger(kSettingsSection, kDetailsValue, details_);
}

}  // namespace morvane
