#pragma once
// The program's entry in the shell's right-click menu of folders: the verb "extention" under
// Folder\shell of the classes root, whose command starts the program on the clicked folder. A user
// who may not write the classes root gets the same keys among the user's own classes
// (HKEY_CURRENT_USER\Software\Classes). The keys themselves are the only record of it.
#include <string>
#include <string_view>

namespace morvane {

// True when the verb's key can be opened with full access in either place.
bool FolderMenuRegistered();

// Creates or overwrites the verb's caption and its command for the given executable, under the
// classes root, or under the user's own classes when the classes root refuses them. Only when both
// refuse is it reported, as "'' の設定に失敗しました" (the default value's name).
void RegisterFolderMenu(const std::wstring& exePath);

// Removes the verb and everything below it from both places; Folder\shell stays. A failure is
// silent.
void UnregisterFolderMenu();

// The command the shell runs: the executable and the clicked folder, each in double quotes, so
// that blanks in either path do not split it.
std::wstring FolderMenuCommand(std::wstring_view exePath);

}  // namespace morvane
