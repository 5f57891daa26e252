// BareBrowser: the floor the start of Morvane is measured against. A bare window with a tree view
// and a list view on the system image lists, the shell initialised, and nothing else: no folder is
// read, no setting, no toolbar.
//
// Given a folder's path and its number of items (BareBrowser.exe "C:\some\folder" 10000), and
// built with the program's manifest as BareBrowserStyled.exe (common controls 6 and the program's
// DPI awareness; on Windows also its visual styles, which Wine draws for both builds alike), it
// shows what the program's start shows without doing the program's work: the tree with the
// folder's path opened and selected, the list with four columns and as many rows as the folder has
// items, each row a made-up name and text. What that costs beyond the bare window is the display's
// price of the program's controls and of what they show, not the program's own work.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <cstdlib>

namespace {

int rowImage = 0;

// A row's texts, made up from its number: the list asks only for the rows it shows.
void FillRow(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (item.mask & LVIF_IMAGE) item.iImage = rowImage;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    static const wchar_t* const columns[] = {L"", L"1KB", L"txt file", L"26/12/09 18:38"};
    if (item.iSubItem == 0)
        swprintf(item.pszText, item.cchTextMax, L"f%05d.txt", item.iItem);
    else
        swprintf(item.pszText, item.cchTextMax, L"%ls", columns[item.iSubItem & 3]);
    item.pszText[item.cchTextMax - 1] = L'\0';
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
        FillRow(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int IconOf(const wchar_t* name, DWORD attributes) {
    SHFILEINFOW info{};
    SHGetFileInfoW(name, attributes, &info, sizeof info,
                   SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
    return info.iIcon;
}

// The folder's path opened in the tree, its last part selected, and the folder's rows in the list.
void ShowFolder(HWND tree, HWND list, const wchar_t* path, int items) {
    const int folderImage = IconOf(L"folder", FILE_ATTRIBUTE_DIRECTORY);
    rowImage = IconOf(L"file.txt", FILE_ATTRIBUTE_NORMAL);
    HTREEITEM parent = TVI_ROOT;
    wchar_t part[MAX_PATH] = L"Desktop";
    for (const wchar_t* rest = path;;) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = part;
        insert.item.iImage = insert.item.iSelectedImage = folderImage;
        const auto node =
            reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (parent != TVI_ROOT) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        parent = node;
        if (!*rest) break;
        const wchar_t* end = wcschr(rest, L'\\');
        const size_t length = end ? static_cast<size_t>(end - rest) : wcslen(rest);
        if (length == 0 || length >= MAX_PATH) break;
        wcsncpy(part, rest, length);
        part[length] = L'\0';
        rest = end ? end + 1 : rest + length;
    }
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(parent));
    static const struct {
        const wchar_t* Caption;
        int Width;
        int Format;
    } columns[] = {{L"名前", 120, LVCFMT_LEFT}, {L"ｻｲｽﾞ", 60, LVCFMT_RIGHT}, {L"ﾌｧｲﾙの種類", 120, LVCFMT_LEFT},
                   {L"更新日時", 120, LVCFMT_LEFT}};
    for (int column = 0; column < 4; ++column) {
        LVCOLUMNW layout{};
        layout.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        layout.pszText = const_cast<wchar_t*>(columns[column].Caption);
        layout.cx = columns[column].Width;
        layout.fmt = columns[column].Format;
        SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&layout));
    }
    SendMessageW(list, LVM_SETITEMCOUNT, items, 0);
}

HIMAGELIST SystemImages(UINT size) {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    SHFILEINFOW info{};
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(folder, 0, &info, sizeof info, SHGFI_SYSICONINDEX | size));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    OleInitialize(nullptr);
    IMalloc* malloc = nullptr;
    IShellFolder* desktop = nullptr;
    SHGetMalloc(&malloc);
    SHGetDesktopFolder(&desktop);
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"MorvaneBareBrowser";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"BareBrowser", WS_OVERLAPPEDWINDOW, 40, 40, 613,
                                        400, nullptr, nullptr, instance, nullptr);
    const HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_SHOWSELALWAYS, 0, 0,
                                      200, 340, window, nullptr, instance, nullptr);
    const HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                      WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHAREIMAGELISTS, 204, 0,
                                      390, 340, window, nullptr, instance, nullptr);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(SystemImages(SHGFI_SMALLICON)));
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(SystemImages(0)));
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(SystemImages(SHGFI_SMALLICON)));
    int arguments = 0;
    wchar_t** argument = CommandLineToArgvW(GetCommandLineW(), &arguments);
    if (argument && arguments >= 3) ShowFolder(tree, list, argument[1], _wtoi(argument[2]));
    LocalFree(argument);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (desktop) desktop->Release();
    if (malloc) malloc->Release();
    OleUninitialize();
    return 0;
}
