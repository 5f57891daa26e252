#include "app/folder_menu.h"

#include <windows.h>

#include "ui/error.h"
#include "ui/handles.h"

namespace morvane {

namespace {

constexpr wchar_t kShellKey[] = L"Folder\\shell";
constexpr wchar_t kVerbName[] = L"extention";
constexpr wchar_t kVerbKey[] = L"Folder\\shell\\extention";
constexpr wchar_t kCommandKey[] = L"Folder\\shell\\extention\\command";
constexpr wchar_t kCaption[] = L"拡張子一括変更(&E)";
// The current user's own classes: Windows merges them into the classes root for that user, and a
// user without administrator rights may write them.
constexpr wchar_t kUserClassesKey[] = L"Software\\Classes";

// Writes the default value of a key under a classes key, creating the key when missing.
bool WriteDefaultValue(HKEY classes, const wchar_t* keyPath, const std::wstring& text) {
    UniqueRegKey key;
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegCreateKeyExW(classes, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr) ==
               ERROR_SUCCESS &&
           RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) ==
               ERROR_SUCCESS;
}

// The verb's caption and command under one classes key; false when a key or value is refused.
bool WriteVerb(HKEY classes, const std::wstring& command) {
    return WriteDefaultValue(classes, kVerbKey, kCaption) && WriteDefaultValue(classes, kCommandKey, command);
}

bool VerbOpensWithFullAccess(HKEY classes) {
    UniqueRegKey key;
    return RegOpenKeyExW(classes, kVerbKey, 0, KEY_ALL_ACCESS, key.Receive()) == ERROR_SUCCESS;
}

void DeleteVerb(HKEY shellKey) {
    // Subkeys first, depth first, then the verb itself; whatever is refused stays, unreported.
    RegDeleteTreeW(shellKey, kVerbName);
}

}  // namespace

bool FolderMenuRegistered() {
    if (VerbOpensWithFullAccess(HKEY_CLASSES_ROOT)) return true;
    UniqueRegKey userClasses;
    return RegOpenKeyExW(HKEY_CURRENT_USER, kUserClassesKey, 0, KEY_READ, userClasses.Receive()) == ERROR_SUCCESS &&
           VerbOpensWithFullAccess(userClasses.Get());
}

void RegisterFolderMenu(const std::wstring& exePath) {
    const std::wstring command = FolderMenuCommand(exePath);
    if (WriteVerb(HKEY_CLASSES_ROOT, command)) return;
    // Most users may not write the machine's classes: the entry goes to their own, without a word.
    UniqueRegKey userClasses;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserClassesKey, 0, nullptr, 0, KEY_WRITE, nullptr, userClasses.Receive(),
                        nullptr) == ERROR_SUCCESS &&
        WriteVerb(userClasses.Get(), command))
        return;
    throw Error(L"'' の設定に失敗しました");  // the default value has an empty name
}

void UnregisterFolderMenu() {
    UniqueRegKey shell;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kShellKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, shell.Receive(),
                        nullptr) == ERROR_SUCCESS)
        DeleteVerb(shell.Get());
    // The user's own entry goes too; its keys are not made just to be emptied.
    UniqueRegKey userShell;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (std::wstring(kUserClassesKey) + L"\\" + kShellKey).c_str(), 0,
                      KEY_ALL_ACCESS, userShell.Receive()) == ERROR_SUCCESS)
        DeleteVerb(userShell.Get());
}

std::wstring FolderMenuCommand(std::wstring_view exePath) {
    return L"\"" + std::wstring(exePath) + L"\" \"%1\"";
}

}  // namespace morvane
