#include "batch/name_collisions.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "batch/file_names.h"
#include "ui/handles.h"

namespace morvane {

namespace {

std::vector<bool> AllChecks(const MatchList& list) {
    std::vector<bool> checked(list.size());
    for (size_t i = 0; i < list.size(); ++i) checked[i] = list[i].Checked;
    return checked;
}

}  // namespace

std::wstring FolderNames::Key(std::wstring_view name) { return UpperCaseName(name); }

FolderNames::FolderNames(std::wstring_view folder, const MatchList& list, std::wstring_view newExtension)
    : folder_(folder) {
    // A new extension that can never work is refused for every entry and meets nothing.
    if (folder.empty() || CheckNewExtension(newExtension) != ExtensionFault::None) return;
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
        if (name == L"." || name == L"..") continue;
        std::wstring path = std::wstring(subFolder) + found.cFileName;
        std::wstring key = Key(path);
        keys_.insert(key);
        cases_[std::move(key)].push_back(std::move(path));
    } while (FindNextFileW(search.Get(), &found));
}

bool FolderNames::HoldsInOtherCase(const std::wstring& name) const {
    const auto found = cases_.find(Key(name));
    if (found == cases_.end()) return false;
    return std::any_of(found->second.begin(), found->second.end(),
                       [&](const std::wstring& held) { return held != name; });
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
        const std::wstring newEntryName = NewEntryName(entry.Name, newExtension);
        const std::uint32_t oldName = number(FolderNames::Key(entry.Name));
        const std::uint32_t newName = number(FolderNames::Key(newEntryName));
        // A name that differs only in case can still be taken by another entry, in a folder that
        // tells case apart.
        // Another entry of the name in any other case than the file's own.
        const bool takenInOtherCase = oldName == newName && newEntryName != entry.Name &&
                                      folder.HoldsInOtherCase(entry.Name);
        const bool keepsItsName = oldName == newName && !takenInOtherCase;
        const bool cannotTake = takenInOtherCase || !NewEntryNameFits(folder.Folder(), newEntryName);
        entries_.push_back({oldName, newName, keepsItsName, cannotTake});
    }
}

std::vector<bool> CollisionPlan::Collisions(const std::vector<bool>& checked) const {
    std::vector<bool> collides(entries_.size(), false);
    std::vector<bool> taken = inFolder_;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        if (entry.KeepsItsName) continue;
        collides[i] = entry.CannotTakeName || taken[entry.NewName];
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
