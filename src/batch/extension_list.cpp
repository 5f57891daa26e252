#include "batch/extension_list.h"

#include <windows.h>

#include "ui/error.h"
#include "ui/executable.h"
#include "ui/handles.h"

namespace morvane {

namespace {

// The file is Shift-JIS on every system, whatever code page the system itself uses.
constexpr UINT kShiftJis = 932;
constexpr wchar_t kFileName[] = L"Morvane.dat";

[[noreturn]] void ThrowCannotOpen(const std::wstring& path) {
    throw Error(L"ﾌｧｲﾙ " + path + L" は開けません");
}
[[noreturn]] void ThrowCannotCreate(const std::wstring& path) {
    throw Error(L"ﾌｧｲﾙ " + path + L" を作成できません");
}
[[noreturn]] void ThrowWriteError() { throw Error(L"ｽﾄﾘｰﾑへの書き込みｴﾗｰ"); }

std::wstring DecodeShiftJis(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int units = MultiByteToWideChar(kShiftJis, 0, bytes.data(), static_cast<int>(bytes.size()),
                                          nullptr, 0);
    std::wstring text(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(kShiftJis, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
    return text;
}

std::string EncodeShiftJis(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(kShiftJis, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

// The encoded entry, checked to read back as the same single entry.
std::string EncodeEntry(std::wstring_view text) {
    CheckStorableEntry(text);
    return EncodeShiftJis(text);
}

std::string ReadWholeFile(const std::wstring& path) {
    // Others may read meanwhile, nobody may write: the list is read as one consistent text.
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowCannotOpen(path);
    std::string bytes;
    char chunk[4096];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr)) ThrowCannotOpen(path);
        if (read == 0) return bytes;
        bytes.append(chunk, read);
    }
}

// Writes the bytes to a new file; a file left half written is removed again.
void WriteNewFile(const std::wstring& path, const std::wstring& reportedPath, std::string_view bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ThrowCannotCreate(reportedPath);
    bool complete = true;
    while (complete && !bytes.empty()) {
        DWORD written = 0;
        complete = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written > 0;
        bytes.remove_prefix(written);
    }
    // The new file must be on the disk before it replaces the old one.
    complete = complete && FlushFileBuffers(file.Get());
    file.Reset();
    if (!complete) {
        DeleteFileW(path.c_str());
        ThrowWriteError();
    }
}

}  // namespace

void CheckStorableEntry(std::wstring_view text) {
    // A line break or NUL would split or cut the entry when the file is read again; a character
    // outside code page 932 would come back as another one.
    const bool storable = text.find_first_of(std::wstring_view(L"\r\n\0", 3)) == std::wstring_view::npos &&
                          DecodeShiftJis(EncodeShiftJis(text)) == text;
    if (!storable) throw Error(L"'" + std::wstring(text) + L"' にはﾌｧｲﾙに保存できない文字が含まれています");
}

std::vector<std::wstring> ParseExtensionList(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::vector<std::wstring> entries;
    // Lines are split on the bytes before decoding: CR, LF and NUL are never part of a double-byte
    // character, and a broken lead byte must not swallow the break after it.
    size_t start = 0;
    while (start < bytes.size()) {
        const size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            entries.push_back(DecodeShiftJis(bytes.substr(start)));
            break;
        }
        entries.push_back(DecodeShiftJis(bytes.substr(start, end - start)));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return entries;
}

std::string FormatExtensionList(const std::vector<std::wstring>& entries) {
    std::string bytes;
    for (const std::wstring& entry : entries) {
        bytes += EncodeEntry(entry);
        bytes += "\r\n";
    }
    return bytes;
}

std::wstring ExtensionListPath() { return FileBesideExecutable(kFileName); }

std::vector<std::wstring> LoadExtensionList(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
        // Whatever else keeps us from seeing the file must not pass for an empty list.
        ThrowCannotOpen(path);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {};  // not a file: no list stored
    return ParseExtensionList(ReadWholeFile(path));
}

void SaveExtensionList(const std::wstring& path, const std::vector<std::wstring>& entries) {
    const std::string bytes = FormatExtensionList(entries);
    // A name of this process alone, in the same folder so that the move is a rename on one volume.
    const std::wstring temporary = path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    WriteNewFile(temporary, path, bytes);
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        ThrowCannotCreate(path);
    }
}

ExtensionList::ExtensionList(std::wstring path) : path_(std::move(path)) {}

void ExtensionList::Load() {
    entries_.clear();
    selected_ = -1;
    try {
        entries_ = LoadExtensionList(path_);
    } catch (...) {
        // What is stored is still there; an empty list saved over it would destroy it.
        saveBlocked_ = true;
        throw;
    }
}

void ExtensionList::Select(int index) {
    selected_ = index >= 0 && index < static_cast<int>(entries_.size()) ? index : -1;
}

void ExtensionList::DeleteSelected() {
    if (selected_ < 0) return;
    entries_.erase(entries_.begin() + selected_);
    selected_ = -1;
}

void ExtensionList::Append(std::wstring_view text) {
    // The file that failed to load is never written this run: an entry added now would only seem
    // kept and be lost at the end.
    if (saveBlocked_) ThrowCannotOpen(path_);
    CheckStorableEntry(text);
    entries_.emplace_back(text);
    // Stored now: nothing else writes the file before the program ends.
    Save();
}

void ExtensionList::Save() {
    if (saveBlocked_) return;
    lastSaveFailed_ = true;
    SaveExtensionList(path_, entries_);
    lastSaveFailed_ = false;
}

std::optional<std::wstring> ExtensionList::Pick(bool accepted) const {
    if (!accepted || lastSaveFailed_ || selected_ < 0) return std::nullopt;
    return entries_[static_cast<size_t>(selected_)];
}

}  // namespace morvane
