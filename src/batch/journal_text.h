#pragma once
// The text files the program keeps its records in (the journals of batches and their summaries):
// UTF-16, one record a line, fields separated by tabs, fields that may hold a tab or a line break
// escaped, and whole files written so that a crash leaves the old file or the new one.
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// A field that may hold any character: "%", tab, CR and LF are written as "%25", "%09", "%0D" and
// "%0A". Unescaped answers nothing for a "%" followed by anything else.
std::wstring Escaped(std::wstring_view field);
std::optional<std::wstring> Unescaped(std::wstring_view field);

std::vector<std::wstring_view> SplitFields(std::wstring_view line);
// Decimal digits only, not too many for the type.
std::optional<size_t> ParseIndex(std::wstring_view text);
std::optional<ULONGLONG> ParseNumber(std::wstring_view text);

// The whole file as UTF-16 text, whatever its size (as far as memory allows); nothing when it
// cannot be read.
std::optional<std::wstring> ReadWholeTextFile(const std::wstring& path);
bool WriteAll(HANDLE file, std::wstring_view text);
// Writes the file whole: a temporary file beside it, flushed, then moved over it; the folder is
// made when missing. Throws the program's error "ﾌｧｲﾙ ... を作成できません" when it cannot.
void WriteWholeTextFile(const std::wstring& path, std::wstring_view text);
[[noreturn]] void CannotCreate(const std::wstring& path);

}  // namespace morvane
