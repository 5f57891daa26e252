// ShellDemo: the shell browsing components alone in one window. The command line may name the
// folder to open.
#include <windows.h>

#include "shellctl/demo_form.h"
#include "ui/application.h"

using namespace morvane;

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    Application& app = App();
    app.SetTitle(L"Morvane");
    std::wstring folder = commandLine ? commandLine : L"";
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') folder = folder.substr(1, folder.size() - 2);
    try {
        app.CreateForm<TShellDemoForm>(folder);
        app.Run();
    } catch (...) {
        app.HandleException();
        return 1;
    }
    return 0;
}
