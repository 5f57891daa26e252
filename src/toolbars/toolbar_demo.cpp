// ToolbarDemo: the main window's toolbar area alone, as the main window will show it. A line
// under the dock tells which button or menu item was used last. With /drag on the command line
// the dock allows dragging, so the toolbars show their drag handles.
#include <windows.h>

#include <string>

#include "toolbars/main_toolbars.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/graphic_controls.h"

using namespace morvane;

namespace {

class TToolbarDemo : public Form {
public:
    explicit TToolbarDemo(bool dragHandles)
        : Form(L"TToolbarDemo", FormStyle{}), Toolbars(*this), Status(this, 8, 60, L"") {
        Toolbars.FlatDock1.SetAllowDrag(dragHandles);
        SetCaption(L"Morvane");
        SetBounds(74, 132, 0, 0);
        SetClientSize(605, 290);
        Toolbars.Edit1.SetText(L"txt");
        Toolbars.Edit2.SetText(L"bak");

        Toolbars.FlatButton7.OnClick = [this] { Report(L"一括変換"); };
        // Closing is posted, so the button has finished its click before its window goes.
        Toolbars.FlatButton6.OnClick = [this] { PostMessageW(Handle(), WM_CLOSE, 0, 0); };
        for (MenuItem* item : {&Toolbars.N2, &Toolbars.K1, &Toolbars.N9, &Toolbars.N8, &Toolbars.K4, &Toolbars.K15,
                               &Toolbars.SearchforHelpOn1, &Toolbars.About1})
            item->OnClick = [this, item] { Report(item->Caption()); };
        for (MenuItem* item : {&Toolbars.K9, &Toolbars.K10, &Toolbars.K5, &Toolbars.K6, &Toolbars.K7, &Toolbars.K8,
                               &Toolbars.K13, &Toolbars.K14})
            item->OnClick = [this, item] {
                item->SetChecked(true);
                Report(item->Caption());
            };
        for (MenuItem* item : {&Toolbars.IncludeSubFolders, &Toolbars.K16})
            item->OnClick = [this, item] {
                item->SetChecked(!item->Checked());
                Report(item->Caption());
            };
        Toolbars.K1.OnClick = [this] {
            Toolbars.Edit1.SetText(L"すべて");
            Report(Toolbars.K1.Caption());
        };
        Loaded();
    }

    MainToolbars Toolbars;
    Label Status;

private:
    void Report(const std::wstring& what) { Status.SetCaption(L"選択: " + what); }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    Application& app = App();
    app.SetTitle(L"Morvane");
    try {
        app.CreateForm<TToolbarDemo>(std::wstring(commandLine).find(L"/drag") != std::wstring::npos);
        app.Run();
    } catch (...) {
        app.HandleException();
        return 1;
    }
    return 0;
}
