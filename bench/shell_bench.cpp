// Measures TFileView::FillList on folders of 1,000 and 10,000 files against a bare loop making
// the shell calls per item that a straightforward fill makes (enumeration, attributes, name, icon,
// find data, type name; the list itself asks for icon and type name once per type of plain file),
// and counts the list's repaints during and after each fill.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "shellctl/file_view.h"
#include "shellctl/shell_folder.h"
#include "ui/application.h"
#include "ui/form.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

// The shell calls FillList makes per item, with nothing around them. With separateCalls the icon
// and the type name are asked for in two calls, as the straightforward way does.
size_t BareLoop(IShellFolder* folder, LPCITEMIDLIST folderList, bool separateCalls) {
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) != S_OK)
        return 0;
    size_t count = 0;
    LPITEMIDLIST id = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &id, &fetched) == S_OK) {
        SFGAOF attributes = SFGAO_FOLDER | SFGAO_LINK;
        LPCITEMIDLIST ids[] = {id};
        folder->GetAttributesOf(1, ids, &attributes);
        STRRET name;
        if (folder->GetDisplayNameOf(id, SHGDN_INFOLDER, &name) == S_OK && name.uType == STRRET_WSTR)
            CoTaskMemFree(name.pOleStr);
        LPITEMIDLIST absolute = ConcatIDLists(folderList, id);
        SHFILEINFOW info{};
        const auto path = reinterpret_cast<LPCWSTR>(absolute);
        if (separateCalls) {
            SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_PIDL);
            SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_TYPENAME | SHGFI_PIDL);
        } else {
            SHGetFileInfoW(path, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_PIDL);
        }
        WIN32_FIND_DATAW found{};
        SHGetDataFromIDListW(folder, id, SHGDFIL_FINDDATA, &found, sizeof found);
        ShellFree(absolute);
        ShellFree(id);
        ++count;
    }
    items->Release();
    return count;
}

int paints = 0;
WNDPROC listProc = nullptr;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++paints;
    return CallWindowProcW(listProc, window, message, wParam, lParam);
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class BenchForm : public Form {
public:
    BenchForm() : Form(L"TShellBenchForm", FormStyle{}) { SetBounds(20, 20, 800, 600); }
};

}  // namespace

int wmain() {
    const ShellScope shell;
    BenchForm form;
    TFileView list(&form, 0, 0, 780, 560);
    list.SetViewStyle(ViewStyle::Report);
    form.Show();
    listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));

    std::printf("FillList against a bare loop of the same shell calls per item (best of 5 rounds for 1,000 files,\n"
                "of 2 for 10,000: the shell of this system takes time per item that grows with the folder).\n"
                "\"two calls\": the bare loop asking for icon and type name in two calls.\n");
    std::vector<int> sizes{1000, 10000};
    if (const char* only = std::getenv("MORVANE_BENCH_FILES")) sizes = {std::atoi(only)};
    for (int files : sizes) {
        const int rounds = files > 2000 ? 2 : 5;
        const BenchFolder made(std::to_wstring(files), files, {L"txt", L"dat", L"bin"}, true);
        const std::wstring& path = made.Path();
        IDList folderList;
        std::wstring text = path;
        DesktopFolder()->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, folderList.Receive(), nullptr);
        const ComPtr<IShellFolder> folder = BindToFolder(folderList.Get());
        list.SetFolderIDList(folderList.Get());
        PumpMessages();

        std::vector<double> bare, twoCalls, fill;
        size_t bareCount = 0;
        int paintsDuring = 0, paintsAfter = 0;
        for (int round = 0; round < rounds; ++round) {
            bare.push_back(Seconds([&] { bareCount = BareLoop(folder.Get(), folderList.Get(), false); }));
            if (files <= 2000)
                twoCalls.push_back(Seconds([&] { BareLoop(folder.Get(), folderList.Get(), true); }));
            paints = 0;
            fill.push_back(Seconds([&] { list.FillList(); }));
            paintsDuring = paints;
            PumpMessages();
            paintsAfter = paints - paintsDuring;
        }
        const double b = Best(bare), f = Best(fill);
        std::printf("%6d files: bare %7.3f s (%6.0f items/s)  FillList %7.3f s (%6.0f items/s, %d items)  ratio %.2f",
                    files, b, static_cast<double>(bareCount) / b, f, list.Count() / f, list.Count(), f / b);
        if (!twoCalls.empty()) std::printf("  two calls %7.3f s", Best(twoCalls));
        std::printf("  WM_PAINT during fill %d, after %d\n", paintsDuring, paintsAfter);
        std::fflush(stdout);
        list.Clear();
    }
    SetWindowLongPtrW(list.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
    return 0;
}
