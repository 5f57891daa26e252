// Measures the real program as its user meets it. Morvane.exe is started as a process on a folder
// of 1,000 files: the time until its main window is shown, until it is drawn, and until every file
// is listed and painted. On a folder of 10,000 matching files, the batch dialog is opened by a real click on
// 一括変換: the time from the click until the dialog shows with its list painted. Beside them, the
// bare listing of the same folders (a FindFirstFileW loop; for the file list also the shell calls
// it makes per item, with nothing around them) and the program started on an empty folder.
#include <windows.h>
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

using namespace morvane::bench;
using namespace morvane::e2e;

namespace {

constexpr int kRounds = 5;
constexpr DWORD kPatienceMs = 600000;  // Wine's shell is slow on large folders

// Polls as tightly as is decent, so that the time read is the time the state came.
bool Await(const std::function<bool()>& condition, DWORD timeoutMs = kPatienceMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!condition()) {
        if (GetTickCount64() >= end) return false;
        Sleep(1);
    }
    return true;
}

int FindLoop(const std::wstring& folder, const wchar_t* mask) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\" + mask).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// The shell calls the file list makes per item (enumeration, attributes, name, icon and type
// name, find data), one after the other with nothing around them.
int ShellLoop(const std::wstring& path) {
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
                SFGAOF attributes = SFGAO_FOLDER | SFGAO_LINK;
                LPCITEMIDLIST ids[] = {id};
                folder->GetAttributesOf(1, ids, &attributes);
                STRRET name;
                if (folder->GetDisplayNameOf(id, SHGDN_INFOLDER, &name) == S_OK && name.uType == STRRET_WSTR)
                    CoTaskMemFree(name.pOleStr);
                LPITEMIDLIST absolute = ILCombine(folderList, id);
                SHFILEINFOW info{};
                SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info,
                               SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_PIDL);
                WIN32_FIND_DATAW found{};
                SHGetDataFromIDListW(folder, id, SHGDFIL_FINDDATA, &found, sizeof found);
                ILFree(absolute);
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

void PrintStarts(const char* what, const std::vector<StartTimes>& starts, bool listed) {
    std::vector<double> shown, drawn, done;
    for (const StartTimes& times : starts) {
        shown.push_back(times.Shown);
        drawn.push_back(times.Drawn);
        done.push_back(times.Listed);
    }
    std::printf("  %-14s window shown %6.3f s (first %6.3f), drawn %6.3f s (%6.3f)", what, Median(shown),
                starts.front().Shown, Median(drawn), starts.front().Drawn);
    if (listed) std::printf(", every file listed %6.3f s (%6.3f)", Median(done), starts.front().Listed);
    std::printf("\n");
}

}  // namespace

int wmain() {
    CoInitialize(nullptr);
    // The program stores its state at every close; the user's state comes back at the end.
    const morvane::test::RegistryBackup settings(HKEY_CURRENT_USER, L"Halvik");
    const std::wstring program = PathFromThisProgram(MORVANE_PROGRAM_FROM_BENCH);

    const BenchFolder emptyFolder(L"empty", 0);
    const BenchFolder thousandFolder(L"1000", 1000, {L"txt", L"dat", L"bin"}, true);
    const BenchFolder tenThousandFolder(L"10000", 10000, {L"txt"}, true);
    const std::wstring& empty = emptyFolder.Path();
    const std::wstring& thousand = thousandFolder.Path();
    const std::wstring& tenThousand = tenThousandFolder.Path();

    std::printf("Morvane.exe started on a folder, from CreateProcess until its main window is shown, until it is\n"
                "drawn, and until every file is listed and painted (median of %d starts, the first in brackets):\n",
                kRounds);
    std::vector<StartTimes> emptyStarts(kRounds), thousandStarts(kRounds);
    bool ok = true;
    for (int round = 0; round < kRounds && ok; ++round)
        ok = StartOnce(program, empty, 0, emptyStarts[round]) && StartOnce(program, thousand, 1000, thousandStarts[round]);
    if (!ok) {
        std::printf("  the program did not start as expected\n");
    } else {
        PrintStarts("empty folder:", emptyStarts, false);
        PrintStarts("1,000 files:", thousandStarts, true);
    }
    int found = 0, listed = 0;
    const double find = Seconds([&] { found = FindLoop(thousand, L"*"); });
    const double shell = Seconds([&] { listed = ShellLoop(thousand); });
    std::printf("  bare listing of the 1,000 files: FindFirstFileW loop %6.3f s (%d names), the file list's shell "
                "calls per item %6.3f s (%d items)\n",
                find, found, shell, listed);

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
    const double findText = Seconds([&] { found = FindLoop(tenThousand, L"*.txt"); });
    std::printf("  bare listing: FindFirstFileW loop on *.txt %6.3f s (%d names)\n", findText, found);
    if (started)
        std::printf("  (the program started on these 10,000 files showed its window after %.3f s and had them listed "
                    "after %.3f s)\n",
                    bigStart.Shown, bigStart.Listed);

    return 0;
}
