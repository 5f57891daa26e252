#include "shellctl/file_types.h"

#include "shellctl/file_texts.h"
#include "ui/handles.h"

namespace morvane {

namespace {

// Types whose files carry their own icons, or whose icon the shell draws from the file pointed at.
constexpr const wchar_t* kOwnIconTypes[] = {L".EXE", L".SCR", L".CPL", L".ICO", L".CUR",
                                            L".ANI", L".LNK", L".URL", L".PIF"};

// The default value of a key under the classes root; empty when there is none.
std::wstring DefaultValue(const std::wstring& key) {
    wchar_t text[MAX_PATH] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

bool KeyExists(const std::wstring& key) {
    UniqueRegKey opened;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, opened.Receive()) == ERROR_SUCCESS;
}

// Whether the class key gives each file an icon of its own.
bool IconPerFile(const std::wstring& classKey) {
    return DefaultValue(classKey + L"\\DefaultIcon").find(L"%1") != std::wstring::npos ||
           KeyExists(classKey + L"\\shellex\\IconHandler");
}

}  // namespace

bool IsPlainFolder(const WIN32_FIND_DATAW& found) {
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(found.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM)) && found.cFileName[0];
}

bool IconSharedByType(const std::wstring& extension) {
    for (const wchar_t* type : kOwnIconTypes)
        if (extension == type) return false;
    if (extension.empty()) return true;
    if (IconPerFile(extension) || IconPerFile(L"SystemFileAssociations\\" + extension)) return false;
    const std::wstring programId = DefaultValue(extension);
    return programId.empty() || !IconPerFile(programId);
}

TypeLooks::Entry& TypeLooks::EntryFor(const std::wstring& fileName) {
    const std::wstring upper = UpperExtension(fileName);
    const auto [entry, added] = entries_.try_emplace(fileName.substr(fileName.size() - upper.size()));
    if (added) entry->second.Shared = IconSharedByType(upper);
    return entry->second;
}

const TypeLooks::Look* TypeLooks::Find(const std::wstring& fileName) {
    const Entry& entry = EntryFor(fileName);
    return entry.Shared && entry.Known ? &entry.Shown : nullptr;
}

void TypeLooks::Remember(const std::wstring& fileName, Look look) {
    Entry& entry = EntryFor(fileName);
    if (!entry.Shared) return;
    entry.Known = true;
    entry.Shown = std::move(look);
}

void TypeLooks::RememberFolder(Look look) {
    folderKnown_ = true;
    folder_ = std::move(look);
}

std::wstring_view FileNameStem(std::wstring_view name) {
    const size_t dot = name.rfind(L'.');
    return dot == std::wstring_view::npos || dot == 0 ? name : name.substr(0, dot);
}

std::optional<std::wstring_view> ShownNames::Find(std::wstring_view fileName) const {
    if (!learn_) return std::nullopt;
    const auto rule = rules_.find(UpperExtension(fileName));
    if (rule == rules_.end() || rule->second.Shown == Rule::EachItsOwn || rule->second.Seen < 2) return std::nullopt;
    return rule->second.Shown == Rule::Whole ? fileName : FileNameStem(fileName);
}

void ShownNames::Remember(std::wstring_view fileName, std::wstring_view shown) {
    if (!learn_) return;
    const Rule rule = shown == fileName ? Rule::Whole : shown == FileNameStem(fileName) ? Rule::Stem : Rule::EachItsOwn;
    const auto [known, added] = rules_.try_emplace(UpperExtension(fileName), Learned{rule});
    if (added) return;
    // Two files of one type shown by different rules: the type is asked file by file.
    if (known->second.Shown != rule) known->second.Shown = Rule::EachItsOwn;
    ++known->second.Seen;
}

}  // namespace morvane
