// Morvane's entry point. Until the main window exists, it opens the batch conversion dialog on the
// folder named on the command line, with the remembered target and new extension.
#include <windows.h>

#include <string>

#include "app/command_line.h"
#include "app/help.h"
#include "app/settings.h"
#include "batch/batch_dialog.h"
#include "ui/application.h"
#include "ui/error.h"

using namespace morvane;

namespace {

// Stands in for the main window: the folder comes from the command line, the new extension from
// the settings.
class CommandLineOpener : public BatchDialogOpener {
public:
    CommandLineOpener(std::wstring folder, std::wstring newExtension)
        : folder_(std::move(folder)), newExtension_(std::move(newExtension)) {}
    std::wstring FolderPath() const override { return folder_; }
    std::wstring NewExtension() const override { return newExtension_; }
    void Refresh() override {}

private:
    std::wstring folder_;
    std::wstring newExtension_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Application& app = App();
    app.SetTitle(L"Morvane");
    app.SetHelpFile(HelpFileBesideExecutable());
    try {
        const Settings settings(kSettingsKey);
        const std::wstring target = settings.ReadString(kSettingsSection, L"ExtFrom", kAllFilesKeyword);
        const TargetMode mode = settings.ReadBool(kSettingsSection, L"Wild", true) ? TargetMode::ByExtension
                                                                                   : TargetMode::ByWildcard;
        CommandLineOpener opener(CommandLineFolder(ProgramArguments(GetCommandLineW())),
                                 settings.ReadString(kSettingsSection, L"ExtTo", L"AIFF"));
        app.CreateForm<TForm2>(opener).Open(target, mode);
    } catch (...) {
        app.HandleException();
        return 1;
    }
    return 0;
}
