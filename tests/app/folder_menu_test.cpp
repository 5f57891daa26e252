#include "app/folder_menu.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>

#include "common/ui_driver.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::MessageOf;

// Points the classes root of this process at a scratch key under HKEY_CURRENT_USER, so the tests
// never touch the prefix's real classes; the root and the scratch key are restored afterwards.
class ScratchClassesRoot {
public:
    ScratchClassesRoot() : path_(L"MorvaneTest\\classes-" + std::to_wstring(GetCurrentProcessId())) {
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, key_), ERROR_SUCCESS);
    }
    ~ScratchClassesRoot() {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegCloseKey(key_);
        Remove();
        RegDeleteKeyW(HKEY_CURRENT_USER, L"MorvaneTest");  // only succeeds once it is empty
    }
    // Takes the scratch root away while the classes root still points at it.
    void Remove() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }

    std::wstring Sub(const std::wstring& key) const { return path_ + L"\\" + key; }
    bool Exists(const std::wstring& key) const {
        HKEY opened;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, Sub(key).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
        RegCloseKey(opened);
        return true;
    }
    // The key's default value, when it is a string.
    std::optional<std::wstring> Default(const std::wstring& key) const {
        wchar_t text[512] = {};
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, Sub(key).c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return text;
    }
    void PutDefault(const std::wstring& key, const std::wstring& text) const {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Sub(key).c_str(), nullptr, REG_SZ, text.c_str(),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }

private:
    std::wstring path_;
    HKEY key_ = nullptr;
};

bool RealVerbExists() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Folder\\shell\\extention", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

const std::wstring kVerb = L"Folder\\shell\\extention";
const std::wstring kCommand = L"Folder\\shell\\extention\\command";

TEST(FolderMenu, RegistersOverwritesAndRemovesExactlyItsKeys) {
    const bool realBefore = RealVerbExists();
    {
        ScratchClassesRoot root;
        root.PutDefault(L"Folder\\shell\\open", L"開く(&O)");
        EXPECT_FALSE(FolderMenuRegistered());

        RegisterFolderMenu(L"C:\\Program Files\\Morvane\\Morvane.exe");
        EXPECT_TRUE(FolderMenuRegistered());
        EXPECT_EQ(root.Default(kVerb), L"拡張子一括変更(&E)");
        EXPECT_EQ(root.Default(kCommand), L"\"C:\\Program Files\\Morvane\\Morvane.exe\" \"%1\"");

        UnregisterFolderMenu();
        EXPECT_FALSE(FolderMenuRegistered());
        EXPECT_FALSE(root.Exists(kCommand));
        EXPECT_FALSE(root.Exists(kVerb));
        EXPECT_TRUE(root.Exists(L"Folder\\shell"));
        EXPECT_EQ(root.Default(L"Folder\\shell\\open"), L"開く(&O)");
        UnregisterFolderMenu();  // nothing left to remove: silent
        EXPECT_EQ(root.Default(L"Folder\\shell\\open"), L"開く(&O)");

        // Keys left by a copy of the program elsewhere, deeper ones too: overwritten, then all gone.
        root.PutDefault(kVerb, L"old");
        root.PutDefault(kCommand, L"D:\\old\\Morvane.exe \"%1\"");
        root.PutDefault(kCommand + L"\\deeper", L"x");
        EXPECT_TRUE(FolderMenuRegistered());
        RegisterFolderMenu(L"C:\\データ表\\Morvane.exe");
        EXPECT_EQ(root.Default(kVerb), L"拡張子一括変更(&E)");
        EXPECT_EQ(root.Default(kCommand), L"\"C:\\データ表\\Morvane.exe\" \"%1\"");
        UnregisterFolderMenu();
        EXPECT_FALSE(root.Exists(kVerb));
    }
    // The real classes root is as it was.
    EXPECT_EQ(RealVerbExists(), realBefore);
}

TEST(FolderMenu, ARefusingRegistryIsReportedOnlyWhenRegistering) {
    ScratchClassesRoot root;
    RegisterFolderMenu(L"C:\\Morvane.exe");
    root.Remove();
    EXPECT_EQ(MessageOf([] { RegisterFolderMenu(L"C:\\Morvane.exe"); }), L"'' の設定に失敗しました");
    EXPECT_EQ(MessageOf([] { UnregisterFolderMenu(); }), L"(no error)");
    EXPECT_FALSE(FolderMenuRegistered());
}

}  // namespace
}  // namespace morvane
