#pragma once
// The program's help: an HTML Help file beside the executable, shown by the platform's help engine.
#include <windows.h>

#include <string>

namespace morvane {

// "Morvane.chm" in the folder of the running executable.
std::wstring HelpFileBesideExecutable();

// Opens the help file's contents window through the HTML Help engine, owned by the given window.
// Returns the help window, or null when the engine is not installed or could not open the file.
// A missing or unreadable file is the engine's to report, in its own words.
HWND ShowHelpContents(HWND owner, const std::wstring& helpFile);

// Closes every help window the program opened. Call it before the program ends: the engine stays
// loaded until the process goes, and its windows must not outlive the program's own.
void CloseHelpWindows();

}  // namespace morvane
