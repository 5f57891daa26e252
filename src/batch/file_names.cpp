#include "batch/file_names.h"

#include <windows.h>

#include <vector>

namespace morvane {

namespace {

// Characters no Windows path component can hold; "\" and "/" separate components, ":" a stream.
constexpr std::wstring_view kForbiddenInNames = L"\\/:*?\"<>|";

bool IsControlCharacter(wchar_t c) { return c < 0x20; }

// One step of a mask as a folder search reads it.
enum class MaskStep : unsigned char {
    Character,  // this character, case aside
    AnyRun,     // "*": any run of characters
    RunToDot,   // "*" before a dot: any run that leaves the name's last dot unused
    OneOrNone,  // "?": one character, or nothing at a dot or at the end of the name
    DotOrEnd,   // a dot before "*" or "?" or at the end of the mask: a dot, or the end of the name
};

struct Step {
    MaskStep Kind;
    wchar_t Character;
};

std::vector<Step> ReadMask(std::wstring_view mask) {
    std::vector<Step> steps;
    if (mask == L"*.*") return {{MaskStep::AnyRun, 0}};
    steps.reserve(mask.size());
    for (size_t i = 0; i < mask.size(); ++i) {
        const wchar_t c = mask[i];
        const wchar_t next = i + 1 < mask.size() ? mask[i + 1] : 0;
        if (c == L'*')
            steps.push_back({next == L'.' ? MaskStep::RunToDot : MaskStep::AnyRun, 0});
        else if (c == L'?')
            steps.push_back({MaskStep::OneOrNone, 0});
        else if (c == L'.' && (next == L'*' || next == L'?' || next == 0))
            steps.push_back({MaskStep::DotOrEnd, 0});
        else
            steps.push_back({MaskStep::Character, c});
    }
    return steps;
}

}  // namespace

std::wstring UpperCaseName(std::wstring_view name) {
    std::wstring upper(name);
    // Plain ASCII names, the common case, need no call into the locale tables.
    for (wchar_t& c : upper) {
        if (c >= 0x80) {
            LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, upper.data(), static_cast<int>(upper.size()),
                          upper.data(), static_cast<int>(upper.size()), nullptr, nullptr, 0);
            return upper;
        }
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return upper;
}

bool MatchesEveryName(std::wstring_view mask) { return mask == L"*" || mask == L"*.*"; }

bool MaskLeavesFolder(std::wstring_view mask) { return mask.find_first_of(L"\\/:") != std::wstring_view::npos; }

bool LongNameMatches(std::wstring_view name, std::wstring_view mask) {
    if (MatchesEveryName(mask)) return true;
    const std::wstring upperName = UpperCaseName(name);
    const std::vector<Step> steps = ReadMask(UpperCaseName(mask));
    const size_t lastDot = upperName.rfind(L'.');

    // The steps the matched part of the name may have reached, one flag per step (and one past
    // the last); a mask is short, a name at most a few hundred characters.
    std::vector<char> reached(steps.size() + 1, 0), next(steps.size() + 1, 0);
    // Adds the steps reachable from those reached without taking a character at this place.
    const auto spread = [&](std::vector<char>& states, size_t at) {
        const bool atDotOrEnd = at == upperName.size() || upperName[at] == L'.';
        for (size_t k = 0; k < steps.size(); ++k) {
            if (!states[k]) continue;
            const MaskStep kind = steps[k].Kind;
            if (kind == MaskStep::AnyRun || kind == MaskStep::RunToDot ||
                (kind == MaskStep::OneOrNone && atDotOrEnd) ||
                (kind == MaskStep::DotOrEnd && at == upperName.size()))
                states[k + 1] = 1;
        }
    };
    reached[0] = 1;
    spread(reached, 0);
    for (size_t at = 0; at < upperName.size(); ++at) {
        const wchar_t c = upperName[at];
        std::fill(next.begin(), next.end(), 0);
        bool any = false;
        for (size_t k = 0; k < steps.size(); ++k) {
            if (!reached[k]) continue;
            switch (steps[k].Kind) {
            case MaskStep::AnyRun: next[k] = 1; break;
            case MaskStep::RunToDot:
                if (c != L'.' || (lastDot != std::wstring::npos && at < lastDot)) next[k] = 1;
                break;
            case MaskStep::OneOrNone:
                if (c != L'.') next[k + 1] = 1;
                break;
            case MaskStep::DotOrEnd:
                if (c == L'.') next[k + 1] = 1;
                break;
            case MaskStep::Character:
                if (c == steps[k].Character) next[k + 1] = 1;
                break;
            }
        }
        for (const char state : next) any = any || state;
        if (!any) return false;
        spread(next, at + 1);
        reached.swap(next);
    }
    return reached[steps.size()] != 0;
}

bool IsAddressableName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    if (name.find_first_of(kForbiddenInNames) != std::wstring_view::npos) return false;
    return name.back() != L'.' && name.back() != L' ';
}

bool IsAddressableFolderPath(std::wstring_view folder) {
    std::wstring_view parts;
    const bool driveLetter = folder.size() >= 3 && ((folder[0] >= L'A' && folder[0] <= L'Z') ||
                                                     (folder[0] >= L'a' && folder[0] <= L'z'));
    if (driveLetter && folder[1] == L':' && folder[2] == L'\\') {
        parts = folder.substr(3);
    } else if (folder.size() > 2 && folder.starts_with(L"\\\\") && folder[2] != L'?' && folder[2] != L'.') {
        parts = folder.substr(2);
        if (parts.find(L'\\') == std::wstring_view::npos) return false;  // a server without a share
    } else {
        return false;
    }
    if (parts.ends_with(L'\\')) parts.remove_suffix(1);
    while (!parts.empty()) {
        const size_t separator = parts.find(L'\\');
        if (!IsAddressableName(parts.substr(0, separator))) return false;
        if (separator == std::wstring_view::npos) break;
        parts.remove_prefix(separator + 1);
    }
    return true;
}

ExtensionFault CheckNewExtension(std::wstring_view extension) {
    for (const wchar_t c : extension)
        if (IsControlCharacter(c) || kForbiddenInNames.find(c) != std::wstring_view::npos)
            return ExtensionFault::ForbiddenCharacter;
    if (!extension.empty() && extension.find_first_not_of(L' ') == std::wstring_view::npos)
        return ExtensionFault::OnlyBlanks;
    if (!extension.empty() && (extension.back() == L'.' || extension.back() == L' '))
        return ExtensionFault::EndsInDotOrBlank;
    // Even a name of nothing but the dot and the extension would be too long.
    if (extension.size() + 1 > kMaxNameLength) return ExtensionFault::TooLong;
    return ExtensionFault::None;
}

}  // namespace morvane
