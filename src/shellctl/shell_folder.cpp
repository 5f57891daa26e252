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

FolderContents EnumerateItems(IShellFolder* folder, HWND owner, SHCONTF flags) {
    FolderContents result;
    if (!folder) return result;
    const HRESULT answer = folder->EnumObjects(owner, flags, result.Items.Receive());
    // S_FALSE is an empty folder, whatever came with it; S_OK without an enumerator is a failure.
    result.Readable = answer == S_FALSE || (answer == S_OK && result.Items);
    if (answer != S_OK) result.Items.Reset();
    return result;
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

bool CountsAsFolder(IShellFolder* folder, LPCITEMIDLIST item, ULONG attributes) {
    if (!(attributes & SFGAO_STREAM)) return (attributes & SFGAO_FOLDER) != 0;
    WIN32_FIND_DATAW found{};
    return folder && SUCCEEDED(SHGetDataFromIDListW(folder, item, SHGDFIL_FINDDATA, &found, sizeof found)) &&
           (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring DisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags) {
    std::wstring name;
    GetDisplayName(folder, list, flags, name);
    return name;
}

}  // namespace morvane
