// Morvane's entry point. Until the windows of the program exist, it shows what a batch over the
// folder named on the command line would do with the remembered target and new extension; it
// renames nothing.
#include <windows.h>

#include <string>

#include "app/settings.h"
#include "batch/engine.h"
#include "ui/error.h"

using namespace morvane;

namespace {

std::wstring FolderFromCommandLine(const wchar_t* commandLine) {
    std::wstring folder = commandLine;
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"')
        folder = folder.substr(1, folder.size() - 2);
    return folder;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    try {
        const Settings settings(kSettingsKey);
        const std::wstring target = settings.ReadString(kSettingsSection, L"ExtFrom", kAllFilesKeyword);
        const std::wstring newExtension = settings.ReadString(kSettingsSection, L"ExtTo", L"AIFF");
        const TargetMode mode = settings.ReadBool(kSettingsSection, L"Wild", true)
                                    ? TargetMode::ByExtension
                                    : TargetMode::ByWildcard;
        const std::wstring folder = FolderFromCommandLine(commandLine);
        const MatchList matches = ListMatchingFiles(folder, BuildSearchMask(target, mode));

        std::wstring text = folder + L"\n\n拡張子変更　[" + target + L"] → [" + newExtension + L"]\n" +
                            std::to_wstring(matches.size()) + L"個のファイルの拡張子を変更します。\n";
        for (const MatchEntry& match : matches) text += L"\n" + match.Name;
        MessageBoxW(nullptr, text.c_str(), L"Morvane", MB_OK | MB_ICONINFORMATION);
    } catch (const Error& error) {
        MessageBoxW(nullptr, error.Message().c_str(), L"Morvane", MB_OK | MB_ICONERROR);
        return 1;
    }
    return 0;
}
