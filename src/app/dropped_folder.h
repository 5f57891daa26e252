#pragma once
// The folder that items dropped on the main window open.
#include <string>
#include <vector>

namespace morvane {

// The first item when it is a folder, the folder that holds it when it is a file; empty when the
// first item is neither (gone, or not of the file system). The items after the first do not count.
std::wstring DroppedFolder(const std::vector<std::wstring>& paths);

}  // namespace morvane
