#pragma once
// The folder named on the program's command line. The shell's folder-menu entry starts the program
// with the right-clicked folder as one quoted argument; a user may also type a path with blanks
// unquoted, which arrives as several arguments.
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Splits a command line the way Windows programs read theirs: blanks and control characters
// separate arguments, a double quote starts or ends a stretch in which blanks belong to the
// argument, and the quotes themselves are dropped. A backslash is an ordinary character, so a
// quoted folder that ends in one ("D:\" for a drive) keeps it.
std::vector<std::wstring> SplitArguments(std::wstring_view commandLine);

// The arguments after the program's own name, from the whole command line (GetCommandLineW).
std::vector<std::wstring> ProgramArguments(std::wstring_view commandLine);

// The arguments joined by single blanks: each is followed by one blank, and the one blank after
// the last is dropped, since a trailing blank is no part of a folder path. Empty without arguments.
std::wstring CommandLineFolder(const std::vector<std::wstring>& arguments);

}  // namespace morvane
