#pragma once
// One sizeable window holding the browsing components linked as the main window links them: the
// folder combo box above, the tree on the left, the file list on the right, one context menu.
#include <string>

#include "shellctl/combo_view.h"
#include "shellctl/file_view.h"
#include "shellctl/folder_view.h"
#include "shellctl/idlist.h"
#include "shellctl/shell_context_menu.h"
#include "ui/form.h"

namespace morvane {

class TShellDemoForm : public Form {
public:
    // Opens the folder of the path when one is given.
    explicit TShellDemoForm(const std::wstring& folderPath = L"");

    ShellScope Shell;  // first in, last out: every component below needs it
    TShellContextMenu ShellContextMenu1;
    TComboView ComboView1;
    TFolderView FolderView1;
    TFileView FileView1;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Arrange();
};

}  // namespace morvane
