#include "batch/name_collisions.h"

#include <windows.h>

#include <string>
#include <unordered_set>

#include "ui/handles.h"

namespace morvane {

namespace {

// File names compare without regard to case, as the file system does.
std::wstring NameKey(std::wstring_view name) {
    std::wstring key(name);
    if (!key.empty())
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()),
                      key.data(), static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

// Every name in the folder: files, folders, hidden and system entries alike all block a new name.
std::unordered_set<std::wstring> NamesIn(std::wstring_view folder) {
    std::unordered_set<std::wstring> names;
    if (folder.empty()) return names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(JoinFolderPath(folder, L"*").c_str(), &found));
    if (!search) return names;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") names.insert(NameKey(name));
    } while (FindNextFileW(search.Get(), &found));
    return names;
}

std::wstring_view BareName(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return std::wstring_view(path).substr(separator == std::wstring::npos ? 0 : separator + 1);
}

}  // namespace

std::vector<bool> FindNameCollisions(std::wstring_view folder, const MatchList& list,
                                     std::wstring_view newExtension) {
    std::vector<bool> collides(list.size(), false);
    std::unordered_set<std::wstring> present = NamesIn(folder);
    for (size_t i = 0; i < list.size(); ++i) {
        const std::wstring oldKey = NameKey(list[i].Name);
        const std::wstring newPath = NewFileName(list[i].Name, newExtension);
        const std::wstring newKey = NameKey(BareName(newPath));
        if (newKey == oldKey) continue;
        collides[i] = present.count(newKey) != 0;
        // The run renames checked entries in list order: the old name frees up, the new one is taken.
        if (list[i].Checked && !collides[i]) {
            present.erase(oldKey);
            present.insert(newKey);
        }
    }
    return collides;
}

}  // namespace morvane
