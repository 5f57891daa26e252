#include "common/registry_backup.h"

#include <gtest/gtest.h>

namespace morvane::test {

bool RegistryKeyExists(HKEY root, const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

namespace {

void DeleteKey(HKEY root, const std::wstring& path) {
    RegDeleteTreeW(root, path.c_str());
    RegDeleteKeyW(root, path.c_str());
}

// Copies a whole key tree; the target is created.
bool CopyKey(HKEY root, const std::wstring& from, HKEY targetRoot, const std::wstring& to) {
    HKEY source, target;
    if (RegOpenKeyExW(root, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return false;
    const bool created = RegCreateKeyExW(targetRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                                         nullptr) == ERROR_SUCCESS;
    const bool copied = created && RegCopyTreeW(source, nullptr, target) == ERROR_SUCCESS;
    if (created) RegCloseKey(target);
    RegCloseKey(source);
    return copied;
}

}  // namespace

RegistryBackup::RegistryBackup(HKEY root, std::wstring path)
    : root_(root),
      path_(std::move(path)),
      backup_(L"MorvaneTestBackup\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::to_wstring(reinterpret_cast<UINT_PTR>(this))),
      existed_(RegistryKeyExists(root_, path_)) {
    if (!existed_) return;
    if (!CopyKey(root_, path_, HKEY_CURRENT_USER, backup_)) ADD_FAILURE() << "cannot set a registry key aside";
    DeleteKey(root_, path_);
}

RegistryBackup::~RegistryBackup() {
    DeleteKey(root_, path_);
    if (existed_) {
        CopyKey(HKEY_CURRENT_USER, backup_, root_, path_);
        DeleteKey(HKEY_CURRENT_USER, backup_);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, L"MorvaneTestBackup");  // only once it is empty
}

RedirectedRoot::RedirectedRoot(HKEY predefined, const std::wstring& name)
    : predefined_(predefined), name_(name + L"-" + std::to_wstring(GetCurrentProcessId())) {
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"MorvaneTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parent_,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyExW(parent_, name_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegOverridePredefKey(predefined_, key_), ERROR_SUCCESS);
}

RedirectedRoot::~RedirectedRoot() {
    RegOverridePredefKey(predefined_, nullptr);
    RegCloseKey(key_);
    Refuse();
    RegCloseKey(parent_);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"MorvaneTest");  // only succeeds once it is empty
}

void RedirectedRoot::Refuse() { DeleteKey(parent_, name_); }

void PutRegistryText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text) {
    EXPECT_EQ(RegSetKeyValueW(root, key.c_str(), name.empty() ? nullptr : name.c_str(), REG_SZ, text.c_str(),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

std::wstring RegistryText(HKEY root, const std::wstring& key, const std::wstring& name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(root, key.c_str(), name.empty() ? nullptr : name.c_str(), RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS)
        return L"(missing)";
    return text;
}

}  // namespace morvane::test
