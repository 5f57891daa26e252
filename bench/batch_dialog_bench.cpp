// Measures how long the batch conversion dialog takes to open on a folder of 1,000 and of 10,000
// matching files, from the call of TForm2::Open (what the batch-convert button does) until the
// dialog is on screen with its list painted, and until Open has returned after a cancel. Beside
// it, the bare ListMatchingFiles of the same folder: what the dialog costs beyond the listing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "app/settings.h"
#include "batch/batch_dialog.h"
#include "ui/application.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

constexpr int kRounds = 5;
constexpr UINT kShown = WM_APP + 1;

struct BenchOpener : BatchDialogOpener {
    std::wstring folder;
    std::wstring FolderPath() const override { return folder; }
    std::wstring NewExtension() const override { return L"bak"; }
    void Refresh() override {}
};

// A message-only window whose posted message arrives inside the dialog's modal loop, once the
// dialog has been shown; the step given to it runs then.
class Probe {
public:
    Probe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MorvaneBenchProbe";
        RegisterClassW(&wc);
        handle_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
        SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Probe() { DestroyWindow(handle_); }
    void PostOnce(std::function<void()> step) {
        step_ = std::move(step);
        PostMessageW(handle_, kShown, 0, 0);
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* probe = reinterpret_cast<Probe*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == kShown && probe && probe->step_) {
            auto step = std::move(probe->step_);
            probe->step_ = nullptr;
            step();
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND handle_ = nullptr;
    std::function<void()> step_;
};

// The dialog writes its details flag at every close: the stored value is put back afterwards.
class StoredDetails {
public:
    StoredDetails() {
        wchar_t text[64] = {};
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, kPath, L"Meisai", RRF_RT_REG_SZ, nullptr, text, &size) == ERROR_SUCCESS)
            saved_ = text;
    }
    ~StoredDetails() {
        if (saved_)
            RegSetKeyValueW(HKEY_CURRENT_USER, kPath, L"Meisai", REG_SZ, saved_->c_str(),
                            static_cast<DWORD>((saved_->size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kPath, L"Meisai");
    }

private:
    static constexpr wchar_t kPath[] = L"Halvik\\Morvane";
    std::optional<std::wstring> saved_;
};

void Measure(TForm2& dialog, BenchOpener& opener, Probe& probe, int files) {
    const BenchFolder made(std::to_wstring(files), files);
    opener.folder = made.Path();
    std::vector<double> listing, shown, total;
    double firstShown = 0, firstTotal = 0;
    int entries = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double listStart = Now();
        entries = static_cast<int>(ListMatchingFiles(opener.folder, L"*.txt").size());
        listing.push_back(Now() - listStart);

        double shownAt = 0;
        const double start = Now();
        probe.PostOnce([&] {
            // Whatever is still to be painted is painted now, so the figure includes the first look
            // of the dialog with its list.
            RedrawWindow(dialog.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            shownAt = IsWindowVisible(dialog.Handle()) ? Now() : 0;
            dialog.SetModalResult(mrCancel);
        });
        dialog.Open(L"txt", TargetMode::ByExtension);
        const double end = Now();
        if (shownAt == 0) std::printf("  (the dialog was not visible when the probe ran)\n");
        shown.push_back(shownAt - start);
        total.push_back(end - start);
        if (round == 0) firstShown = shown.back(), firstTotal = total.back();
        if (dialog.CheckListBox1.Count() != entries)
            std::printf("  (the list holds %d entries, the folder %d)\n", dialog.CheckListBox1.Count(), entries);
    }
    std::printf("%6d files: Open until shown and painted %8.1f ms (first %8.1f), Open returned %8.1f ms (first %8.1f);"
                " ListMatchingFiles %7.1f ms; ratio shown/listing %.1f\n",
                files, Median(shown) * 1e3, firstShown * 1e3, Median(total) * 1e3, firstTotal * 1e3,
                Median(listing) * 1e3, Median(shown) / Median(listing));
}

}  // namespace

int wmain() {
    App().SetTitle(L"Morvane");
    StoredDetails restore;
    BenchOpener opener;
    TForm2 dialog(opener);
    if (dialog.Details() != 1) dialog.Button3Click();  // the list in view, as a user sees it
    Probe probe;
    std::printf("batch dialog, median of %d openings each, details shown:\n", kRounds);
    Measure(dialog, opener, probe, 1000);
    Measure(dialog, opener, probe, 10000);
    return 0;
}
