#include "shellctl/file_texts.h"

#include <cwchar>

namespace morvane {

namespace {

std::wstring UpperAscii(std::wstring_view text) {
    std::wstring upper(text);
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return upper;
}

}  // namespace

std::wstring SizeText(ULONGLONG bytes) {
    wchar_t text[32];
    swprintf(text, std::size(text), L"%8llu%ls", bytes / 1024 + 1, L"KB");
    return text;
}

std::wstring DateText(const FILETIME& lastWrite) {
    // A zero time is the shell saying it knows none (special folders), not a date in 1601.
    if (lastWrite.dwLowDateTime == 0 && lastWrite.dwHighDateTime == 0) return {};
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&lastWrite, &local) || !FileTimeToSystemTime(&local, &time)) return {};
    wchar_t text[32];
    swprintf(text, std::size(text), L"%02u/%02u/%02u %02u:%02u", time.wYear % 100u, time.wMonth, time.wDay,
             time.wHour, time.wMinute);
    return text;
}

std::wstring UpperExtension(std::wstring_view parsingName) {
    const size_t dot = parsingName.find_last_of(L".\\:");
    if (dot == std::wstring_view::npos || parsingName[dot] != L'.') return {};
    return UpperAscii(parsingName.substr(dot));
}

bool PassesMask(std::wstring_view parsingName, const std::vector<std::wstring>& mask) {
    if (mask.empty()) return true;
    const std::wstring extension = UpperExtension(parsingName);
    if (extension.empty()) return false;
    for (const std::wstring& entry : mask)
        if (UpperAscii(entry) == extension) return true;
    return false;
}

}  // namespace morvane
