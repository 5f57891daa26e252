#include "batch/journal_text.h"

#include <algorithm>
#include <new>

#include "ui/error.h"
#include "ui/handles.h"

namespace morvane {

std::wstring Escaped(std::wstring_view field) {
    std::wstring text;
    text.reserve(field.size());
    for (const wchar_t c : field) {
        switch (c) {
        case L'%': text += L"%25"; break;
        case L'\t': text += L"%09"; break;
        case L'\r': text += L"%0D"; break;
        case L'\n': text += L"%0A"; break;
        default: text += c;
        }
    }
    return text;
}

std::optional<std::wstring> Unescaped(std::wstring_view field) {
    std::wstring text;
    text.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != L'%') {
            text += field[i];
            continue;
        }
        const std::wstring_view code = field.substr(i + 1, 2);
        if (code == L"25") text += L'%';
        else if (code == L"09") text += L'\t';
        else if (code == L"0D") text += L'\r';
        else if (code == L"0A") text += L'\n';
        else return std::nullopt;
        i += 2;
    }
    return text;
}

bool WriteAll(HANDLE file, std::wstring_view text) {
    const auto bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
}

std::vector<std::wstring_view> SplitFields(std::wstring_view line) {
    std::vector<std::wstring_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring_view::npos ? std::wstring_view::npos : tab - start));
        if (tab == std::wstring_view::npos) return fields;
        start = tab + 1;
    }
}

std::optional<size_t> ParseIndex(std::wstring_view text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    size_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<size_t>(c - L'0');
    }
    return value;
}

std::optional<ULONGLONG> ParseNumber(std::wstring_view text) {
    if (text.empty() || text.size() > 19) return std::nullopt;
    ULONGLONG value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<ULONGLONG>(c - L'0');
    }
    return value;
}

std::optional<std::wstring> ReadWholeTextFile(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    // A journal is read whatever its size (a batch over a whole tree may hold millions of names),
    // as far as memory allows, in pieces that one read can take.
    if (!GetFileSizeEx(file.Get(), &size) ||
        static_cast<ULONGLONG>(size.QuadPart) / sizeof(wchar_t) >= std::wstring().max_size())
        return std::nullopt;
    try {
        std::wstring text(static_cast<size_t>(static_cast<ULONGLONG>(size.QuadPart) / sizeof(wchar_t)), L'\0');
        auto* at = reinterpret_cast<char*>(text.data());
        for (size_t left = text.size() * sizeof(wchar_t); left > 0;) {
            const auto piece = static_cast<DWORD>(std::min<size_t>(left, 64 * 1024 * 1024));
            DWORD read = 0;
            if (!ReadFile(file.Get(), at, piece, &read, nullptr) || read != piece) return std::nullopt;
            at += read;
            left -= read;
        }
        return text;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

[[noreturn]] void CannotCreate(const std::wstring& path) {
    throw Error(L"ﾌｧｲﾙ " + path + L" を作成できません");
}

void WriteWholeTextFile(const std::wstring& path, std::wstring_view text) {
    // An empty path would put the temporary file ".new" into the current folder.
    if (path.empty()) CannotCreate(path);
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos) CreateDirectoryW(path.substr(0, separator).c_str(), nullptr);
    const std::wstring temporary = path + L".new";
    {
        UniqueFileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) CannotCreate(path);
        if (!WriteAll(file.Get(), text) || !FlushFileBuffers(file.Get())) {
            file.Reset();
            DeleteFileW(temporary.c_str());
            CannotCreate(path);
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temporary.c_str());
        CannotCreate(path);
    }
}

}  // namespace morvane
