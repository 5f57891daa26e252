#include "batch/name_collisions.h"

#include <windows.h>

#include <string>
#include <unordered_set>

#include "ui/handles.h"

namespace morvane {

namespace {

std::wstring_view BareName(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/:");
    return std::wstring_view(path).substr(separator == std::wstring::npos ? 0 : separator + 1);
}

}  // namespace

std::wstring FolderNames::Key(std::wstring_view name) {
    std::wstring key(name);
    if (!key.empty())
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                      static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

FolderNames::FolderNames(std::wstring_view folder) {
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(JoinFolderPath(folder, L"*").c_str(), &found));
    if (!search) return;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") keys_.insert(Key(name));
    } while (FindNextFileW(search.Get(), &found));
}

std::vector<bool> FindNameCollisions(std::wstring_view folder, const MatchList& list,
                                     std::wstring_view newExtension) {
    return FindNameCollisions(FolderNames(folder), list, newExtension);
}

std::vector<bool> FindNameCollisions(const FolderNames& folder, const MatchList& list,
                                     std::wstring_view newExtension) {
    std::vector<bool> collides(list.size(), false);
    std::unordered_set<std::wstring> present = folder.Keys();
    for (size_t i = 0; i < list.size(); ++i) {
        const std::wstring oldKey = FolderNames::Key(list[i].Name);
        const std::wstring newPath = NewFileName(list[i].Name, newExtension);
        const std::wstring newKey = FolderNames::Key(BareName(newPath));
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
