#pragma once
// Which entries of a batch will keep their names because the new name is taken when their turn
// comes: by an entry already in the folder, or by the new name of a checked entry renamed before.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "batch/engine.h"

namespace morvane {

// The names of the entries that a new name with this extension could meet (files, folders, hidden
// and system ones alike: each blocks a new name), in every folder that holds an entry of the list
// (the folder itself, and the subfolders of entries named by a relative path), each folder read
// once. The keys are paths relative to the folder, compared without regard to case as the file
// system compares them, so that only names of the same folder meet.
class FolderNames {
public:
    FolderNames(std::wstring_view folder, const MatchList& list, std::wstring_view newExtension);
    static std::wstring Key(std::wstring_view name);
    const std::unordered_set<std::wstring>& Keys() const { return keys_; }
    // Whether the folder holds an entry of the name in a case other than the given one's: in a
    // folder that tells case apart, another entry.
    bool HoldsInOtherCase(const std::wstring& name) const;
    const std::wstring& Folder() const { return folder_; }

private:
    void Read(std::wstring_view folder, std::wstring_view subFolder, std::wstring_view newExtension);

    std::wstring folder_;
    std::unordered_set<std::wstring> keys_;
    std::unordered_map<std::wstring, std::vector<std::wstring>> cases_;  // per key, the names as they are
};

// The collisions of one list, worked out from its names once: every name becomes a number, so that
// the marks for any choice of checks then take time linear in the entries and compare no text.
class CollisionPlan {
public:
    CollisionPlan(const FolderNames& folder, const MatchList& list, std::wstring_view newExtension);

    // One flag per entry, given the check of every entry (in list order). An unchecked entry is
    // flagged when it would collide if it were checked; it never takes a name itself. A change of
    // case only, or no change at all, is no collision, unless another entry holds the new name in
    // another case; a new name too long for a name or a path always is.
    std::vector<bool> Collisions(const std::vector<bool>& checked) const;

private:
    struct Entry {
        std::uint32_t OldName;
        std::uint32_t NewName;
        bool KeepsItsName;    // the new name is the old one, case aside
        bool CannotTakeName;  // held by another entry in another case, or too long for a name or path
    };
    std::vector<Entry> entries_;
    std::vector<bool> inFolder_;  // per name number: held by the folder before the run
};

std::vector<bool> FindNameCollisions(const FolderNames& folder, const MatchList& list,
                                     std::wstring_view newExtension);
std::vector<bool> FindNameCollisions(std::wstring_view folder, const MatchList& list,
                                     std::wstring_view newExtension);

}  // namespace morvane
