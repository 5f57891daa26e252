#include "shellctl/demo_form.h"

#include "common/temp_folder.h"
#include "shellctl/shell_test_support.h"

namespace morvane {
namespace {

using test::TempFolder;

class FolderViewTest : public test::ShellTest {};

TEST_F(FolderViewTest, Debug) {
    TempFolder folder(L"_ツリー");
    folder.AddFolder(L"a");
    TShellDemoForm form;
    form.FolderView1.SetFolderPath(folder.Path());
    printf("sel %p cur %p prev %p\n", (void*)form.FolderView1.Selected(), (void*)form.FolderView1.CurrentNode(), (void*)form.FolderView1.PreviousNode());
    IDList l = test::ParsePath(folder.Path());
    form.FolderView1.BeginUpdate();
    auto n = form.FolderView1.FindNodeByIDList(l.Get());
    printf("found %p\n", (void*)n);
    form.FolderView1.EndUpdate();
    auto n2 = form.FolderView1.FindNodeByIDList(l.Get());
    printf("found %p\n", (void*)n2);
}

}  // namespace
}  // namespace morvane
