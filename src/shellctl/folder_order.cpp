#include "shellctl/folder_order.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "shellctl/idlist.h"

namespace morvane {

namespace {

// Where the shell puts an item before looking at its name.
enum Rank : unsigned char { kSpecial, kFolder, kFile };

// Every item's rank and the sort key of its file name, the keys in one block of bytes.
class Guesses {
public:
    Guesses(IShellFolder* folder, const std::vector<LPCITEMIDLIST>& items) {
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
            AppendKey(found.cFileName);
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
    void AppendKey(const wchar_t* name) {
        constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
        const int bytes = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, name, -1, nullptr, 0);
        if (bytes <= 0) return;
        const size_t start = keys_.size();
        keys_.resize(start + static_cast<size_t>(bytes));
        LCMapStringW(LOCALE_USER_DEFAULT, kFlags, name, -1, reinterpret_cast<LPWSTR>(keys_.data() + start), bytes);
        while (keys_.size() > start && keys_.back() == 0) keys_.pop_back();  // the key's terminator
    }

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
    {
        const Guesses guesses(folder, items);
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return guesses.Before(a, b); });
    }
    if (direction < 0) std::reverse(order.begin(), order.end());

    // Neighbours in order prove the whole order, the folder's comparison being one.
    const auto outOfOrder = [&](size_t earlier, size_t later) {
        return direction < 0 ? CompareIDLists(folder, items[later], items[earlier]) > 0
                             : CompareIDLists(folder, items[earlier], items[later]) > 0;
    };
    bool proven = true;
    for (size_t i = 1; i < order.size() && proven; ++i) proven = !outOfOrder(order[i - 1], order[i]);
    if (!proven)
        // A merge sort: it stays within the items whatever the folder answers.
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return CompareIDLists(folder, items[a], items[b]) * direction < 0;
        });
    return order;
}

}  // namespace morvane
