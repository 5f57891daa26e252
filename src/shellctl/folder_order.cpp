#include "shellctl/folder_order.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

#include "shellctl/idlist.h"

namespace morvane {

namespace {

// Where the shell puts an item before looking at its name.
enum Rank : unsigned char { kSpecial, kFolder, kFile };

// How names are ordered: Windows sorts them with runs of digits as numbers (StrCmpLogicalW), unless
// the NoStrCmpLogical policy asks for the plain linguistic order.
enum class NameRule { Logical, Plain };

bool PolicySet(HKEY root) {
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", L"NoStrCmpLogical",
                        RRF_RT_REG_DWORD, nullptr, &value, &size) == ERROR_SUCCESS &&
           value != 0;
}

NameRule ShellNameRule() {
    return PolicySet(HKEY_CURRENT_USER) || PolicySet(HKEY_LOCAL_MACHINE) ? NameRule::Plain : NameRule::Logical;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Sort keys of names, compared as bytes. The plain rule: the system's sort key of the whole name,
// ignoring case. The logical rule: the name in runs, each run of digits a number (its length
// without leading zeros, then its digits) before any other text, each other run its sort key;
// the keys of the other runs, which repeat from name to name ("DSC_", ".JPG"), are made once.
class NameKeys {
public:
    explicit NameKeys(NameRule rule) : rule_(rule) {}

    void Append(const wchar_t* name, std::vector<unsigned char>& keys) {
        if (rule_ == NameRule::Plain) {
            AppendSortKey(std::wstring_view(name), keys);
            return;
        }
        const std::wstring_view text(name);
        for (size_t at = 0; at < text.size();) {
            size_t end = at;
            const bool digits = IsDigit(text[at]);
            while (end < text.size() && IsDigit(text[end]) == digits) ++end;
            const std::wstring_view run = text.substr(at, end - at);
            if (digits)
                AppendNumber(run, keys);
            else
                AppendRun(run, keys);
            at = end;
        }
    }

private:
    static void AppendSortKey(std::wstring_view text, std::vector<unsigned char>& keys) {
        constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
        const int length = static_cast<int>(text.size());
        const int bytes = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.data(), length, nullptr, 0);
        if (bytes <= 0) return;
        const size_t start = keys.size();
        keys.resize(start + static_cast<size_t>(bytes));
        LCMapStringW(LOCALE_USER_DEFAULT, kFlags, text.data(), length, reinterpret_cast<LPWSTR>(keys.data() + start),
                     bytes);
        while (keys.size() > start && keys.back() == 0) keys.pop_back();  // the key's terminator
    }

    void AppendRun(std::wstring_view run, std::vector<unsigned char>& keys) {
        auto [known, added] = runs_.try_emplace(std::wstring(run));
        if (added) {
            known->second.push_back(2);  // after a number, before nothing: see AppendNumber
            AppendSortKey(run, known->second);
            known->second.push_back(0);  // a run that begins another sorts first
        }
        keys.insert(keys.end(), known->second.begin(), known->second.end());
    }

    static void AppendNumber(std::wstring_view digits, std::vector<unsigned char>& keys) {
        size_t zeros = 0;
        while (zeros + 1 < digits.size() && digits[zeros] == L'0') ++zeros;
        const std::wstring_view number = digits.substr(zeros);
        keys.push_back(1);  // numbers before other text
        keys.push_back(static_cast<unsigned char>(std::min<size_t>(number.size(), 0xFF)));
        for (wchar_t digit : number) keys.push_back(static_cast<unsigned char>(digit));
    }

    NameRule rule_;
    std::unordered_map<std::wstring, std::vector<unsigned char>> runs_;
};

// Every item's rank and the sort key of its file name, the keys in one block of bytes.
class Guesses {
public:
    Guesses(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items, NameRule rule) {
        NameKeys names(rule);
        ranks_.reserve(items.size());
        starts_.reserve(items.size() + 1);
        for (LPCITEMIDLIST item : items) {
            starts_.push_back(keys_.size());
            WIN32_FIND_DATAW found{};
            if (FAILED(SHGetDataFromIDListW(folder, item, SHGDFIL_FINDDATA, &found, sizeof found))) {
                ranks_.push_back(kSpecial);
                continue;
            }
            ranks_.push_back((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kFolder : kFile);
            names.Append(found.cFileName, keys_);
        }
        starts_.push_back(keys_.size());
    }

    bool Before(size_t a, size_t b) const {
        if (ranks_[a] != ranks_[b]) return ranks_[a] < ranks_[b];
        const size_t lengthA = starts_[a + 1] - starts_[a], lengthB = starts_[b + 1] - starts_[b];
        const int order = std::memcmp(keys_.data() + starts_[a], keys_.data() + starts_[b], std::min(lengthA, lengthB));
        return order != 0 ? order < 0 : lengthA < lengthB;
    }

private:
    std::vector<Rank> ranks_;
    std::vector<size_t> starts_;
    std::vector<unsigned char> keys_;
};

// Whether every item comes before its next neighbour (strictly after it, when descending) in the
// folder's comparison. An unordered list is found out at its first disordered pair.
bool InFolderOrder(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items, bool descending) {
    for (size_t i = 1; i < items.size(); ++i) {
        const int compared = CompareIDLists(folder, items[i - 1], items[i]);
        if (descending ? compared <= 0 : compared > 0) return false;
    }
    return true;
}

}  // namespace

std::vector<size_t> FolderOrder(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items, int direction) {
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    if (!folder || order.size() < 2) return order;
    // A folder often enumerates its items in its own order already (Wine's file-system folders
    // always do), and a list sorted once comes back in it or in its reverse: then the neighbours
    // alone prove the order, and nothing is guessed or sorted.
    const bool ascending = InFolderOrder(folder, items, false);
    if (ascending || InFolderOrder(folder, items, true)) {
        if (ascending != (direction > 0)) std::reverse(order.begin(), order.end());
        return order;
    }
    // The guess by the rule the shell sorts by, then by the other rule: a folder of another kind
    // may order otherwise (Wine's file-system folders sort plainly). Neighbours in order prove the
    // whole order, the folder's comparison being one.
    const auto outOfOrder = [&](size_t earlier, size_t later) {
        return direction < 0 ? CompareIDLists(folder, items[later], items[earlier]) > 0
                             : CompareIDLists(folder, items[earlier], items[later]) > 0;
    };
    const NameRule preferred = ShellNameRule();
    for (const NameRule rule : {preferred, preferred == NameRule::Logical ? NameRule::Plain : NameRule::Logical}) {
        {
            const Guesses guesses(folder, items, rule);
            std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return guesses.Before(a, b); });
        }
        if (direction < 0) std::reverse(order.begin(), order.end());
        bool proven = true;
        for (size_t i = 1; i < order.size() && proven; ++i) proven = !outOfOrder(order[i - 1], order[i]);
        if (proven) return order;
        for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    }
    // A merge sort: it stays within the items whatever the folder answers.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return CompareIDLists(folder, items[a], items[b]) * direction < 0;
    });
    return order;
}

}  // namespace morvane
