#pragma once
// Small steps over shell folders that every browsing component takes. Each one treats a call that
// succeeds without handing anything back as a failure, so that nobody calls through a null.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "shellctl/com_ptr.h"
#include "shellctl/idlist.h"

namespace morvane {

// Longest name or path the shell is handed: 259 characters and the terminating zero.
inline constexpr size_t kMaxShellName = MAX_PATH - 1;

// The folder of an absolute list (BindToObject of the desktop); empty on failure.
ComPtr<IShellFolder> BindToFolder(LPCITEMIDLIST absoluteList);
// The next item of an enumeration; empty at the end.
IDList NextItem(IEnumIDList* items);

// A folder's items, as its enumeration gives them.
struct FolderContents {
    // False when the folder cannot be read. A folder that answers S_FALSE has nothing to list: it
    // is readable, without an enumerator.
    bool Readable = false;
    ComPtr<IEnumIDList> Items;
    // The next item; empty at the end.
    IDList Next() const { return NextItem(Items.Get()); }
};
FolderContents EnumerateItems(IShellFolder* folder, HWND owner, SHCONTF flags);
IDList SpecialFolderList(HWND owner, int csidl);
// Those of the asked attributes that the item has.
ULONG ItemAttributes(IShellFolder* folder, LPCITEMIDLIST item, ULONG asked);
// The attributes that tell a folder to browse from an item that only looks like one.
inline constexpr ULONG kFolderAttributes = SFGAO_FOLDER | SFGAO_STREAM;
// Whether the item, with its attributes (kFolderAttributes at least asked), is a folder to browse:
// a folder on disk, or an item of the shell's with SFGAO_FOLDER that is no stream. The shell gives
// archives (.zip and .cab, on Windows 11 more) both attributes: they are files, which the tree
// leaves out and the list opens through the shell.
bool CountsAsFolder(IShellFolder* folder, LPCITEMIDLIST item, ULONG attributes);
// GetDisplayName, empty on failure.
std::wstring DisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags);

}  // namespace morvane
