#pragma once
// Which entries of a batch will keep their names because the new name is taken when their turn
// comes: by an entry already in the folder, or by the new name of a checked entry renamed before.
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "batch/engine.h"

namespace morvane {

// The names of a folder's entries (files, folders, hidden and system ones alike: each blocks a new
// name), read once, compared without regard to case as the file system compares them.
class FolderNames {
public:
    explicit FolderNames(std::wstring_view folder);
    static std::wstring Key(std::wstring_view name);
    const std::unordered_set<std::wstring>& Keys() const { return keys_; }

private:
    std::unordered_set<std::wstring> keys_;
};

// One flag per entry of the list. An unchecked entry is flagged when it would collide if it were
// checked; it never takes a name itself. A change of case only, or no change at all, is no collision.
std::vector<bool> FindNameCollisions(const FolderNames& folder, const MatchList& list,
                                     std::wstring_view newExtension);
std::vector<bool> FindNameCollisions(std::wstring_view folder, const MatchList& list,
                                     std::wstring_view newExtension);

}  // namespace morvane
