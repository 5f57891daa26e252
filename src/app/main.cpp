// Morvane's entry point. Until the main window exists, it opens the batch conversion dialog on the
// folder named on the command line, with the remembered target and new extension.
#include <windows.h>

#include <string>

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

// The help file lives beside the executable.
std::wstring HelpFileBesideExecutable() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring file = path;
    return file.substr(0, file.find_last_of(L'\\') + 1) + L"Morvane.hlp";
}

std::wstring FolderFromCommandLine(const wchar_t* commandLine) {
    std::wstring folder = commandLine;
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
        folder = folder.substr(1, folder.size() - 2);
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    Application& app = App();
    app.SetTitle(L"Morvane");
    app.SetHelpFile(HelpFileBesideExecutable());
    try {
        const Settings settings(kSettingsKey);
        const std::wstring target = settings.ReadString(kSettingsSection, L"ExtFrom", kAllFilesKeyword);
        const TargetMode mode = settings.ReadBool(kSettingsSection, L"Wild", true) ? TargetMode::ByExtension
                                                                                   : TargetMode::ByWildcard;
        CommandLineOpener opener(FolderFromCommandLine(commandLine),
                                 settings.ReadString(kSettingsSection, L"ExtTo", L"AIFF"));
        app.CreateForm<TForm2>(opener).Open(target, mode);
    } catch (...) {
        app.HandleException();
        return 1;
    }
    return 0;
}
