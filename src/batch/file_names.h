#pragma once
// The file system's rules for the names a batch lists and gives: which long names a mask takes,
// which names the file functions can be handed as they are, and which new extensions can work.
#include <cstddef>
#include <string>
#include <string_view>

namespace morvane {

// The longest name of one entry the file systems of Windows keep (NTFS, FAT, exFAT, ReFS, UDF).
inline constexpr size_t kMaxNameLength = 255;

// The name in capitals as the file system compares names: without regard to case, one character
// for one.
std::wstring UpperCaseName(std::wstring_view name);

// Whether the long name matches the mask by the rules a folder search applies to long names: "*"
// stands for any run of characters, "?" for one character, case aside; "*.*" takes every name,
// a "*" before a dot never runs over the name's last dot (so "*." takes the names without a dot),
// a dot before "*" or "?" or at the end may stand for the end of the name ("a.*" takes "a"), and a
// "?" at a dot or at the end may stand for nothing. A search also matches the short 8.3 names
// ("*.doc" finds report.docx through REPORT~1.DOC): its findings are kept only when this holds.
bool LongNameMatches(std::wstring_view name, std::wstring_view mask);

// Whether the mask takes every name, so that its findings need no second look.
bool MatchesEveryName(std::wstring_view mask);

// Whether a mask holds a folder or drive part ("sub\*.txt", "..\*", "C:\x\*"): it names no file
// of the folder and lists nothing.
bool MaskLeavesFolder(std::wstring_view mask);

// Whether a name read from a folder names that same entry when it is joined to the folder's path.
// Not so for a name that holds "\", "/" or ":" (seen under Wine and over shares from other
// systems: the path would lead into a subfolder or a stream) or another character that a path
// cannot hold, nor for one that ends in a dot or a blank (the path functions drop those, and the
// path names another file).
bool IsAddressableName(std::wstring_view name);

// Whether a folder's path is a full path of a drive ("C:\\...") or a share ("\\\\server\\share\\...") whose
// every part is a name of its own: a part that ends in a dot or a blank, or holds a character a
// path cannot, would lead to another folder ("dot." is read as "dot").
bool IsAddressableFolderPath(std::wstring_view folder);

// Why a new extension can never give a file a name of its own, or None.
enum class ExtensionFault {
    None,
    ForbiddenCharacter,  // \ / : * ? " < > | or a control character
    EndsInDotOrBlank,    // dropped from the name, which would be another than the one shown
    OnlyBlanks,          // the extension would be dropped as well
    TooLong,             // no name with it fits the length a name may have
};
ExtensionFault CheckNewExtension(std::wstring_view extension);

}  // namespace morvane
