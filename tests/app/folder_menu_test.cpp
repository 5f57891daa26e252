#include "app/folder_menu.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "common/registry_backup.h"
#include "common/ui_driver.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::MessageOf;
using test::PutRegistryText;
using test::RedirectedRoot;
using test::RegistryKeyExists;
using test::RegistryText;

bool RealVerbExists() { return RegistryKeyExists(HKEY_CLASSES_ROOT, L"Folder\\shell\\extention"); }

const std::wstring kVerb = L"Folder\\shell\\extention";
const std::wstring kCommand = L"Folder\\shell\\extention\\command";
// The same keys among the current user's own classes.
const std::wstring kUserVerb = L"Software\\Classes\\" + kVerb;
const std::wstring kUserCommand = L"Software\\Classes\\" + kCommand;

TEST(FolderMenu, RegistersOverwritesAndRemovesExactlyItsKeys) {
    const bool realBefore = RealVerbExists();
    {
        RedirectedRoot root(HKEY_CLASSES_ROOT, L"classes");
        RedirectedRoot user(HKEY_CURRENT_USER, L"user");
        PutRegistryText(root.Key(), L"Folder\\shell\\open", L"", L"開く(&O)");
        EXPECT_FALSE(FolderMenuRegistered());

        RegisterFolderMenu(L"C:\\Program Files\\Morvane\\Morvane.exe");
        EXPECT_TRUE(FolderMenuRegistered());
        EXPECT_EQ(RegistryText(root.Key(), kVerb, L""), L"拡張子一括変更(&E)");
        EXPECT_EQ(RegistryText(root.Key(), kCommand, L""), L"\"C:\\Program Files\\Morvane\\Morvane.exe\" \"%1\"");
        EXPECT_FALSE(RegistryKeyExists(user.Key(), L"Software\\Classes"));  // the classes root took it

        UnregisterFolderMenu();
        EXPECT_FALSE(FolderMenuRegistered());
        EXPECT_FALSE(RegistryKeyExists(root.Key(), kCommand));
        EXPECT_FALSE(RegistryKeyExists(root.Key(), kVerb));
        EXPECT_TRUE(RegistryKeyExists(root.Key(), L"Folder\\shell"));
        EXPECT_EQ(RegistryText(root.Key(), L"Folder\\shell\\open", L""), L"開く(&O)");
        UnregisterFolderMenu();  // nothing left to remove: silent
        EXPECT_EQ(RegistryText(root.Key(), L"Folder\\shell\\open", L""), L"開く(&O)");

        // Keys left by a copy of the program elsewhere, deeper ones too: overwritten, then all gone.
        PutRegistryText(root.Key(), kVerb, L"", L"old");
        PutRegistryText(root.Key(), kCommand, L"", L"D:\\old\\Morvane.exe \"%1\"");
        PutRegistryText(root.Key(), kCommand + L"\\deeper", L"", L"x");
        EXPECT_TRUE(FolderMenuRegistered());
        RegisterFolderMenu(L"C:\\データ表\\Morvane.exe");
        EXPECT_EQ(RegistryText(root.Key(), kVerb, L""), L"拡張子一括変更(&E)");
        EXPECT_EQ(RegistryText(root.Key(), kCommand, L""), L"\"C:\\データ表\\Morvane.exe\" \"%1\"");
        UnregisterFolderMenu();
        EXPECT_FALSE(RegistryKeyExists(root.Key(), kVerb));
    }
    // The real classes root is as it was.
    EXPECT_EQ(RealVerbExists(), realBefore);
}

// A user without administrator rights: the classes root refuses, the user's own classes take the
// same keys with no error; the entry counts in either place, and removing takes it from both.
TEST(FolderMenu, WhereTheClassesRootRefusesTheUsersOwnClassesHoldTheEntry) {
    RedirectedRoot root(HKEY_CLASSES_ROOT, L"classes");
    RedirectedRoot user(HKEY_CURRENT_USER, L"user");
    PutRegistryText(user.Key(), L"Software\\Classes\\Folder\\shell\\open", L"", L"開く(&O)");

    // Left by an earlier run in each place: either one is an entry, and both go.
    PutRegistryText(user.Key(), kUserCommand, L"", L"\"D:\\old\\Morvane.exe\" \"%1\"");
    EXPECT_TRUE(FolderMenuRegistered());
    PutRegistryText(root.Key(), kCommand, L"", L"\"D:\\old\\Morvane.exe\" \"%1\"");
    UnregisterFolderMenu();
    EXPECT_FALSE(RegistryKeyExists(root.Key(), kVerb));
    EXPECT_FALSE(RegistryKeyExists(user.Key(), kUserVerb));
    EXPECT_FALSE(FolderMenuRegistered());

    root.Refuse();
    EXPECT_EQ(MessageOf([] { RegisterFolderMenu(L"C:\\データ表\\Morvane.exe"); }), L"(no error)");
    EXPECT_EQ(RegistryText(user.Key(), kUserVerb, L""), L"拡張子一括変更(&E)");
    EXPECT_EQ(RegistryText(user.Key(), kUserCommand, L""), L"\"C:\\データ表\\Morvane.exe\" \"%1\"");
    EXPECT_TRUE(FolderMenuRegistered());

    UnregisterFolderMenu();
    EXPECT_FALSE(RegistryKeyExists(user.Key(), kUserVerb));
    EXPECT_EQ(RegistryText(user.Key(), L"Software\\Classes\\Folder\\shell\\open", L""), L"開く(&O)");
    EXPECT_FALSE(FolderMenuRegistered());
}

TEST(FolderMenu, ARefusingRegistryIsReportedOnlyWhenRegistering) {
    RedirectedRoot root(HKEY_CLASSES_ROOT, L"classes");
    RedirectedRoot user(HKEY_CURRENT_USER, L"user");
    RegisterFolderMenu(L"C:\\Morvane.exe");
    // Neither the classes root nor the user's own classes take a key now.
    root.Refuse();
    user.Refuse();
    EXPECT_EQ(MessageOf([] { RegisterFolderMenu(L"C:\\Morvane.exe"); }), L"'' の設定に失敗しました");
    EXPECT_EQ(MessageOf([] { UnregisterFolderMenu(); }), L"(no error)");
    EXPECT_FALSE(FolderMenuRegistered());
}

}  // namespace
}  // namespace morvane
