#include "batch/engine.h"

#include <windows.h>

#include <algorithm>

#include "batch/file_names.h"
#include "ui/handles.h"

namespace morvane {

namespace {

// Entries that are never listed: hidden, system, volume label and directory.
constexpr DWORD kUnlistedAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x08 | FILE_ATTRIBUTE_DIRECTORY;

// Whether a listing with subfolders enters this folder: not when it is hidden or system, nor when
// it is a link (a junction or a symbolic link), which may lead back to a folder above (a loop) or
// anywhere else. Other reparse points, such as the placeholder folders of cloud files, are the
// user's ordinary folders; a reparse point whose tag is not given counts as a link.
bool EnteredFolder(const WIN32_FIND_DATAW& found) {
    if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return false;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    return found.dwReserved0 != 0 && !IsReparseTagNameSurrogate(found.dwReserved0);
}

// The longest full path the file functions take: the terminating null is the MAX_PATH-th unit.
constexpr size_t kMaxPathLength = MAX_PATH - 1;

// Characters that end the extension of a name when searching backwards from its end.
constexpr std::wstring_view kNameSeparators = L"\\/:";

constexpr size_t kMaxTargetBytes = 256;
constexpr UINT kShiftJis = 932;

// Length of one character (one or two UTF-16 units) once encoded in Shift-JIS; a character that
// has no Shift-JIS form counts as its one-byte replacement.
size_t ShiftJisLength(const wchar_t* text, int units) {
    if (units == 1 && text[0] < 0x80) return 1;
    const int bytes = WideCharToMultiByte(kShiftJis, 0, text, units, nullptr, 0, nullptr, nullptr);
    return bytes > 0 ? static_cast<size_t>(bytes) : 1;
}

// The longest prefix of the text whose Shift-JIS form fits in maxBytes, never splitting a character.
std::wstring_view CutToShiftJisBytes(std::wstring_view text, size_t maxBytes) {
    size_t bytes = 0;
    size_t i = 0;
    while (i < text.size()) {
        const int units = IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() &&
                                  IS_LOW_SURROGATE(text[i + 1])
                              ? 2
                              : 1;
        bytes += ShiftJisLength(text.data() + i, units);
        if (bytes > maxBytes) break;
        i += static_cast<size_t>(units);
    }
    return text.substr(0, i);
}

// The name as the file system stores it: trailing dots and blanks of the last part are dropped.
std::wstring_view StoredName(std::wstring_view name) {
    const size_t last = name.find_last_not_of(L". ");
    return name.substr(0, last == std::wstring_view::npos ? 0 : last + 1);
}

bool Missing(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND;
}

// A name of the folder that nothing uses, for the middle step of a change of case: the file's own
// name with a mark after it, so that whoever finds a file left there knows it at once.
std::wstring UnusedTemporaryName(std::wstring_view folder, std::wstring_view name) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring mark = L".morvane-tmp" + (attempt == 0 ? std::wstring() : std::to_wstring(attempt + 1));
        std::wstring temporary = name.size() + mark.size() <= kMaxNameLength
                                     ? std::wstring(name) + mark
                                     : L"~morvane-" + std::to_wstring(attempt) + L".tmp";
        if (Missing(JoinFolderPath(folder, temporary))) return temporary;
    }
    return {};
}

bool Move(std::wstring_view folder, std::wstring_view from, std::wstring_view to) {
    // MoveFileW never replaces an existing file.
    return MoveFileW(JoinFolderPath(folder, from).c_str(), JoinFolderPath(folder, to).c_str()) != FALSE;
}

// A move out of or back from the temporary name: one that another program holds up for a moment
// (a virus scanner, the indexer) is tried again rather than leaving the file under that name.
bool MoveRetrying(std::wstring_view folder, std::wstring_view from, std::wstring_view to) {
    for (int attempt = 0;; ++attempt) {
        if (Move(folder, from, to)) return true;
        const DWORD error = GetLastError();
        if (attempt == 9 || (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION &&
                             error != ERROR_ACCESS_DENIED))
            return false;
        Sleep(50);
    }
}

// Whether an entry other than the file itself holds the new name in another case, as a folder that
// tells case apart may (x.JPG beside x.jpg). The search carries a wildcard so that the file system
// lists every entry of the name instead of looking one up.
bool AnotherEntryHolds(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName) {
    std::wstring pattern(newName);
    pattern.back() = L'?';
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(JoinFolderPath(folder, pattern).c_str(), &found));
    if (!search) return false;
    do {
        const std::wstring_view name = found.cFileName;
        if (name != oldName && SameEntryName(name, newName)) return true;
    } while (FindNextFileW(search.Get(), &found));
    return false;
}

// Whether a file of the folder can take the name at all: a name longer than a file system keeps,
// or a path longer than the file functions take, never reaches the file system.
bool NameFits(std::wstring_view folder, std::wstring_view name) {
    return name.size() <= kMaxNameLength && JoinFolderPath(folder, name).size() <= kMaxPathLength;
}

// Whether a folder tells names apart by case (a folder of Windows made so, a share from another
// system): only there may another entry hold a name in another case. A file system that cannot say
// is taken not to.
bool TellsCaseApart(std::wstring_view folder) {
    constexpr ULONG kCaseSensitiveDirectory = 0x00000001;  // FILE_CS_FLAG_CASE_SENSITIVE_DIR
    UniqueFileHandle handle(CreateFileW(std::wstring(folder).c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    FILE_CASE_SENSITIVE_INFO info{};
    return handle && GetFileInformationByHandleEx(handle.Get(), FileCaseSensitiveInfo, &info, sizeof info) &&
           (info.Flags & kCaseSensitiveDirectory) != 0;
}

// A change of case only. Asked first as any rename, unless another entry holds the new name in
// another case; where the folder still shows the old case afterwards (Wine, some file servers), the
// file goes to a temporary name and from there to the new one, the temporary name told first so
// that whoever records the run knows where to look for it.
RenameResult ChangeCase(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName,
                        const TemporaryNotice& notice) {
    if (TellsCaseApart(folder) && AnotherEntryHolds(folder, oldName, newName)) return RenameResult::NotRenamed;
    if (!Move(folder, oldName, newName)) return RenameResult::NotRenamed;
    if (FolderHoldsExactly(folder, newName)) return RenameResult::Renamed;
    // The folder kept the old case. Another entry of the new name in another case (in a folder that
    // cannot say it tells case apart) would take the move from the temporary name, and the move back.
    if (AnotherEntryHolds(folder, oldName, newName)) return RenameResult::NotRenamed;
    const std::wstring temporary = UnusedTemporaryName(folder, oldName);
    if (temporary.empty() || (notice && !notice(temporary))) return RenameResult::NotRenamed;
    if (!Move(folder, oldName, temporary)) return RenameResult::NotRenamed;
    // Off the temporary name, the file has the new name as the file system keeps it.
    if (MoveRetrying(folder, temporary, newName)) return RenameResult::Renamed;
    return MoveRetrying(folder, temporary, oldName) ? RenameResult::NotRenamed : RenameResult::LeftUnderTemporary;
}

// Name order of a folder's subfolders, the same on every run: case aside, then case.
bool NameOrder(const std::wstring& a, const std::wstring& b) {
    const int order = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                           static_cast<int>(b.size()), TRUE);
    return order != CSTR_EQUAL ? order == CSTR_LESS_THAN : a < b;
}

// Walks a tree of folders, depth first, appending the matching files of each folder before
// entering its subfolders. The two paths grow and shrink with the walk instead of being copied.
class TreeListing {
public:
    TreeListing(std::wstring_view mask, MatchList& list) : mask_(mask), list_(list) {}

    // folder: the full path of the folder, its separator at the end; relative: its path from the
    // listed folder, empty or with the separator at the end.
    void List(std::wstring& folder, std::wstring& relative) {
        std::vector<std::wstring> subFolders;
        // One enumeration of every name finds both the files and the subfolders; the mask is
        // applied to the long names here, as a search by the mask would also take short names.
        ForEachEntry(folder + L"*", [&](const WIN32_FIND_DATAW& found) {
            const std::wstring_view name = found.cFileName;
            if (!IsAddressableName(name)) return;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                // The subfolder's own search pattern ("...\name\*") must fit as well.
                if (EnteredFolder(found) && folder.size() + name.size() + 2 <= kMaxPathLength)
                    subFolders.emplace_back(name);
            } else if (LongNameMatches(name, mask_)) {
                Append(folder, relative, found);
            }
        });

        std::sort(subFolders.begin(), subFolders.end(), NameOrder);
        const size_t folderLength = folder.size();
        const size_t relativeLength = relative.size();
        for (const std::wstring& subFolder : subFolders) {
            folder.append(subFolder).push_back(L'\\');
            relative.append(subFolder).push_back(L'\\');
            List(folder, relative);
            folder.resize(folderLength);
            relative.resize(relativeLength);
        }
    }

private:
    template <typename Visit>
    static void ForEachEntry(const std::wstring& pattern, Visit visit) {
        WIN32_FIND_DATAW found;
        UniqueFindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                                 nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!search) return;
        do visit(found);
        while (FindNextFileW(search.Get(), &found));
    }

    void Append(const std::wstring& folder, const std::wstring& relative, const WIN32_FIND_DATAW& found) {
        const std::wstring_view name = found.cFileName;
        if ((found.dwFileAttributes & kUnlistedAttributes) == 0 && folder.size() + name.size() <= kMaxPathLength)
            list_.push_back({relative + found.cFileName});
    }

    std::wstring mask_;
    MatchList& list_;
};

}  // namespace

bool SameEntryName(std::wstring_view a, std::wstring_view b) {
    a = StoredName(a);
    b = StoredName(b);
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool RenamesNothing(std::wstring_view oldName, std::wstring_view newName) {
    return StoredName(oldName) == StoredName(newName);
}

bool FolderHoldsExactly(std::wstring_view folder, std::wstring_view name) {
    const std::wstring_view stored = StoredName(name);
    if (stored.empty() || stored.find_first_of(L"*?") != std::wstring_view::npos) return false;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(JoinFolderPath(folder, stored).c_str(), &found));
    return search && SplitEntryPath(stored).Name == found.cFileName;
}

RenameResult RenameEntry(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName,
                         const TemporaryNotice& notice) {
    const EntryPath from = SplitEntryPath(oldName);
    const EntryPath to = SplitEntryPath(newName);
    // A file changes its name in its own folder; it is never moved to another one.
    if (from.SubFolder != to.SubFolder) return RenameResult::NotRenamed;
    if (!from.SubFolder.empty())
        return RenameEntry(JoinFolderPath(folder, from.SubFolder), from.Name, to.Name, notice);

    if (RenamesNothing(oldName, newName) || !NameFits(folder, StoredName(newName))) return RenameResult::NotRenamed;
    if (SameEntryName(oldName, newName)) return ChangeCase(folder, oldName, newName, notice);
    // Any other rename the system answers with success has happened, also where a file system
    // that does not keep case stores the new name in a case of its own.
    return Move(folder, oldName, newName) ? RenameResult::Renamed : RenameResult::NotRenamed;
}

bool RenameInFolder(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName) {
    return RenameEntry(folder, oldName, newName) == RenameResult::Renamed;
}

bool NewEntryNameFits(std::wstring_view folder, std::wstring_view entry) {
    const EntryPath path = SplitEntryPath(entry);
    return NameFits(JoinFolderPath(folder, path.SubFolder), StoredName(path.Name));
}

std::wstring BuildSearchMask(std::wstring_view target, TargetMode mode) {
    if (target == kAllFilesKeyword) return L"*.*";
    if (mode == TargetMode::ByExtension) return L"*." + std::wstring(target);
    return std::wstring(target);
}

std::wstring JoinFolderPath(std::wstring_view folder, std::wstring_view part) {
    std::wstring path(folder);
    if (path.empty() || path.back() != L'\\') path += L'\\';
    path += part;
    return path;
}

MatchList ListMatchingFiles(std::wstring_view folder, std::wstring_view mask) {
    MatchList list;
    // An empty path would search the root of the current drive, a path with a part it cannot hold
    // another folder; a mask with a folder part would list another folder's files under this one's.
    if (!IsAddressableFolderPath(folder) || MaskLeavesFolder(mask)) return list;

    // The search by the mask also takes names whose short 8.3 name matches: only long names count.
    const bool everyName = MatchesEveryName(mask);
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileExW(JoinFolderPath(folder, mask).c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return list;
    do {
        const std::wstring_view name = found.cFileName;
        if ((found.dwFileAttributes & kUnlistedAttributes) == 0 && IsAddressableName(name) &&
            (everyName || LongNameMatches(name, mask)))
            list.push_back({found.cFileName});
    } while (FindNextFileW(search.Get(), &found));
    return list;
}

MatchList ListMatchingFilesWithSubFolders(std::wstring_view folder, std::wstring_view mask) {
    MatchList list;
    if (!IsAddressableFolderPath(folder) || MaskLeavesFolder(mask)) return list;
    std::wstring path = JoinFolderPath(folder, L"");
    std::wstring relative;
    TreeListing(mask, list).List(path, relative);
    return list;
}

EntryPath SplitEntryPath(std::wstring_view entry) {
    const size_t separator = entry.find_last_of(L'\\');
    if (separator == std::wstring_view::npos) return {{}, entry};
    return {entry.substr(0, separator + 1), entry.substr(separator + 1)};
}

std::wstring NewFileName(std::wstring_view path, std::wstring_view newExtension) {
    const size_t last = path.find_last_of(L".\\/:");
    const size_t keep = last != std::wstring_view::npos && path[last] == L'.' ? last : path.size();
    std::wstring result(path.substr(0, keep));
    result += L'.';
    result += newExtension;
    return result;
}

std::wstring NewEntryName(std::wstring_view entry, std::wstring_view newExtension) {
    const EntryPath path = SplitEntryPath(entry);
    // A new extension that holds a separator is refused at the rename; the name it would give is
    // what follows the separator.
    const std::wstring newPath = NewFileName(path.Name, newExtension);
    const size_t separator = newPath.find_last_of(kNameSeparators);
    std::wstring name(path.SubFolder);
    name += std::wstring_view(newPath).substr(separator == std::wstring::npos ? 0 : separator + 1);
    return name;
}

void RenameCheckedFiles(std::wstring_view folder, const MatchList& list,
                        std::wstring_view newExtension, ProgressSink& progress) {
    // An extension that can never give a name of its own (a separator would move the file out of
    // its folder) is refused for every file.
    const bool refused = !IsAddressableFolderPath(folder) || CheckNewExtension(newExtension) != ExtensionFault::None;
    progress.Start(static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size() && progress.Continue(); ++i) {
        const MatchEntry& entry = list[i];
        progress.Step();
        if (!entry.Checked) continue;
        if (refused) {
            progress.Renamed(i, false);
            continue;
        }
        // A failure leaves this file as it was.
        const RenameResult result =
            RenameEntry(folder, entry.Name, NewEntryName(entry.Name, newExtension),
                        [&](const std::wstring& temporary) { return progress.MovingThrough(i, temporary); });
        if (result != RenameResult::LeftUnderTemporary) progress.Renamed(i, result == RenameResult::Renamed);
    }
    progress.Finish();
}

std::wstring TargetFromFile(std::wstring_view path, TargetMode mode) {
    const size_t nameStart = [&] {
        const size_t separator = path.find_last_of(kNameSeparators);
        return separator == std::wstring_view::npos ? 0 : separator + 1;
    }();
    const size_t dot = path.find_last_of(L'.');
    const std::wstring_view extension =
        dot != std::wstring_view::npos && dot >= nameStart ? path.substr(dot) : std::wstring_view();

    std::wstring target = mode == TargetMode::ByExtension
                              ? std::wstring(CutToShiftJisBytes(extension.substr(extension.empty() ? 0 : 1),
                                                                kMaxTargetBytes))
                              : L"*" + std::wstring(extension);
    if (target.empty()) target = kAllFilesKeyword;
    return target;
}

}  // namespace morvane
