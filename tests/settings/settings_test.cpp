#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/ui_driver.h"
#include "ui/error.h"

namespace morvane {
namespace {

using test::MessageOf;

// A key under HKEY_CURRENT_USER of this test alone, removed with everything in it afterwards.
class TestKey {
public:
    TestKey() : path_(L"MorvaneTest\\run-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                      std::to_wstring(counter_++)) {}
    ~TestKey() {
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"MorvaneTest");  // only succeeds once it is empty
    }
    const std::wstring& Path() const { return path_; }
    std::wstring Sub(std::wstring_view section) const { return path_ + L"\\" + std::wstring(section); }

private:
    static inline int counter_ = 0;
    std::wstring path_;
};

bool KeyExists(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

DWORD SubkeyCount(const std::wstring& path) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD count = 0;
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return count;
}

// What the registry really holds: the type and the text of a string value.
struct RawValue {
    DWORD type = 0;
    std::wstring text;
};

std::optional<RawValue> Raw(const std::wstring& keyPath, const wchar_t* name) {
    wchar_t buffer[512] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &type,
                     buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return RawValue{type, buffer};
}

void PutRaw(const std::wstring& keyPath, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, keyPath.c_str(), name, type, data, size), ERROR_SUCCESS);
}

void PutText(const std::wstring& keyPath, const wchar_t* name, const std::wstring& text) {
    PutRaw(keyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

TEST(Settings, OpeningCreatesTheKeyAndMissingValuesGiveDefaults) {
    TestKey key;
    ASSERT_FALSE(KeyExists(key.Path()));
    const Settings settings(key.Path());
    EXPECT_TRUE(KeyExists(key.Path()));

    EXPECT_EQ(settings.ReadString(L"Morvane", L"ExtFrom", L"すべて"), L"すべて");
    EXPECT_EQ(settings.ReadInteger(L"Morvane", L"FileView", 3), 3);
    EXPECT_TRUE(settings.ReadBool(L"Morvane", L"Wild", true));
    EXPECT_FALSE(settings.ReadBool(L"Morvane", L"Wild", false));
    // Reading a missing section creates nothing.
    EXPECT_EQ(SubkeyCount(key.Path()), 0u);
}

TEST(Settings, StringsRoundTripUnchanged) {
    TestKey key;
    Settings settings(key.Path());
    for (const wchar_t* text : {L"C:\\データ表", L"ﾌﾟﾛﾊﾟﾃｨ", L"", L" spaced ", L"한글\U0001F600"}) {
        settings.WriteString(L"Morvane", L"Directory", text);
        EXPECT_EQ(settings.ReadString(L"Morvane", L"Directory", L"default"), text);
        EXPECT_EQ(Raw(key.Sub(L"Morvane"), L"Directory")->type, static_cast<DWORD>(REG_SZ));
    }
    // An empty stored string is a value, not a missing one.
    EXPECT_EQ(settings.ReadString(L"Morvane", L"Directory", L"default"), L"한글\U0001F600");
}

TEST(Settings, IntegersAndBooleansAreStoredAsText) {
    TestKey key;
    Settings settings(key.Path());
    settings.WriteInteger(L"Morvane", L"FileView", -5);
    EXPECT_EQ(Raw(key.Sub(L"Morvane"), L"FileView")->text, L"-5");
    EXPECT_EQ(Raw(key.Sub(L"Morvane"), L"FileView")->type, static_cast<DWORD>(REG_SZ));
    settings.WriteBool(L"Morvane", L"Wild", true);
    EXPECT_EQ(Raw(key.Sub(L"Morvane"), L"Wild")->text, L"1");
    settings.WriteBool(L"Morvane", L"Wild", false);
    EXPECT_EQ(Raw(key.Sub(L"Morvane"), L"Wild")->text, L"0");

    for (int value : {0, 7, -5, INT_MAX, INT_MIN}) {
        settings.WriteInteger(L"Morvane", L"Meisai", value);
        EXPECT_EQ(settings.ReadInteger(L"Morvane", L"Meisai", 99), value);
    }
}

TEST(Settings, ParsesStoredIntegerText) {
    TestKey key;
    const Settings settings(key.Path());
    const struct {
        const wchar_t* stored;
        int read;  // with the default 99
    } cases[] = {
        {L"0x2", 2},     {L"0X1f", 31},        {L"-5", -5},         {L"+7", 7},
        {L"7a", 99},     {L"", 99},            {L"0x", 99},         {L"0xZZ", 99},
        {L"x", 99},      {L"-", 99},           {L" 5", 99},         {L"99999999999", 99},
        {L"2147483647", INT_MAX}, {L"-2147483648", INT_MIN}, {L"0xFFFFFFFF", -1}, {L"0x100000000", 99},
        {L"0", 0},       {L"007", 7},
    };
    for (const auto& c : cases) {
        PutText(key.Sub(L"Morvane"), L"FileView", c.stored);
        EXPECT_EQ(settings.ReadInteger(L"Morvane", L"FileView", 99), c.read) << c.stored;
    }

    PutText(key.Sub(L"Morvane"), L"Wild", L"2");
    EXPECT_TRUE(settings.ReadBool(L"Morvane", L"Wild", false));
    PutText(key.Sub(L"Morvane"), L"Wild", L"0");
    EXPECT_FALSE(settings.ReadBool(L"Morvane", L"Wild", true));
    PutText(key.Sub(L"Morvane"), L"Wild", L"yes");
    EXPECT_TRUE(settings.ReadBool(L"Morvane", L"Wild", true));
    EXPECT_FALSE(settings.ReadBool(L"Morvane", L"Wild", false));
}

TEST(Settings, ValuesOfAnotherTypeAreAnError) {
    TestKey key;
    const Settings settings(key.Path());
    const DWORD number = 1;
    PutRaw(key.Sub(L"Morvane"), L"Meisai", REG_DWORD, &number, sizeof number);
    const std::wstring expected = L"'Meisai' のﾃﾞｰﾀ型が不正です";
    EXPECT_EQ(MessageOf([&] { settings.ReadInteger(L"Morvane", L"Meisai", 1); }), expected);
    EXPECT_EQ(MessageOf([&] { settings.ReadString(L"Morvane", L"Meisai", L""); }), expected);
    EXPECT_EQ(MessageOf([&] { settings.ReadBool(L"Morvane", L"Meisai", true); }), expected);

    // An expandable string is read as it is stored.
    const std::wstring expandable = L"%TEMP%\\x";
    PutRaw(key.Sub(L"Morvane"), L"Directory", REG_EXPAND_SZ, expandable.c_str(),
           static_cast<DWORD>((expandable.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(settings.ReadString(L"Morvane", L"Directory", L""), expandable);
    // A string stored without its terminator reads whole.
    PutRaw(key.Sub(L"Morvane"), L"ExtTo", REG_SZ, L"AIFF", 4 * sizeof(wchar_t));
    EXPECT_EQ(settings.ReadString(L"Morvane", L"ExtTo", L""), L"AIFF");
    // A long string is read whole.
    const std::wstring longText(5000, L'表');
    PutText(key.Sub(L"Morvane"), L"Directory", longText);
    EXPECT_EQ(settings.ReadString(L"Morvane", L"Directory", L""), longText);
}

TEST(Settings, RefusedWritesAndKeysAreErrors) {
    TestKey key;
    Settings settings(key.Path());
    settings.WriteString(L"", L"Top", L"x");
    EXPECT_EQ(settings.ReadString(L"", L"Top", L""), L"x");

    // Take the opened key away underneath the settings object: the registry refuses from then on.
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key.Path().c_str()), ERROR_SUCCESS);
    EXPECT_EQ(MessageOf([&] { settings.WriteInteger(L"", L"Meisai", 1); }), L"'Meisai' の設定に失敗しました");
    EXPECT_EQ(MessageOf([&] { settings.WriteString(L"Morvane", L"ExtTo", L"bak"); }),
              L"ｷｰ Morvane の作成に失敗しました");
    EXPECT_FALSE(KeyExists(key.Path()));

    // Below a volatile key no lasting key can be made: opened to read what is there, such a key
    // reads as empty and only its writes fail.
    HKEY parent;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.Path().c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    EXPECT_EQ(MessageOf([&] { Settings(key.Sub(L"Halvik")); }), L"ｷｰ " + key.Sub(L"Halvik") + L" の作成に失敗しました");
    Settings reading(key.Sub(L"Halvik"), KeyAccess::ReadWhatIsThere);
    EXPECT_EQ(reading.ReadInteger(L"Morvane", L"Meisai", 7), 7);
    EXPECT_EQ(reading.ReadString(L"", L"Top", L"none"), L"none");
    EXPECT_EQ(MessageOf([&] { reading.WriteInteger(L"Morvane", L"Meisai", 1); }), L"ｷｰ Morvane の作成に失敗しました");
}

// A top-level window of a class of its own, for placement round trips.
class ProbeWindow {
public:
    static constexpr const wchar_t* kClass = L"MorvanePlacementProbe";
    ProbeWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, kClass, L"probe", WS_OVERLAPPEDWINDOW, 120, 80, 400, 300, nullptr,
                                nullptr, wc.hInstance, nullptr);
    }
    ~ProbeWindow() { DestroyWindow(hwnd_); }
    HWND Get() const { return hwnd_; }
    RECT Bounds() const {
        RECT r;
        GetWindowRect(hwnd_, &r);
        return r;
    }

private:
    HWND hwnd_;
};

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Removes what the placement tests add under the program's own key, and the key if it was new.
class ProgramKeyGuard {
public:
    ProgramKeyGuard() : existed_(KeyExists(L"Halvik")) {}
    ~ProgramKeyGuard() {
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Halvik\\Morvane\\") + ProbeWindow::kClass).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(L"Halvik\\Morvane\\") + ProbeWindow::kClass).c_str());
        if (!existed_) RegDeleteTreeW(HKEY_CURRENT_USER, L"Halvik"), RegDeleteKeyW(HKEY_CURRENT_USER, L"Halvik");
    }

private:
    bool existed_;
};

TEST(FormPlacement, FirstLoadKeepsTheDesignedBounds) {
    ProgramKeyGuard guard;
    ProbeWindow window;
    const RECT designed = window.Bounds();
    EXPECT_EQ(LoadFormPlacement(window.Get()), SW_SHOWNORMAL);
    EXPECT_TRUE(window.Bounds() == designed);
    EXPECT_FALSE(IsWindowVisible(window.Get()));
    EXPECT_TRUE(KeyExists(L"Halvik\\Morvane"));
}

TEST(FormPlacement, SaveThenLoadRestoresTheBounds) {
    ProgramKeyGuard guard;
    ProbeWindow window;
    SetWindowPos(window.Get(), nullptr, 150, 90, 500, 350, SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT saved = window.Bounds();
    SaveFormPlacement(window.Get());

    const std::wstring section = std::wstring(L"Halvik\\Morvane\\") + ProbeWindow::kClass;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window.Get(), &placement);
    EXPECT_EQ(Raw(section, L"PlaceNormalPos.Left")->text, std::to_wstring(placement.rcNormalPosition.left));
    EXPECT_EQ(Raw(section, L"PlaceNormalPos.Bottom")->text,
              std::to_wstring(placement.rcNormalPosition.bottom));
    EXPECT_EQ(Raw(section, L"PlaceShowCmd")->text, std::to_wstring(placement.showCmd));
    for (const wchar_t* name : {L"PlaceFlags", L"PlaceMinPos.X", L"PlaceMinPos.Y", L"PlaceMaxPos.X",
                                L"PlaceMaxPos.Y", L"PlaceNormalPos.Top", L"PlaceNormalPos.Right"})
        EXPECT_TRUE(Raw(section, name).has_value()) << name;

    SetWindowPos(window.Get(), nullptr, 10, 20, 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(LoadFormPlacement(window.Get()), SW_SHOWNORMAL);
    EXPECT_TRUE(window.Bounds() == saved);
    EXPECT_FALSE(IsWindowVisible(window.Get()));

    // A window closed maximized: the hidden window keeps its restored bounds and learns how to
    // show itself; a visible one is maximized at once.
    PutText(section, L"PlaceShowCmd", std::to_wstring(SW_SHOWMAXIMIZED));
    EXPECT_EQ(LoadFormPlacement(window.Get()), SW_SHOWMAXIMIZED);
    EXPECT_TRUE(window.Bounds() == saved);
    EXPECT_FALSE(IsWindowVisible(window.Get()));
    ShowWindow(window.Get(), SW_SHOWNORMAL);
    LoadFormPlacement(window.Get());
    EXPECT_TRUE(IsZoomed(window.Get()));

    // A value of the wrong type is reported with the error box's message and keeps its field; the
    // other values are applied all the same.
    PutText(section, L"PlaceShowCmd", std::to_wstring(SW_SHOWNORMAL));
    const DWORD number = 5;
    PutRaw(section, L"PlaceMinPos.X", REG_DWORD, &number, sizeof number);
    PutRaw(section, L"PlaceMaxPos.Y", REG_DWORD, &number, sizeof number);
    ProbeWindow fresh;
    std::vector<std::wstring> reported;
    LoadFormPlacement(fresh.Get(), [&](const Error& error) { reported.push_back(error.Message()); });
    EXPECT_EQ(reported, (std::vector<std::wstring>{L"'PlaceMinPos.X' のﾃﾞｰﾀ型が不正です",
                                                   L"'PlaceMaxPos.Y' のﾃﾞｰﾀ型が不正です"}));
    EXPECT_TRUE(fresh.Bounds() == saved);
    // Without a report the first one is thrown, once the rest is applied.
    ProbeWindow another;
    EXPECT_EQ(MessageOf([&] { LoadFormPlacement(another.Get()); }), L"'PlaceMinPos.X' のﾃﾞｰﾀ型が不正です");
    EXPECT_TRUE(another.Bounds() == saved);
}

}  // namespace
}  // namespace morvane
