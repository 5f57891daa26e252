#include "batch/name_collisions.h"

#include <windows.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "ui/handles.h"

namespace morvane {

namespace {

std::vector<bool> AllChecks(const MatchList& list) {
    std::vector<bool> checked(list.size());
    for (size_t i = 0; i < list.size(); ++i) checked[i] = list[i].Checked;
    return checked;
}

}  // namespace

std::wstring FolderNames::Key(std::wstring_view name) {
    std::wstring key(name);
    // Plain ASCII names, the common case, need no call into the locale tables.
    bool ascii = true;
    for (wchar_t& c : key) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    if (!ascii)
        LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, key.data(), static_cast<int>(key.size()), key.data(),
                      static_cast<int>(key.size()), nullptr, nullptr, 0);
    return key;
}

FolderNames::FolderNames(std::wstring_view folder, const MatchList& list, std::wstring_view newExtension) {
    // A new extension that would leave the folder is refused for every entry and meets nothing.
    if (folder.empty() || newExtension.find_first_of(L"\\/:") != std::wstring_view::npos) return;
    std::unordered_set<std::wstring_view> read;
    for (const MatchEntry& entry : list) {
        const std::wstring_view subFolder = SplitEntryPath(entry.Name).SubFolder;
        if (read.insert(subFolder).second) Read(folder, subFolder, newExtension);
    }
}

void FolderNames::Read(std::wstring_view folder, std::wstring_view subFolder, std::wstring_view newExtension) {
    // Every new name ends in the dot and the new extension, so only names ending so can be met; the
    // mask leaves the file system to skip the rest of a large folder.
    WIN32_FIND_DATAW found;
    const std::wstring pattern = JoinFolderPath(folder, std::wstring(subFolder) + L"*." + std::wstring(newExtension));
    UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") keys_.insert(Key(std::wstring(subFolder) + found.cFileName));
    } while (FindNextFileW(search.Get(), &found));
}

CollisionPlan::CollisionPlan(const FolderNames& folder, const MatchList& list, std::wstring_view newExtension) {
    std::unordered_map<std::wstring, std::uint32_t> numbers;
    numbers.reserve(list.size() * 2);
    const auto number = [&](std::wstring key) {
        const auto [at, added] = numbers.try_emplace(std::move(key), static_cast<std::uint32_t>(numbers.size()));
        if (added) inFolder_.push_back(folder.Keys().count(at->first) != 0);
        return at->second;
    };
    entries_.reserve(list.size());
    for (const MatchEntry& entry : list) {
        const std::uint32_t oldName = number(FolderNames::Key(entry.Name));
        const std::uint32_t newName = number(FolderNames::Key(NewEntryName(entry.Name, newExtension)));
        entries_.push_back({oldName, newName, oldName == newName});
    }
}

std::vector<bool> CollisionPlan::Collisions(const std::vector<bool>& checked) const {
    std::vector<bool> collides(entries_.size(), false);
    std::vector<bool> taken = inFolder_;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (entry.KeepsItsName) continue;
        collides[i] = taken[entry.NewName];
        // The run renames checked entries in list order: the old name frees up, the new one is taken.
        if (i < checked.size() && checked[i] && !collides[i]) {
            taken[entry.OldName] = false;
            taken[entry.NewName] = true;
        }
    }
    return collides;
}

std::vector<bool> FindNameCollisions(std::wstring_view folder, const MatchList& list,
                                     std::wstring_view newExtension) {
    return FindNameCollisions(FolderNames(folder, list, newExtension), list, newExtension);
}

std::vector<bool> FindNameCollisions(const FolderNames& folder, const MatchList& list,
                                     std::wstring_view newExtension) {
    return CollisionPlan(folder, list, newExtension).Collisions(AllChecks(list));
}

}  // namespace morvane
