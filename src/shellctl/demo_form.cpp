#include "shellctl/demo_form.h"

namespace morvane {

namespace {

constexpr int kMargin = 4;
constexpr int kTreeWidth = 220;
constexpr int kSplit = 4;

}  // namespace

TShellDemoForm::TShellDemoForm(const std::wstring& folderPath)
    : Form(L"TShellDemoForm", FormStyle{}),
      ComboView1(this),
      FolderView1(this),
      FileView1(this) {
    SetCaption(L"Morvane - ShellDemo");
    SetBounds(40, 40, 860, 560);
    FileView1.SetMultiSelect(true);
    FileView1.SetViewStyle(ViewStyle::Report);
    FileView1.SetContextMenu(&ShellContextMenu1);
    FolderView1.SetContextMenu(&ShellContextMenu1);
    FolderView1.SetFileView(&FileView1);
    ComboView1.SetFolderView(&FolderView1);
    ComboView1.Loaded();
    FolderView1.Loaded();
    if (!folderPath.empty()) FolderView1.SetFolderPath(folderPath);
    Arrange();
    Loaded();
}

void TShellDemoForm::Arrange() {
    RECT client{};
    GetClientRect(Handle(), &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    ComboView1.SetBounds(kMargin, kMargin, width - 2 * kMargin, ComboView1.Height());
    const int top = ComboView1.Top() + ComboView1.Height() + kMargin;
    const int below = height - top - kMargin > 0 ? height - top - kMargin : 0;
    const int treeWidth = width / 3 < kTreeWidth ? width / 3 : kTreeWidth;
    FolderView1.SetBounds(kMargin, top, treeWidth, below);
    const int listLeft = kMargin + treeWidth + kSplit;
    FileView1.SetBounds(listLeft, top, width - listLeft - kMargin > 0 ? width - listLeft - kMargin : 0, below);
}

LRESULT TShellDemoForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) Arrange();
    return Form::WndProc(message, wParam, lParam);
}

}  // namespace morvane
