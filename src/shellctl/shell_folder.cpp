#include "shellctl/shell_folder.h"

namespace morvane {

ComPtr<IShellFolder> BindToFolder(LPCITEMIDLIST absoluteList) {
    ComPtr<IShellFolder> folder;
    IShellFolder* desktop = DesktopFolder();
    if (!desktop || !absoluteList) return folder;
    if (FAILED(desktop->BindToObject(absoluteList, nullptr, IID_IShellFolder, folder.ReceiveVoid())))
        folder.Reset();
    return folder;
}

ComPtr<IEnumIDList> EnumerateItems(IShellFolder* folder, HWND owner, SHCONTF flags) {
    ComPtr<IEnumIDList> items;
    if (!folder) return items;
    // S_FALSE with no enumerator means nothing to list; either way the caller gets an empty one.
    if (folder->EnumObjects(owner, flags, items.Receive()) != S_OK) items.Reset();
    return items;
}

IDList NextItem(IEnumIDList* items) {
    IDList item;
    if (!items) return item;
    ULONG fetched = 0;
    LPITEMIDLIST received = nullptr;
    if (items->Next(1, &received, &fetched) == S_OK && fetched == 1) item.Reset(received);
    else ShellFree(received);
    return item;
}

IDList SpecialFolderList(HWND owner, int csidl) {
    IDList list;
    SHGetSpecialFolderLocation(owner, csidl, list.Receive());
    return list;
}

ULONG ItemAttributes(IShellFolder* folder, LPCITEMIDLIST item, ULONG asked) {
    if (!folder || !item) return 0;
    SFGAOF attributes = asked;
    LPCITEMIDLIST items[] = {item};
    if (FAILED(folder->GetAttributesOf(1, items, &attributes))) return 0;
    return attributes & asked;
}

std::wstring DisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags) {
    std::wstring name;
    GetDisplayName(folder, list, flags, name);
    return name;
}

}  // namespace morvane
