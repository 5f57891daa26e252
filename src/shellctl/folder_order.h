#pragma once
// The items of one shell folder in the folder's own order (its CompareIDs), reached with few calls
// to the folder. A folder of 100,000 files compared pair by pair takes two million calls; here the
// items as given are tried first, since a folder often lists them in its order (or, sorted once,
// in its reverse): one call per pair of neighbours proves that. Otherwise the order the shell
// gives file-system folders is guessed from each item's find data: items without find data
// (special folders), then folders, then files, by names as Windows orders them (runs of digits as
// numbers, "DSC_2" before "DSC_10", unless the NoStrCmpLogical policy asks for the plain order),
// ignoring case. One call per pair of neighbours then proves the guess; a guess the folder
// disagrees with is tried by the other rule, and only then sorted by the folder's comparisons.
#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <vector>

namespace morvane {

// The positions of the items (identifiers relative to the folder) in the folder's order,
// ascending for direction 1 and descending for -1. A comparison the folder fails counts as "in
// order", as it would in a sort by the folder's comparisons.
std::vector<size_t> FolderOrder(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items, int direction);

}  // namespace morvane
