// Measures the real program as its user meets it. Morvane.exe is started as a process on folders
// of 10,000 and 100,000 files and of 10,000 subfolders: the time until its main window is shown,
// until it is drawn, and until every item is in its list and painted, beside the floor: a bare
// window with a tree view and a list view and the shell initialised (BareBrowser.exe, started the
// same way), plus the shell's own enumeration of the folder with each item's find data; and beside
// a second floor, the same bare window under the program's manifest showing what the program's start
// shows (BareBrowserStyled.exe, given the folder's path and item count). Then the
// program's working set with 100,000 files listed beside the same with an empty folder. Last, on
// the folder of 10,000 files, the batch dialog opened by a real click on 一括変換: the time from
// the click until the dialog shows with its list painted, beside a bare FindFirstFileW listing.
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/registry_backup.h"
#include "e2e/driver.h"
#include "e2e/morvane_windows.h"
#include "large_folders.h"

using namespace morvane::bench;
using namespace morvane::e2e;

namespace {

constexpr int kRounds = 7;
constexpr DWORD kPatienceMs = 600000;  // a program that lists slowly is measured all the same
// Under Wine a process that has just ended still costs the machine work for a moment (a bare window
// started at once takes half as long again as one started after a pause): every start waits that
// long first, as a user's start on a quiet machine does.
constexpr DWORD kQuietMs = 500;

// Polls as tightly as is decent, so that the time read is the time the state came.
bool Await(const std::function<bool()>& condition, DWORD timeoutMs = kPatienceMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= end) return false;
        Sleep(1);
    }
    return true;
}

// The shell's own enumeration of the folder, from its path, with each item's find data: what any
// program listing it has to do.
int ShellEnumeration(const std::wstring& path) {
    IShellFolder* desktop = nullptr;
    SHGetDesktopFolder(&desktop);
    std::wstring text = path;
    LPITEMIDLIST folderList = nullptr;
    IShellFolder* folder = nullptr;
    int count = 0;
    if (SUCCEEDED(desktop->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, &folderList, nullptr)) &&
        SUCCEEDED(desktop->BindToObject(folderList, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
        IEnumIDList* items = nullptr;
        if (folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &items) == S_OK) {
            LPITEMIDLIST id = nullptr;
            ULONG fetched = 0;
            while (items->Next(1, &id, &fetched) == S_OK) {
                WIN32_FIND_DATAW found{};
                SHGetDataFromIDListW(folder, id, SHGDFIL_FINDDATA, &found, sizeof found);
                CoTaskMemFree(id);
                ++count;
            }
            items->Release();
        }
        folder->Release();
    }
    CoTaskMemFree(folderList);
    desktop->Release();
    return count;
}

struct StartTimes {
    double Shown = 0;
    double Drawn = 0;
    double Listed = 0;
};

// Whether the tree has been drawn on the screen: its white background with dark lines and text on
// it (before, the screen shows there whatever lay under the window).
bool TreeDrawn(HWND tree) {
    RECT client{};
    GetClientRect(tree, &client);
    const std::vector<COLORREF> pixels = ScreenPixels(ClientToScreenRect(tree, client));
    size_t white = 0, dark = 0;
    for (const COLORREF pixel : pixels) {
        const DWORD red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        if (red == 0xFF && green == 0xFF && blue == 0xFF) ++white;
        if (red < 0x60 && green < 0x60 && blue < 0x60) ++dark;
    }
    return white * 2 > pixels.size() && dark > 20;
}

// One start of the program on the folder, closed again once everything is measured.
bool StartOnce(const std::wstring& program, const std::wstring& folder, int items, StartTimes& times,
               const std::function<void(Program&, HWND)>& whileRunning = {}) {
    Sleep(kQuietMs);
    const double start = Now();
    Program running(program, L"\"" + folder + L"\"");
    HWND form = nullptr;
    if (!Await([&] { return (form = running.Window(L"TForm1")) != nullptr; })) return false;
    times.Shown = Now() - start;
    const MainWindow window(form);
    if (!Await([&] { return TreeDrawn(window.Tree); })) return false;
    times.Drawn = Now() - start;
    if (!Await([&] { return ListCount(window.List) == items; })) return false;
    PaintNow(form);
    times.Listed = Now() - start;
    if (whileRunning) whileRunning(running, form);
    PostMessageW(form, WM_CLOSE, 0, 0);
    return running.WaitForExit(30000);
}

// The bare window started the same way, until it is shown and painted. Given the rows it is to
// show, it must show that many, or it has not shown what it stands for.
bool StartBare(const std::wstring& bare, double& seconds, const std::wstring& arguments = L"", int rows = -1) {
    Sleep(kQuietMs);
    const double start = Now();
    Program running(bare, arguments);
    HWND window = nullptr;
    if (!Await([&] { return (window = running.Window(L"MorvaneBareBrowser")) != nullptr; }, 60000)) return false;
    PaintNow(window);
    seconds = Now() - start;
    const HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    const bool shown = rows < 0 || (list && ListCount(list) == rows);
    PostMessageW(window, WM_CLOSE, 0, 0);
    return running.WaitForExit(30000) && shown;
}

// The working set of the process, in MB; 0 when it cannot be read.
double WorkingSetMB(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize / 1048576.0;
}

}  // namespace

int wmain() {
    CoInitialize(nullptr);
    // The program stores its state at every close; the user's state comes back at the end.
    const morvane::test::RegistryBackup settings(HKEY_CURRENT_USER, L"Halvik");
    const std::wstring program = PathFromThisProgram(MORVANE_PROGRAM_FROM_BENCH);
    const std::wstring bare = PathFromThisProgram(L"BareBrowser.exe");
    const std::wstring styled = PathFromThisProgram(L"BareBrowserStyled.exe");

    const BenchFolder emptyFolder(L"empty", 0);
    const LargeFolder tenThousandFolder(false, 10000);
    const LargeFolder hundredThousandFolder(false, 100000);
    const LargeFolder subfolderFolder(true, 10000);
    const std::wstring& tenThousand = tenThousandFolder.Path();

    std::printf("Morvane.exe started on a folder, from CreateProcess until its main window is shown, until it is\n"
                "drawn, and until every item is in its list and painted (medians of %d starts, the first in\n"
                "brackets), beside the floor: a bare window with tree and list view and the shell initialised\n"
                "(BareBrowser.exe, started before each start of the program, so that both meet the machine in\n"
                "the same state) plus the shell's enumeration of the folder with each item's find data (median\n"
                "of 3); last, the median and range of each start over the floor of the bare window\n"
                "of its round. Below each, the same bare window under the program's manifest showing what its\n"
                "start shows (BareBrowserStyled.exe, started just before the program: the folder's path in the\n"
                "tree, its number of rows in four columns, made-up texts): what the display costs beyond the\n"
                "bare window for the program's controls and a full list, and the program over that second\n"
                "floor (plus the enumeration). Each start waits half a second first, for the process before it\n"
                "to be gone:\n",
                kRounds);
    struct Case {
        const char* What;
        std::wstring Folder;
        int Items;
    };
    const Case cases[] = {{"10,000 files:", tenThousand, 10000},
                          {"100,000 files:", hundredThousandFolder.Path(), 100000},
                          {"10,000 folders:", subfolderFolder.Path(), 10000}};
    for (const Case& measured : cases) {
        std::vector<double> enumerations;
        int enumerated = 0;
        for (int round = 0; round < 3; ++round)
            enumerations.push_back(Seconds([&] { enumerated = ShellEnumeration(measured.Folder); }));
        std::vector<double> bareStarts(kRounds), styledStarts(kRounds);
        std::vector<StartTimes> starts(kRounds);
        const std::wstring shownFolder = L"\"" + measured.Folder + L"\" " + std::to_wstring(measured.Items);
        bool ok = true;
        for (int round = 0; round < kRounds && ok; ++round) {
            if (!StartBare(bare, bareStarts[round])) {
                std::printf("the bare window did not start\n");
                return 1;
            }
            if (!StartBare(styled, styledStarts[round], shownFolder, measured.Items)) {
                std::printf("the bare window under the program's manifest did not show the folder's rows\n");
                return 1;
            }
            ok = StartOnce(program, measured.Folder, measured.Items, starts[round]);
        }
        if (!ok) {
            std::printf("  %-16s the program did not list the folder as expected\n", measured.What);
            return 1;
        }
        std::vector<double> shown, drawn, listed;
        for (const StartTimes& times : starts) {
            shown.push_back(times.Shown);
            drawn.push_back(times.Drawn);
            listed.push_back(times.Listed);
        }
        const double floor = Median(bareStarts) + Median(enumerations);
        // Each start beside the floors of its round, started just before it: a moment when the
        // machine is slower (other work on the host) weighs on all alike.
        std::vector<double> ratios;
        for (int round = 0; round < kRounds; ++round)
            ratios.push_back(listed[round] / (bareStarts[round] + Median(enumerations)));
        std::printf("  %-16s shown %6.3f s (%6.3f), drawn %6.3f s (%6.3f), every item listed %6.3f s (%6.3f);"
                    " floor %6.3f s (bare window %6.3f s, enumeration %6.3f s, %d items): %.2f x the floor;"
                    " start by start %.2f x (%.2f to %.2f)\n",
                    measured.What, Median(shown), starts.front().Shown, Median(drawn), starts.front().Drawn,
                    Median(listed), starts.front().Listed, floor, Median(bareStarts), Median(enumerations),
                    enumerated, Median(listed) / floor, Median(ratios), *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()));
        std::vector<double> styledRatios;
        for (int round = 0; round < kRounds; ++round)
            styledRatios.push_back(listed[round] / (styledStarts[round] + Median(enumerations)));
        std::printf("    as the program shows it    %6.3f s, %+.3f s over the bare window; the program %.2f x"
                    " that window and the enumeration, start by start %.2f x (%.2f to %.2f)\n",
                    Median(styledStarts), Median(styledStarts) - Median(bareStarts),
                    Median(listed) / (Median(styledStarts) + Median(enumerations)), Median(styledRatios),
                    *std::min_element(styledRatios.begin(), styledRatios.end()),
                    *std::max_element(styledRatios.begin(), styledRatios.end()));
        std::fflush(stdout);
    }

    // The working set once the list shows everything and the program rests.
    double empty = 0, full = 0;
    StartTimes unused;
    const auto measure = [](double& megabytes) {
        return [&megabytes](Program& running, HWND form) {
            Settle(form);
            Sleep(500);
            megabytes = WorkingSetMB(running.Handle());
        };
    };
    if (StartOnce(program, emptyFolder.Path(), 0, unused, measure(empty)) &&
        StartOnce(program, hundredThousandFolder.Path(), 100000, unused, measure(full)) && empty > 0) {
        std::printf("Memory of Morvane.exe: working set %.1f MB with an empty folder, %.1f MB with 100,000 files listed:"
                    " %.0f bytes per file\n",
                    empty, full, (full - empty) * 1048576.0 / 100000);
    } else {
        std::printf("Memory of Morvane.exe could not be measured\n");
    }
    std::fflush(stdout);

    std::printf("Batch dialog on a folder of 10,000 matching files, from the click on 一括変換 until it shows with "
                "its list painted (median of %d):\n",
                kRounds);
    StartTimes bigStart;
    std::vector<double> opens;
    const bool started = StartOnce(program, tenThousand, 10000, bigStart, [&](Program& running, HWND form) {
        const MainWindow window(form);
        const POINT button = ButtonCenter(window.CommandBar, kBatchConvertButton);
        for (int round = 0; round < kRounds; ++round) {
            MoveTo(button);
            HWND dialog = nullptr;
            const double start = Now();
            PressAndRelease(button);
            if (!Await([&] { return (dialog = running.Window(L"TForm2")) != nullptr; }, 30000)) return;
            const HWND matches = Descendants(dialog, L"ListBox").at(0);
            if (!Await([&] { return ListBoxCount(matches) == 10000; }, 30000)) return;
            PaintNow(dialog);
            opens.push_back(Now() - start);
            PressKey(VK_ESCAPE);
            if (!Await([&] { return running.Window(L"TForm2") == nullptr; }, 30000)) return;
        }
    });
    if (started && opens.size() == kRounds) {
        std::printf("  dialog shown %6.3f s (first %6.3f)\n", Median(opens), opens.front());
    } else {
        std::printf("  the dialog could not be measured\n");
    }
    int found = 0;
    const double findText = Seconds([&] { found = CountByFindLoop(tenThousand, L"*.txt"); });
    std::printf("  bare listing: FindFirstFileW loop on *.txt %6.3f s (%d names)\n", findText, found);

    return 0;
}
