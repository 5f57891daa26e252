// Morvane's entry point: the four windows in their fixed order, then the message loop until the
// main window closes.
#include <windows.h>

#include "app/about_box.h"
#include "app/command_line.h"
#include "app/help.h"
#include "app/main_form.h"
#include "batch/batch_dialog.h"
#include "batch/extension_list_dialog.h"
#include "ui/application.h"
#include "ui/executable.h"

using namespace morvane;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before anything loads a library on the program's behalf: none comes from the folder the
    // program was started from.
    LoadLibrariesFromTheSystemOnly();
    Application& app = App();
    app.SetTitle(L"Morvane");
    app.SetHelpFile(HelpFileBesideExecutable());
    // Each window is created whatever its creation handler met (the error box has told the user).
    TForm1& main = app.CreateForm<TForm1>(ProgramArguments(GetCommandLineW()));
    TForm2& batchDialog = app.CreateForm<TForm2>(main);
    TAboutBox& aboutBox = app.CreateForm<TAboutBox>();
    TForm3& extensionList = app.CreateForm<TForm3>();
    main.SetDialogs(&batchDialog, &aboutBox, &extensionList);
    app.Run();
    CloseHelpWindows();
    app.DestroyForms();
    return 0;
}
