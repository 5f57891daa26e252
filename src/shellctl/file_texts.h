#pragma once
// The texts and the extension filter of the file list, as plain functions.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Whole kilobytes plus one, right-aligned in 8 characters, then "KB": 0 bytes show "       1KB".
// Computed from the whole 64-bit size, so files of 2 GiB and more show their real size.
std::wstring SizeText(ULONGLONG bytes);
// Local time as "yy/mm/dd hh:nn", whatever the year; empty for the zero time and for one that
// cannot be converted.
std::wstring DateText(const FILETIME& lastWrite);
// From the last "." after the last "\" or ":", the dot included; ASCII letters upper-cased.
std::wstring UpperExtension(std::wstring_view parsingName);
// Whether a non-folder item passes the filter: an empty mask passes everything; otherwise its
// extension must equal one of the entries (which carry the dot), ASCII letters ignoring case.
bool PassesMask(std::wstring_view parsingName, const std::vector<std::wstring>& mask);

}  // namespace morvane
