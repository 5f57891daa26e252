#pragma once
// The main window: the toolbar area with the two extension fields and the command buttons, the
// folder tree beside the file list, and the status bar. Every command of the program starts here;
// its creation restores what the program remembers and its closing stores it again.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "batch/batch_dialog.h"
#include "batch/engine.h"
#include "shellctl/file_view.h"
#include "shellctl/folder_view.h"
#include "shellctl/idlist.h"
#include "shellctl/shell_context_menu.h"
#include "toolbars/main_toolbars.h"
#include "ui/file_drop.h"
#include "ui/form.h"
#include "ui/graphic_controls.h"
#include "ui/panel.h"
#include "ui/splitter.h"
#include "ui/status_bar.h"

namespace morvane {

class TAboutBox;
class TForm3;

class TForm1 : public Form, public BatchDialogOpener {
public:
    // The arguments name the folder to open at start-up (none: the remembered one).
    explicit TForm1(std::vector<std::wstring> arguments = {});
    ~TForm1() override;

    // The dialogs are made after the main window; it reaches them only once they exist. A command
    // that needs a dialog not made yet asks for the rest first.
    void SetDialogs(TForm2* batchDialog, TAboutBox* aboutBox, TForm3* extensionList);
    std::function<void()> OnDialogsNeeded;

    // Shows the window the first time with the show command of its stored placement.
    void Show() override;
    // Ctrl+Z in the folder tree or the file list undoes the last batch.
    bool KeyPreview(const MSG& message) override;

    // What the window holds besides its controls.
    TargetMode Mode() const { return K9.Checked() ? TargetMode::ByExtension : TargetMode::ByWildcard; }
    FolderScope Scope() const {
        return IncludeSubFolders.Checked() ? FolderScope::WithSubFolders : FolderScope::FolderOnly;
    }
    int ViewStyleNumber() const { return viewStyleNumber_; }
    int FirstDirMode() const { return firstDirMode_; }
    const std::wstring& FirstDirectory() const { return firstDirectory_; }

    // The batch dialog's opener.
    std::wstring FolderPath() const override { return FolderView1.FolderPath(); }
    std::wstring NewExtension() const override { return Edit2.Text(); }
    void Refresh() override { FileView1.FillList(); }

    void FormCreate();
    void FormClose();
    void Button3Click();
    void Button1Click();
    void K5Click();
    void K6Click();
    void K7Click();
    void K8Click();
    void ShowExtensionsClick();
    void SelectChange(MenuItem& item);
    void IncludeSubFoldersClick();
    void K1Click();
    void K13Click();
    void K14Click();
    void K15Click();
    void K16Click();
    void FileView1Click();
    void N2Click();
    void N8Click();
    void N9Click();
    void K4Click();
    void SearchforHelpOn1Click();
    void About1Click();
    // Renames back the files of the newest batch that still has some to put back, after the user
    // confirmed it.
    void UndoLastBatch();
    // The same for the batch of a journal, over the given window (the main window or the history);
    // true when the user confirmed and the undo ran.
    bool UndoBatchAt(const std::wstring& journal, HWND owner);
    // The window of the kept batches.
    void History1Click();
    const std::wstring& JournalPath() const { return journalPath_; }
    void SetJournalPath(std::wstring path) { journalPath_ = std::move(path); }
    // Files or folders dropped on the window: the first one's folder is opened.
    void FilesDropped(const std::vector<std::wstring>& paths);

    ShellScope Shell;  // first in, last out: the browsing components need it

private:
    // The folder the start shows, read while the windows are built; handed to the list.
    std::unique_ptr<FolderReadAhead> readAhead_;

public:
    MainToolbars Toolbars;
    Bevel Bevel1;
    Panel Panel1;
    TShellContextMenu ShellContextMenu1;
    TFolderView FolderView1;
    Splitter Splitter1;
    TFileView FileView1;
    StatusBar StatusBar1;

    // The toolbar area's controls and menu items under their own names.
    TFlatEdit& Edit1;
    TFlatEdit& Edit2;
    MenuItem& N2;
    MenuItem& K1;
    MenuItem& K9;
    MenuItem& K10;
    MenuItem& IncludeSubFolders;
    MenuItem& N9;
    MenuItem& N8;
    MenuItem& K4;
    MenuItem& K5;
    MenuItem& K6;
    MenuItem& K7;
    MenuItem& K8;
    MenuItem& ShowExtensions;
    MenuItem& K13;
    MenuItem& K14;
    MenuItem& K15;
    MenuItem& K16;
    MenuItem& History1;
    MenuItem& SearchforHelpOn1;
    MenuItem& About1;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetViewStyle(MenuItem& item, ViewStyle style, int number);
    // The drop-down menu of the field that asked for it with Alt+Down or F4.
    void OpenFieldMenu();
    void LoadSettings();
    void SaveSettings();
    void NeedDialogs();

    std::vector<std::wstring> arguments_;
    std::wstring journalPath_;
    TForm2* batchDialog_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    TForm3* extensionList_ = nullptr;
    int viewStyleNumber_ = 0;
    int firstDirMode_ = 0;
    std::wstring firstDirectory_;
    int showCommand_ = SW_SHOWNORMAL;
    bool shown_ = false;
    HWND dropDownField_ = nullptr;  // Alt+Down pressed in it: its menu opens as Alt goes up
    // Last: its drop target is revoked before anything it reaches goes.
    FileDrop folderDrop_{Handle()};
};

}  // namespace morvane
