#pragma once
// Where the running program lives: the files it keeps beside itself and the command the shell
// starts it with are built from this path.
#include <windows.h>

#include <string>

namespace morvane {

// The full path of the running executable, however long it is.
inline std::wstring ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        // A full buffer means the path was cut: try again with room to spare.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// A file of the given name in the executable's folder.
inline std::wstring FileBesideExecutable(const std::wstring& name) {
    const std::wstring executable = ExecutablePath();
    return executable.substr(0, executable.find_last_of(L'\\') + 1) + name;
}

// A library of the system's own folder, never a file of the same name that sits beside the program
// (a planted hhctrl.ocx in the Downloads folder the program was started from); null without one.
inline HMODULE LoadSystemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// From here on, every library the process loads by its name alone (the system's own, loaded on a
// component's behalf) comes from the system's folder.
inline void LoadLibrariesFromTheSystemOnly() { SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32); }

}  // namespace morvane
