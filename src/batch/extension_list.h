#pragma once
// The favourite extensions: the file "Morvane.dat" beside the executable (one entry per line, each
// followed by CR LF, Shift-JIS bytes) and the list the program holds in memory while it runs. No
// window is involved; the extension list dialog and the main window's append commands sit on top.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Entries of the file's bytes: lines end at CR, LF or CR LF, a NUL ends the text, and a break at
// the very end adds no empty entry. Bytes are decoded as code page 932 whatever the system uses.
std::vector<std::wstring> ParseExtensionList(std::string_view bytes);

// The bytes of the file: every entry in code page 932 followed by CR LF; no entries, no bytes.
// An entry the file cannot hold faithfully is refused with the error of CheckStorableEntry.
std::string FormatExtensionList(const std::vector<std::wstring>& entries);

// "Morvane.dat" in the executable's folder.
std::wstring ExtensionListPath();

// A missing file is the empty list; a file that exists but cannot be read is an error.
std::vector<std::wstring> LoadExtensionList(const std::wstring& path);

// Writes the whole list to a new file beside the old one and then moves it over the old one, so a
// failed write never destroys what was stored.
void SaveExtensionList(const std::wstring& path, const std::vector<std::wstring>& entries);

// Throws the program's error when the text cannot be stored as one entry that reads back the same:
// a character outside code page 932, or a line break or NUL that would split it.
void CheckStorableEntry(std::wstring_view text);

// The list as the program holds it during a run, with the rules that keep the file safe: a list
// whose file failed to load never overwrites that file, and an appended entry is stored at once.
class ExtensionList {
public:
    explicit ExtensionList(std::wstring path = ExtensionListPath());

    const std::wstring& Path() const { return path_; }
    const std::vector<std::wstring>& Entries() const { return entries_; }

    // Reads the file. When it exists but cannot be read the list stays empty, saving is off for
    // the rest of the run, and the error is passed on for the error box.
    void Load();

    // The selected entry's index, or -1; it lasts while the dialog is hidden.
    int Selected() const { return selected_; }
    // An index outside the list selects nothing.
    void Select(int index);
    // Removes the selected entry, leaving nothing selected; without a selection, nothing.
    void DeleteSelected();

    // Adds the text at the end, whatever it is (empty, a duplicate, the all-files keyword), and
    // stores the list at once. A text the file cannot hold is refused and the list stays as it was;
    // so is every text while the file that failed to load is protected (with the load's message).
    // When the store fails the entry stays in the list and the error is passed on.
    void Append(std::wstring_view text);

    // Writes the whole list; does nothing when the file failed to load. Errors are passed on.
    void Save();
    bool SaveBlocked() const { return saveBlocked_; }

    // The text to put into a field once the dialog has ended: the selected entry when the user
    // accepted, an entry is selected and the save at the close did not fail; otherwise nothing.
    std::optional<std::wstring> Pick(bool accepted) const;

private:
    std::wstring path_;
    std::vector<std::wstring> entries_;
    int selected_ = -1;
    bool saveBlocked_ = false;
    bool lastSaveFailed_ = false;
};

}  // namespace morvane
