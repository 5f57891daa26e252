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

// Writes the default value of a key under the classes root, creating the key when missing.
void WriteDefaultValue(const wchar_t* keyPath, const std::wstring& text) {
    UniqueRegKey key;
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(),
                        nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes) !=
            ERROR_SUCCESS)
        throw Error(L"'' の設定に失敗しました");  // the default value has an empty name
}

}  // namespace

bool FolderMenuRegistered() {
    UniqueRegKey key;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, kVerbKey, 0, KEY_ALL_ACCESS, key.Receive()) == ERROR_SUCCESS;
}

void RegisterFolderMenu(const std::wstring& exePath) {
    WriteDefaultValue(kVerbKey, kCaption);
    WriteDefaultValue(kCommandKey, FolderMenuCommand(exePath));
}

void UnregisterFolderMenu() {
    UniqueRegKey shell;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kShellKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, shell.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    // Subkeys first, depth first, then the verb itself; whatever is refused stays, unreported.
    RegDeleteTreeW(shell.Get(), kVerbName);
}

std::wstring FolderMenuCommand(std::wstring_view exePath) {
    return L"\"" + std::wstring(exePath) + L"\" \"%1\"";
}

}  // namespace morvane
