#pragma once
// The extension change engine: search masks, listing the matching files of a folder (or of a
// folder and every folder below it), new names, the rename run, and the target text derived from a
// clicked file. It uses no window.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// How the target text is read: an extension without its dot, or a file mask.
enum class TargetMode { ByExtension, ByWildcard };

// Which files a batch takes: those of the folder alone, or also those of every folder below it.
enum class FolderScope { FolderOnly, WithSubFolders };

// The target text that stands for every file, in both modes.
inline constexpr std::wstring_view kAllFilesKeyword = L"すべて";

std::wstring BuildSearchMask(std::wstring_view target, TargetMode mode);

// Joins a folder path and a name or mask with exactly one separator between them.
std::wstring JoinFolderPath(std::wstring_view folder, std::wstring_view part);

struct MatchEntry {
    // The bare file name, or for a file of a subfolder its path relative to the listed folder
    // ("写真\2024\a.JPG").
    std::wstring Name;
    bool Checked = true;
};
using MatchList = std::vector<MatchEntry>;

// Names of the plain files of the folder whose long names match the mask, in enumeration order,
// all checked. Hidden and system files and folders never enter the list, nor names that a path
// cannot name as themselves (see IsAddressableName). An empty folder path, or a mask with a folder
// part, lists nothing.
MatchList ListMatchingFiles(std::wstring_view folder, std::wstring_view mask);

// The matching plain files of the folder and of every folder below it, each named by its path
// relative to the folder, all checked: the folder's own files first (in enumeration order), then
// each subfolder's in name order, depth first. Hidden and system files and folders are skipped,
// reparse points (junctions, symbolic links) are never entered, so no link can make a loop, and
// an entry whose full path would be longer than the system's limit (MAX_PATH) is left out rather
// than cut. The same names as in the folder alone are left out, and subfolders of such names are
// not entered. An empty folder path, or a mask with a folder part, lists nothing.
MatchList ListMatchingFilesWithSubFolders(std::wstring_view folder, std::wstring_view mask);

// The path of a listed entry (a bare name, or a path relative to the listed folder) split into the
// subfolder part, its last separator included, and the bare name.
struct EntryPath {
    std::wstring_view SubFolder;  // empty for a file of the listed folder itself
    std::wstring_view Name;
};
EntryPath SplitEntryPath(std::wstring_view entry);

// The path with its last extension replaced by (or, without one, extended by) the new extension.
std::wstring NewFileName(std::wstring_view path, std::wstring_view newExtension);

// The new name of a listed entry: its bare name with the new extension, in the entry's own
// subfolder.
std::wstring NewEntryName(std::wstring_view entry, std::wstring_view newExtension);

// Told the temporary name a change of case is about to move a file to: until the rename's outcome
// is known, the file may be found under that name. False when it could not be kept (the journal
// cannot be written): the file then does not move there.
using TemporaryNotice = std::function<bool(const std::wstring& temporary)>;

enum class RenameResult {
    Renamed,
    NotRenamed,          // the file keeps its old name
    LeftUnderTemporary,  // a change of case could move the file neither on nor back
};

// Renames a file of the folder to a new name, never replacing another entry. A change of case only
// is asked of the file system first; where the folder still shows the old case afterwards (some
// file systems answer success and keep it), the file goes through a temporary name of the same
// folder, named after it and told to the notice first, unless another entry already holds the new
// name in another case. It counts only when the folder then holds the new name, case included. Any
// other rename counts when the system answers success. A new name equal to the old one, or one
// longer than a name or a path may be, renames nothing. Both names may lead through the same
// subfolder ("写真\a.JPG" to "写真\a.jpg"): the file is renamed in its own folder; names in two
// different folders move nothing.
RenameResult RenameEntry(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName,
                         const TemporaryNotice& notice = {});
// The same, true when the file was renamed.
bool RenameInFolder(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName);

// Whether a listed entry's new name fits the length a name and a path may have.
bool NewEntryNameFits(std::wstring_view folder, std::wstring_view newEntryName);

// Whether the folder holds an entry of this name (or path relative to it), its last part compared
// case included, as the file system stores it (trailing dots and blanks of a new name are dropped).
bool FolderHoldsExactly(std::wstring_view folder, std::wstring_view name);

// Whether two names of one folder name the same entry: equal but for case.
bool SameEntryName(std::wstring_view a, std::wstring_view b);

// Whether a rename from the one name to the other changes nothing the file system keeps: equal,
// case included, once trailing dots and blanks are dropped.
bool RenamesNothing(std::wstring_view oldName, std::wstring_view newName);

// Receives the progress of a rename run: Start(number of entries), one Step per entry, Finish.
// Renamed tells, for each checked entry (by its index in the list), whether its rename happened.
// Continue is asked before every entry; false stops the run there (Finish still comes).
// MovingThrough comes before a change of case moves the entry's file to a temporary name (false:
// not recorded, so the file must not move there); Renamed follows it unless the file could be
// moved neither on nor back, and stays under that name.
struct ProgressSink {
    virtual void Start(int max) = 0;
    virtual void Step() = 0;
    virtual bool MovingThrough(std::size_t /*entry*/, std::wstring_view /*temporary*/) { return true; }
    virtual void Renamed(std::size_t /*entry*/, bool /*succeeded*/) {}
    virtual bool Continue() { return true; }
    virtual void Finish() = 0;
    virtual ~ProgressSink() = default;
};

// Renames every checked entry of the list to the new extension, each in its own folder, never
// replacing an existing file. Failed renames are silent: the file keeps its name and the run goes
// on. A new extension that can never work (CheckNewExtension) renames nothing. The progress steps
// once for every entry, checked or not, until it tells the run to stop.
void RenameCheckedFiles(std::wstring_view folder, const MatchList& list,
                        std::wstring_view newExtension, ProgressSink& progress);

// The target text that selects files like the given one.
std::wstring TargetFromFile(std::wstring_view path, TargetMode mode);

}  // namespace morvane
