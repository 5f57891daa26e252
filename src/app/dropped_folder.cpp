#include "app/dropped_folder.h"

#include <windows.h>

namespace morvane {

std::wstring DroppedFolder(const std::vector<std::wstring>& paths) {
    if (paths.empty() || paths.front().empty()) return {};
    const std::wstring& path = paths.front();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return path;
    const size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return {};
    std::wstring folder = path.substr(0, separator);
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';  // a file at the top of a drive
    return folder;
}

}  // namespace morvane
