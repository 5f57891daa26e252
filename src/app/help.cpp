#include "app/help.h"

#include <htmlhelp.h>

#include "ui/executable.h"

namespace morvane {

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The engine is loaded when help is first asked for, not at start-up, and never unloaded: its
// windows run its code for as long as they are open.
HtmlHelpFunction loadedEngine = nullptr;

HtmlHelpFunction HtmlHelpEngine() {
    static const HtmlHelpFunction engine = loadedEngine = [] {
        const HMODULE module = LoadSystemLibrary(L"hhctrl.ocx");
        return module ? reinterpret_cast<HtmlHelpFunction>(
                            reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")))
                      : nullptr;
    }();
    return engine;
}

}  // namespace

std::wstring HelpFileBesideExecutable() { return FileBesideExecutable(L"Morvane.chm"); }

HWND ShowHelpContents(HWND owner, const std::wstring& helpFile) {
    const HtmlHelpFunction engine = HtmlHelpEngine();
    return engine ? engine(owner, helpFile.c_str(), HH_DISPLAY_TOC, 0) : nullptr;
}

void CloseHelpWindows() {
    // Without help asked for, there is no engine to load just to close nothing.
    if (loadedEngine) loadedEngine(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

}  // namespace morvane
