#pragma once
// The extension change engine: search masks, listing the matching files of a folder, new names,
// the rename run, and the target text derived from a clicked file. It uses no window.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// How the target text is read: an extension without its dot, or a file mask.
enum class TargetMode { ByExtension, ByWildcard };

// The target text that stands for every file, in both modes.
inline constexpr std::wstring_view kAllFilesKeyword = L"すべて";

std::wstring BuildSearchMask(std::wstring_view target, TargetMode mode);

// Joins a folder path and a name or mask with exactly one separator between them.
std::wstring JoinFolderPath(std::wstring_view folder, std::wstring_view part);

struct MatchEntry {
    std::wstring Name;  // bare file name, no folder
    bool Checked = true;
};
using MatchList = std::vector<MatchEntry>;

// Names of the plain files of the folder that match the mask, in enumeration order, all checked.
// Hidden and system files and folders never enter the list. An empty folder path lists nothing.
MatchList ListMatchingFiles(std::wstring_view folder, std::wstring_view mask);

// The path with its last extension replaced by (or, without one, extended by) the new extension.
std::wstring NewFileName(std::wstring_view path, std::wstring_view newExtension);

// Renames a file of the folder to a new bare name, never replacing another entry. A change of case
// only goes through a temporary unused name of the same folder, because some file systems answer
// success to it and keep the old name. True only when the folder then holds the new name, case
// included; a new name equal to the old one renames nothing and answers false.
bool RenameInFolder(std::wstring_view folder, std::wstring_view oldName, std::wstring_view newName);

// Whether the folder holds an entry of this name, compared case included, as the file system
// stores it (trailing dots and blanks of a new name are dropped).
bool FolderHoldsExactly(std::wstring_view folder, std::wstring_view name);

// Whether two names of one folder name the same entry: equal but for case.
bool SameEntryName(std::wstring_view a, std::wstring_view b);

// Receives the progress of a rename run: Start(number of entries), one Step per entry, Finish.
// Renamed tells, for each checked entry (by its index in the list), whether its rename happened.
// Continue is asked before every entry; false stops the run there (Finish still comes).
struct ProgressSink {
    virtual void Start(int max) = 0;
    virtual void Step() = 0;
    virtual void Renamed(std::size_t /*entry*/, bool /*succeeded*/) {}
    virtual bool Continue() { return true; }
    virtual void Finish() = 0;
    virtual ~ProgressSink() = default;
};

// Renames every checked entry of the list to the new extension, never replacing an existing file.
// Failed renames are silent: the file keeps its name and the run goes on. The progress steps once
// for every entry, checked or not, until it tells the run to stop. A rename counts as done only
// when the folder holds the new name.
void RenameCheckedFiles(std::wstring_view folder, const MatchList& list,
                        std::wstring_view newExtension, ProgressSink& progress);

// The target text that selects files like the given one.
std::wstring TargetFromFile(std::wstring_view path, TargetMode mode);

}  // namespace morvane
