// Measures the shell browsing components in process, each beside the shell's own enumeration of
// the same folder with each item's find data (what any listing has to do): TFileView::FillList on
// folders of 10,000 and 100,000 files, with the list painted afterwards and its repaints counted;
// a sort by each column of the 100,000 items, both ways; and the folder tree expanding a folder of
// 10,000 subfolders, with the nodes shown painted afterwards, also beside a bare tree view taking
// and expanding 10,000 named nodes (the part of the work that is the control's own).
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "large_folders.h"
#include "shellctl/file_view.h"
#include "shellctl/folder_view.h"
#include "shellctl/shell_folder.h"
#include "ui/application.h"
#include "ui/tree_view.h"
#include "ui/form.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

// The shell's enumeration of a folder with each item's find data, from its bound folder.
size_t Enumeration(IShellFolder* folder, SHCONTF kinds) {
    IEnumIDList* items = nullptr;
    if (folder->EnumObjects(nullptr, kinds, &items) != S_OK) return 0;
    size_t count = 0;
    LPITEMIDLIST id = nullptr;
    ULONG fetched = 0;
    while (items->Next(1, &id, &fetched) == S_OK) {
        WIN32_FIND_DATAW found{};
        SHGetDataFromIDListW(folder, id, SHGDFIL_FINDDATA, &found, sizeof found);
        CoTaskMemFree(id);
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

IDList ParsePath(const std::wstring& path) {
    IDList list;
    std::wstring text = path;
    DesktopFolder()->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.Receive(), nullptr);
    return list;
}

}  // namespace

int wmain() {
    const ShellScope shell;
    BenchForm form;
    TFileView list(&form, 0, 0, 780, 560);
    list.SetViewStyle(ViewStyle::Report);
    form.Show();
    listProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(list.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));

    std::printf("FillList beside the shell's enumeration of the folder with each item's find data (medians of 5\n"
                "rounds for 10,000 files, of 3 for 100,000; the best in brackets), then the list painted:\n");
    const LargeFolder tenThousand(false, 10000), hundredThousand(false, 100000);
    for (const LargeFolder* folderMade : {&tenThousand, &hundredThousand}) {
        const int rounds = folderMade == &tenThousand ? 5 : 3;
        const IDList folderList = ParsePath(folderMade->Path());
        const ComPtr<IShellFolder> folder = BindToFolder(folderList.Get());
        list.SetFolderIDList(folderList.Get());
        PumpMessages();

        std::vector<double> bare, fill, paint;
        size_t bareCount = 0;
        int paintsDuring = 0, paintsAfter = 0;
        for (int round = 0; round < rounds; ++round) {
            bare.push_back(Seconds([&] {
                bareCount = Enumeration(folder.Get(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
            }));
            paints = 0;
            fill.push_back(Seconds([&] { list.FillList(); }));
            paintsDuring = paints;
            paint.push_back(Seconds([&] { UpdateWindow(list.Handle()); }));
            PumpMessages();
            paintsAfter = paints - paintsDuring;
        }
        std::printf("  %6d files: enumeration %6.3f s (%6.3f, %zu items)  FillList %6.3f s (%6.3f, %d items)  ratio %.2f"
                    "  painted in %6.3f s  WM_PAINT during fill %d, after %d\n",
                    list.Count(), Median(bare), Best(bare), bareCount, Median(fill), Best(fill), list.Count(),
                    Median(fill) / Median(bare), Median(paint), paintsDuring, paintsAfter);
        std::fflush(stdout);
    }

    std::printf("Sorting the 100,000 files by each column as a click on its header does (the first click after a\n"
                "fill sorts descending, the second ascending), each with the list painted afterwards:\n");
    const char* columns[] = {"name", "size", "type", "date"};
    for (int column = 0; column < 4; ++column) {
        const double descending = Seconds([&] {
            list.SortByColumn(column);
            UpdateWindow(list.Handle());
        });
        const double ascending = Seconds([&] {
            list.SortByColumn(column);
            UpdateWindow(list.Handle());
        });
        std::printf("  by %-4s %6.3f s descending, %6.3f s ascending\n", columns[column], descending, ascending);
        std::fflush(stdout);
    }

    std::printf("Switching the view of the 100,000 files from the report to each other style and back, each\n"
                "painted; the list and small-icon styles size their columns by the widest caption:\n");
    struct Switch {
        const char* Name;
        ViewStyle Style;
    };
    for (const Switch& view : {Switch{"list", ViewStyle::List}, Switch{"small icons", ViewStyle::SmallIcon},
                               Switch{"list again", ViewStyle::List}, Switch{"large icons", ViewStyle::Icon}}) {
        const double to = Seconds([&] {
            list.SetViewStyle(view.Style);
            UpdateWindow(list.Handle());
        });
        const double back = Seconds([&] {
            list.SetViewStyle(ViewStyle::Report);
            UpdateWindow(list.Handle());
        });
        std::printf("  %-12s %7.3f s, back to the report %6.3f s\n", view.Name, to, back);
        std::fflush(stdout);
    }
    SetWindowLongPtrW(list.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
    list.Clear();

    std::printf("The folder tree expanding a folder of 10,000 subfolders, beside the shell's enumeration of them\n"
                "with each one's find data and a bare tree view taking and expanding 10,000 named nodes (medians\n"
                "of 3), then the nodes shown painted:\n");
    const LargeFolder subfolders(true, 10000);
    std::vector<double> bareTree;
    for (int round = 0; round < 3; ++round) {
        TreeView control(&form, 0, 0, 300, 560);
        const TreeView::Node root = control.Add(nullptr, {L"root", 0, 0, 0, true});
        bareTree.push_back(Seconds([&] {
            for (int i = 0; i < 10000; ++i) {
                wchar_t name[16];
                swprintf(name, 16, L"d%05d", i);
                control.Add(root, {name, 0, 0, 0, true});
            }
            control.Expand(root);
        }));
    }
    TFolderView tree(&form, 0, 0, 300, 560);
    {
        const IDList folderList = ParsePath(subfolders.Path());
        const ComPtr<IShellFolder> folder = BindToFolder(folderList.Get());
        std::vector<double> bare, expand, paint;
        size_t bareCount = 0;
        int nodes = 0;
        for (int round = 0; round < 3; ++round) {
            bare.push_back(Seconds([&] { bareCount = Enumeration(folder.Get(), SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN); }));
            tree.InitRoot();  // every node filled anew
            tree.SetFolderPath(subfolders.Path());
            const TreeView::Node node = tree.Selected();
            UpdateWindow(tree.Handle());
            expand.push_back(Seconds([&] { tree.ExpandNode(node); }));
            paint.push_back(Seconds([&] { UpdateWindow(tree.Handle()); }));
            nodes = tree.ChildCount(node);
            PumpMessages();
        }
        const double floor = Median(bare) + Median(bareTree);
        std::printf("  enumeration %6.3f s (%zu folders), bare tree view %6.3f s  expanded %6.3f s (%d nodes)  ratio %.2f"
                    " to the enumeration, %.2f to both  painted in %6.3f s\n",
                    Median(bare), bareCount, Median(bareTree), Median(expand), nodes, Median(expand) / Median(bare),
                    Median(expand) / floor, Median(paint));
    }
    return 0;
}
