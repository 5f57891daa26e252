#pragma once
// The 32-bit program on 64-bit Windows sees C:\Windows\SysWOW64 where it names C:\Windows\System32
// (the system redirects the file calls of 32-bit programs there), so a batch or an undo there
// would rename other files than Explorer shows in that folder. Such folders are refused in the
// 32-bit build; the 64-bit build sees every folder as it is.
#include <string>
#include <string_view>

namespace morvane {

// Whether the folder, or with subfolders anything below it, is a folder the system redirects for
// 32-bit programs, given the Windows folder: System32 and what lies below it (except the folders
// Windows leaves alone: catroot, catroot2, DriverStore, drivers\etc, LogFiles, spool) and
// lastgood\System32. Case and a trailing backslash do not matter.
bool RedirectedFor32Bit(std::wstring_view folder, std::wstring_view windowsFolder, bool withSubFolders);

// Whether this process is a 32-bit one on 64-bit Windows and the folder is redirected for it.
bool RedirectedHere(std::wstring_view folder, bool withSubFolders);

// What the 32-bit build says when it refuses such a folder.
extern const wchar_t kRedirectedFolderMessage[];

}  // namespace morvane
