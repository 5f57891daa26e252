#include "app/help.h"

#include <htmlhelp.h>

#include <vector>

namespace morvane {

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

// The engine is loaded when help is first asked for, not at start-up, and never unloaded: its
// windows run its code for as long as they are open.
HtmlHelpFunction loadedEngine = nullptr;

HtmlHelpFunction HtmlHelpEngine() {
    static const HtmlHelpFunction engine = loadedEngine = [] {
        const HMODULE module = LoadLibraryW(L"hhctrl.ocx");
        return module ? reinterpret_cast<HtmlHelpFunction>(
                            reinterpret_cast<void*>(GetProcAddress(module, "HtmlHelpW")))
                      : nullptr;
    }();
    return engine;
}

}  // namespace

std::wstring HelpFileBesideExecutable() {
    std::vector<wchar_t> path(MAX_PATH);
    // A path longer than the buffer comes back cut: grow the buffer until it fits.
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"Morvane.chm";
        if (length < path.size()) {
            std::wstring file(path.data(), length);
            return file.substr(0, file.find_last_of(L'\\') + 1) + L"Morvane.chm";
        }
        path.resize(path.size() * 2);
    }
}

HWND ShowHelpContents(HWND owner, const std::wstring& helpFile) {
    const HtmlHelpFunction engine = HtmlHelpEngine();
    return engine ? engine(owner, helpFile.c_str(), HH_DISPLAY_TOC, 0) : nullptr;
}

void CloseHelpWindows() {
    // Without help asked for, there is no engine to load just to close nothing.
    if (loadedEngine) loadedEngine(nullptr, nullptr, HH_CLOSE_ALL, 0);
}

}  // namespace morvane
