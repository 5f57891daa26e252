// The about box and the extension list dialog alone, for screenshots and for trying them by hand.
//   DialogDemo.exe about   the about box
//   DialogDemo.exe list    the extension list of Morvane.dat beside this program; the entry picked
//                          with OK is shown in a message box
#include <windows.h>

#include <string>

#include "app/about_box.h"
#include "batch/extension_list_dialog.h"
#include "ui/application.h"

using namespace morvane;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
    Application& app = App();
    app.SetTitle(L"Morvane");
    // Created as the program creates them, hidden until shown.
    TAboutBox& about = app.CreateForm<TAboutBox>();
    TForm3& list = app.CreateForm<TForm3>();
    try {
        if (std::wstring(arguments) == L"about") {
            about.ShowModal();
        } else if (const auto picked = list.PickEntry()) {
            MessageBoxW(nullptr, (L"[" + *picked + L"]").c_str(), L"Morvane", MB_OK);
        }
    } catch (...) {
        app.HandleException();
        return 1;
    }
    return 0;
}
