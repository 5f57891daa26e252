#pragma once
// What the shell shows of plain files by their type: the icon and the type name that every file
// with one extension shares, remembered for one reading of a folder; and of plain folders, which
// all look alike. Asking the shell once per item is the costly part of listing a large folder;
// asking once per type gives the same result for every type whose icon does not come from the file
// itself, and for every folder that has no icon of its own.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace morvane {

// Whether every plain file with the extension (upper-cased, dot included; empty for none) gets the
// same icon from the shell. Not for programs, icons, cursors and shortcuts, nor for any type
// registered with an icon taken from each file ("%1") or an icon handler of its own.
bool IconSharedByType(const std::wstring& extension);

// Whether the find data is that of a plain folder, which the shell shows as every other: with the
// standard folder icons and its own file name. Windows takes a folder's own icon or shown name
// from its desktop.ini only when the folder is marked read-only or system.
bool IsPlainFolder(const WIN32_FIND_DATAW& found);

class TypeLooks {
public:
    struct Look {
        int Image = 0;
        std::wstring TypeName;
    };

    // The look that files of this file's type share, once a file of the type has shown it; null
    // before that and for types whose files may each look different. Types go by the extension
    // as it is written: the shell names an unregistered type after it, capitals and all.
    const Look* Find(const std::wstring& fileName);
    // Keeps the look the shell gave this file, when the files of its type share it.
    void Remember(const std::wstring& fileName, Look look);
    // The look of every folder that shows the standard folder icon, once one has shown it.
    const Look* FindFolder() const { return folderKnown_ ? &folder_ : nullptr; }
    void RememberFolder(Look look);

private:
    struct Entry {
        bool Shared = false;
        bool Known = false;
        Look Shown;
    };
    Entry& EntryFor(const std::wstring& fileName);

    std::unordered_map<std::wstring, Entry> entries_;
    bool folderKnown_ = false;
    Look folder_;
};

// A file's name without its extension, as the shell shows it when it hides the extension.
std::wstring_view FileNameStem(std::wstring_view name);

// How the shell shows the names of plain files by their type: whole, or without the extension
// (the user's setting and the type's own NeverShowExt say which). Learned from the first two files
// of a type that the shell names alike, for one reading of a folder, so that a large folder has
// the shell name two files per type instead of every file; a type whose files the shell names
// otherwise is asked file by file. In a folder with a desktop.ini, which may give files names of
// their own, and on the desktop, which shows other folders' files too, nothing is learned.
class ShownNames {
public:
    explicit ShownNames(bool learn = false) : learn_(learn) {}
    // The name the shell shows for the plain file, when its type tells.
    std::optional<std::wstring_view> Find(std::wstring_view fileName) const;
    // What the shell showed for a plain file of the folder.
    void Remember(std::wstring_view fileName, std::wstring_view shown);

private:
    enum class Rule { Whole, Stem, EachItsOwn };
    struct Learned {
        Rule Shown;
        int Seen = 1;  // files of the type shown so; the rule holds from the second on
    };
    std::unordered_map<std::wstring, Learned> rules_;  // by the upper-cased extension
    bool learn_;
};

}  // namespace morvane
