// Measures the folder order (the order TFileView and TFolderView put items in) on 100,000 files
// named with unpadded numbers ("f0.txt" ... "f99999.txt") beside the same count padded
// ("f00000.txt" ...), both given in one shuffled order, in a folder whose CompareIDs orders as
// Windows' file-system folders do (runs of digits as numbers, StrCmpLogicalW). Beside each: the
// bare calls every guess stands on (each item's find data), the folder's comparisons made, and for
// the unpadded names a sort by the folder's comparisons alone, which is what a guess by the plain
// linguistic order fell back to. Medians of 3 rounds.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench_support.h"
#include "shellctl/folder_order.h"
#include "shellctl/idlist.h"
#include "shellctl/shell_folder.h"

using namespace morvane;
using namespace morvane::bench;

namespace {

// A file-system folder whose comparisons are Windows' own rule for names. It reads the names of
// the items it is asked about from a table made beforehand, as Windows reads them from the
// identifiers themselves: the folder's own cost is not what is measured.
class LogicalFolder : public IShellFolder {
public:
    LogicalFolder(IShellFolder* inner, const std::vector<LPCITEMIDLIST>& items) : inner_(inner) {
        for (LPCITEMIDLIST item : items) {
            WIN32_FIND_DATAW found{};
            SHGetDataFromIDListW(inner, item, SHGDFIL_FINDDATA, &found, sizeof found);
            names_[item] = found.cFileName;
        }
    }
    long long Calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = (iid == IID_IUnknown || iid == IID_IShellFolder) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
        ++Calls;
        const int order = StrCmpLogicalW(names_[a].c_str(), names_[b].c_str());
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order < 0 ? -1 : order > 0)));
    }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND w, IBindCtx* c, LPWSTR n, ULONG* e, PIDLIST_RELATIVE* l,
                                               ULONG* a) override {
        return inner_->ParseDisplayName(w, c, n, e, l, a);
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND w, SHCONTF f, IEnumIDList** e) override {
        return inner_->EnumObjects(w, f, e);
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE l, IBindCtx* c, REFIID i, void** o) override {
        return inner_->BindToObject(l, c, i, o);
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE l, IBindCtx* c, REFIID i, void** o) override {
        return inner_->BindToStorage(l, c, i, o);
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND w, REFIID i, void** o) override {
        return inner_->CreateViewObject(w, i, o);
    }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT n, PCUITEMID_CHILD_ARRAY l, SFGAOF* a) override {
        return inner_->GetAttributesOf(n, l, a);
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND w, UINT n, PCUITEMID_CHILD_ARRAY l, REFIID i, UINT* r,
                                            void** o) override {
        return inner_->GetUIObjectOf(w, n, l, i, r, o);
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD l, SHGDNF f, STRRET* n) override {
        return inner_->GetDisplayNameOf(l, f, n);
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND w, PCUITEMID_CHILD l, LPCWSTR n, SHGDNF f, PITEMID_CHILD* o) override {
        return inner_->SetNameOf(w, l, n, f, o);
    }

private:
    IShellFolder* inner_;
    std::unordered_map<LPCITEMIDLIST, std::wstring> names_;
};

// A folder of empty files with the names, made under the temporary folder (or the one
// tools/bench.sh made from Linux) and removed afterwards if made here.
class NamedFolder {
public:
    NamedFolder(const std::wstring& made, const std::wstring& name, int count, bool padded) {
        if (!made.empty() && GetFileAttributesW(made.c_str()) != INVALID_FILE_ATTRIBUTES) {
            path_ = made;
            return;
        }
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"morvane-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        CreateDirectoryW(path_.c_str(), nullptr);
        owned_ = true;
        for (int i = 0; i < count; ++i) {
            wchar_t file[32];
            swprintf(file, 32, padded ? L"\\f%05d.txt" : L"\\f%d.txt", i);
            CloseHandle(CreateFileW((path_ + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        }
    }
    ~NamedFolder() {
        if (!owned_) return;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((path_ + L"\\*.txt").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do DeleteFileW((path_ + L"\\" + found.cFileName).c_str());
            while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    NamedFolder(const NamedFolder&) = delete;
    NamedFolder& operator=(const NamedFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
    bool owned_ = false;
};

struct Figures {
    double Bare = 0;
    double Order = 0;
    long long Calls = 0;
    double ComparisonsOnly = 0;
    long long ComparisonsOnlyCalls = 0;
    bool Right = false;
};

Figures Measure(const std::wstring& path, bool alsoComparisonsOnly) {
    Figures figures;
    std::wstring text = path;
    IDList list;
    DesktopFolder()->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, list.Receive(), nullptr);
    const ComPtr<IShellFolder> folder = BindToFolder(list.Get());
    std::vector<IDList> owned;
    const FolderContents contents = EnumerateItems(folder.Get(), nullptr, SHCONTF_NONFOLDERS);
    for (IDList id = contents.Next(); id; id = contents.Next()) owned.push_back(std::move(id));
    std::vector<LPCITEMIDLIST> items;
    for (const IDList& id : owned) items.push_back(id.Get());
    std::shuffle(items.begin(), items.end(), std::mt19937(26));
    LogicalFolder logical(folder.Get(), items);

    std::vector<double> bare, order;
    std::vector<size_t> result;
    for (int round = 0; round < 3; ++round) {
        bare.push_back(Seconds([&] {
            for (LPCITEMIDLIST item : items) {
                WIN32_FIND_DATAW found{};
                SHGetDataFromIDListW(folder.Get(), item, SHGDFIL_FINDDATA, &found, sizeof found);
            }
        }));
        logical.Calls = 0;
        order.push_back(Seconds([&] { result = FolderOrder(&logical, items, 1); }));
        figures.Calls = logical.Calls;
    }
    figures.Bare = Median(bare);
    figures.Order = Median(order);
    figures.Right = true;
    for (size_t i = 1; i < result.size(); ++i)
        figures.Right = figures.Right && CompareIDLists(&logical, items[result[i - 1]], items[result[i]]) <= 0;
    if (alsoComparisonsOnly) {
        logical.Calls = 0;
        std::vector<size_t> sorted(items.size());
        for (size_t i = 0; i < sorted.size(); ++i) sorted[i] = i;
        figures.ComparisonsOnly = Seconds([&] {
            std::stable_sort(sorted.begin(), sorted.end(), [&](size_t a, size_t b) {
                return CompareIDLists(&logical, items[a], items[b]) < 0;
            });
        });
        figures.ComparisonsOnlyCalls = logical.Calls;
    }
    return figures;
}

}  // namespace

int wmain() {
    const ShellScope shell;
    const wchar_t* root = _wgetenv(L"MORVANE_BENCH_FOLDERS");
    const wchar_t* files = _wgetenv(L"MORVANE_BENCH_FILES");
    // Made here, a Windows program takes most of an hour for 100,000 files under Wine.
    const int count = files ? std::max(2, _wtoi(files)) : (root && *root ? 100000 : 10000);
    const std::wstring base = root && *root && !files ? std::wstring(root) + L"\\" : L"";
    const NamedFolder unpadded(base.empty() ? L"" : base + L"numbered-" + std::to_wstring(count),
                               L"numbered-" + std::to_wstring(count), count, false);
    const NamedFolder padded(base.empty() ? L"" : base + L"files-" + std::to_wstring(count),
                             L"padded-" + std::to_wstring(count), count, true);

    const Figures plain = Measure(padded.Path(), false);
    const Figures numbers = Measure(unpadded.Path(), true);
    std::printf("folder order of %d files in a folder ordering digits as numbers, given shuffled (median of 3)\n",
                count);
    std::printf("  padded   (f00000.txt ...): %8.1f ms, %lld comparisons; bare find data of each: %6.1f ms; %s\n",
                plain.Order * 1000, plain.Calls, plain.Bare * 1000, plain.Right ? "in order" : "OUT OF ORDER");
    std::printf("  unpadded (f0.txt ...):     %8.1f ms, %lld comparisons; bare find data of each: %6.1f ms; %s\n",
                numbers.Order * 1000, numbers.Calls, numbers.Bare * 1000, numbers.Right ? "in order" : "OUT OF ORDER");
    std::printf("  unpadded over padded: %.2f\n", numbers.Order / plain.Order);
    std::printf("  unpadded sorted by the folder's comparisons alone: %8.1f ms, %lld comparisons\n",
                numbers.ComparisonsOnly * 1000, numbers.ComparisonsOnlyCalls);
    return 0;
}
