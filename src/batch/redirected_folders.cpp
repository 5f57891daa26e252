#include "batch/redirected_folders.h"

#include <windows.h>

#include <initializer_list>

namespace morvane {

const wchar_t kRedirectedFolderMessage[] =
    L"32ﾋﾞｯﾄ版の Morvane では、このﾌｫﾙﾀﾞの拡張子は変更できません。\n"
    L"64ﾋﾞｯﾄ版の Windows は 32ﾋﾞｯﾄのﾌﾟﾛｸﾞﾗﾑに System32 の代わりに SysWOW64 を見せるため、"
    L"ｴｸｽﾌﾟﾛｰﾗｰに表示されるものとは別のﾌｧｲﾙの名前が変わってしまいます。64ﾋﾞｯﾄ版をお使いください。";

namespace {

std::wstring Normalized(std::wstring_view path) {
    std::wstring text(path);
    while (!text.empty() && (text.back() == L'\\' || text.back() == L'/')) text.pop_back();
    for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    return text;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Whether the path is the folder or lies below it.
bool Within(const std::wstring& path, const std::wstring& folder) {
    if (path.size() < folder.size() || !SamePath(std::wstring_view(path).substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == L'\\';
}

}  // namespace

bool RedirectedFor32Bit(std::wstring_view folder, std::wstring_view windowsFolder, bool withSubFolders) {
    const std::wstring path = Normalized(folder);
    const std::wstring windows = Normalized(windowsFolder);
    if (path.empty() || windows.empty()) return false;
    for (const std::wstring& system : {windows + L"\\System32", windows + L"\\lastgood\\System32"}) {
        // Everything below the folder is taken with subfolders, System32 among it.
        if (withSubFolders && Within(system, path)) return true;
        if (!Within(path, system)) continue;
        bool exempt = false;
        for (const wchar_t* left : {L"catroot", L"catroot2", L"DriverStore", L"drivers\\etc", L"LogFiles", L"spool"})
            exempt = exempt || Within(path, system + L"\\" + left);
        if (!exempt) return true;
    }
    return false;
}

bool RedirectedHere(std::wstring_view folder, bool withSubFolders) {
#ifdef _WIN64
    (void)folder;
    (void)withSubFolders;
    return false;
#else
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return false;
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    return RedirectedFor32Bit(folder, windows, withSubFolders);
#endif
}

}  // namespace morvane
