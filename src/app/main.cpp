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
    // The dialogs follow in their fixed order once the main window shows its folder and waits for
    // input, one each time the program has nothing else to do; a command that needs one before
    // makes all that are left at once.
    TForm2* batchDialog = nullptr;
    TAboutBox* aboutBox = nullptr;
    TForm3* extensionList = nullptr;
    bool making = false;  // an error box of a creation handler lets commands run meanwhile
    const auto makeNextDialog = [&] {
        if (making) return false;
        making = true;
        const struct Made {
            bool& Making;
            ~Made() { Making = false; }
        } made{making};
        if (!batchDialog)
            batchDialog = &app.CreateForm<TForm2>(main);
        else if (!aboutBox)
            aboutBox = &app.CreateForm<TAboutBox>();
        else if (!extensionList)
            extensionList = &app.CreateForm<TForm3>();
        main.SetDialogs(batchDialog, aboutBox, extensionList);
        return extensionList == nullptr;
    };
    main.OnDialogsNeeded = [&] {
        while (makeNextDialog()) {
        }
    };
    app.WhenIdle(&main, makeNextDialog);
    app.Run();
    CloseHelpWindows();
    app.DestroyForms();
    return 0;
}
