#pragma once
// Which entries of a batch will keep their names because the new name is taken when their turn
// comes: by an entry already in the folder, or by the new name of a checked entry renamed before.
#include <string_view>
#include <vector>

#include "batch/engine.h"

namespace morvane {

// One flag per entry of the list. An unchecked entry is flagged when it would collide if it were
// checked; it never takes a name itself. A change of case only, or no change at all, is no collision.
std::vector<bool> FindNameCollisions(std::wstring_view folder, const MatchList& list,
                                     std::wstring_view newExtension);

}  // namespace morvane
