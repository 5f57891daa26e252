#include "settings/settings.h"

#include <algorithm>

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/error.h"

namespace morvane {

namespace {

std::wstring Quoted(std::wstring_view name) { return L"'" + std::wstring(name) + L"'"; }

[[noreturn]] void ThrowWrongType(std::wstring_view name) {
    throw Error(Quoted(name) + L" のﾃﾞｰﾀ型が不正です");
}
[[noreturn]] void ThrowWriteFailed(std::wstring_view name) {
    throw Error(Quoted(name) + L" の設定に失敗しました");
}
[[noreturn]] void ThrowKeyNotCreated(std::wstring_view key) {
    throw Error(L"ｷｰ " + std::wstring(key) + L" の作成に失敗しました");
}

UniqueRegKey CreateKey(HKEY parent, std::wstring_view path) {
    UniqueRegKey key;
    if (RegCreateKeyExW(parent, std::wstring(path).c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        ThrowKeyNotCreated(path);
    return key;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Decimal with an optional sign, or hexadecimal after "0x"/"0X" (up to 32 bits, taken as signed).
std::optional<int> ParseStoredInteger(std::wstring_view text) {
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        uint64_t value = 0;
        for (wchar_t c : text.substr(2)) {
            const int digit = HexDigit(c);
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(digit);
            if (value > UINT32_MAX) return std::nullopt;
        }
        return static_cast<int>(static_cast<uint32_t>(value));
    }
    const bool negative = !text.empty() && text[0] == L'-';
    if (!text.empty() && (text[0] == L'-' || text[0] == L'+')) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + (c - L'0');
        if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<int>(value);
}

// The stored text of a value, or nothing when its section or the value is missing.
std::optional<std::wstring> ReadStoredText(HKEY root, std::wstring_view section,
                                           std::wstring_view name) {
    if (!root) return std::nullopt;  // a key that could not be made holds nothing
    UniqueRegKey opened;
    HKEY key = root;
    if (!section.empty()) {
        if (RegOpenKeyExW(root, std::wstring(section).c_str(), 0, KEY_READ, opened.Receive()) !=
            ERROR_SUCCESS)
            return std::nullopt;
        key = opened.Get();
    }
    const std::wstring valueName(name);
    std::vector<BYTE> data(256);
    for (;;) {
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status =
            RegQueryValueExW(key, valueName.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) {
            data.resize(size + sizeof(wchar_t));
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        if (type != REG_SZ && type != REG_EXPAND_SZ) ThrowWrongType(name);
        std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
        // The stored terminator (or several, or none) is not part of the text.
        text.resize(wcsnlen(text.c_str(), text.size()));
        return text;
    }
}

}  // namespace

Settings::Settings(std::wstring_view keyPath, KeyAccess access) {
    try {
        key_ = CreateKey(HKEY_CURRENT_USER, keyPath);
    } catch (const Error&) {
        if (access == KeyAccess::Create) throw;
        // Nothing to read is no reason to report: the writes that need the key will.
        RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(keyPath).c_str(), 0, KEY_READ, key_.Receive());
    }
}

std::wstring Settings::ReadString(std::wstring_view section, std::wstring_view name,
                                  std::wstring_view defaultValue) const {
    return ReadStoredText(key_.Get(), section, name).value_or(std::wstring(defaultValue));
}

int Settings::ReadInteger(std::wstring_view section, std::wstring_view name,
                          int defaultValue) const {
    const std::optional<std::wstring> text = ReadStoredText(key_.Get(), section, name);
    if (!text) return defaultValue;
    return ParseStoredInteger(*text).value_or(defaultValue);
}

bool Settings::ReadBool(std::wstring_view section, std::wstring_view name,
                        bool defaultValue) const {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void Settings::WriteString(std::wstring_view section, std::wstring_view name,
                           std::wstring_view value) {
    UniqueRegKey created;
    HKEY key = key_.Get();
    if (!section.empty()) {
        created = CreateKey(key_.Get(), section);
        key = created.Get();
    }
    const std::wstring text(value);
    const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key, std::wstring(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(text.c_str()), bytes) != ERROR_SUCCESS)
        ThrowWriteFailed(name);
}

void Settings::WriteInteger(std::wstring_view section, std::wstring_view name, int value) {
    WriteString(section, name, std::to_wstring(value));
}

void Settings::WriteBool(std::wstring_view section, std::wstring_view name, bool value) {
    WriteString(section, name, value ? L"1" : L"0");
}

namespace {

std::wstring ProgramKeyPath() {
    return std::wstring(kSettingsKey) + L'\\' + std::wstring(kSettingsSection);
}

std::wstring ClassNameOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

// Calls visit(value name, field) for the ten stored fields of a placement, in stored order.
template <typename Visit>
void ForEachPlacementField(WINDOWPLACEMENT& placement, Visit visit) {
    visit(L"PlaceFlags", placement.flags);
    visit(L"PlaceShowCmd", placement.showCmd);
    visit(L"PlaceMinPos.X", placement.ptMinPosition.x);
    visit(L"PlaceMinPos.Y", placement.ptMinPosition.y);
    visit(L"PlaceMaxPos.X", placement.ptMaxPosition.x);
    visit(L"PlaceMaxPos.Y", placement.ptMaxPosition.y);
    visit(L"PlaceNormalPos.Left", placement.rcNormalPosition.left);
    visit(L"PlaceNormalPos.Top", placement.rcNormalPosition.top);
    visit(L"PlaceNormalPos.Right", placement.rcNormalPosition.right);
    visit(L"PlaceNormalPos.Bottom", placement.rcNormalPosition.bottom);
}

WINDOWPLACEMENT CurrentPlacement(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement;
}

// A window stored on a monitor that is gone comes back into the nearest work area, whole where
// it fits; one stored minimized starts as a normal window.
void KeepInView(WINDOWPLACEMENT& placement) {
    if (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE ||
        placement.showCmd == SW_SHOWMINNOACTIVE || placement.showCmd == SW_FORCEMINIMIZE)
        placement.showCmd = SW_SHOWNORMAL;
    // The restored rectangle counts from the primary monitor's work area, not from the screen.
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    if (!GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) return;
    const LONG dx = primary.rcWork.left - primary.rcMonitor.left;
    const LONG dy = primary.rcWork.top - primary.rcMonitor.top;
    RECT bounds = placement.rcNormalPosition;
    OffsetRect(&bounds, dx, dy);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    RECT common;
    if (IntersectRect(&common, &bounds, &work)) return;
    const LONG width = bounds.right - bounds.left;
    const LONG height = bounds.bottom - bounds.top;
    const LONG left = std::max(work.left, std::min(bounds.left, work.right - width));
    const LONG top = std::max(work.top, std::min(bounds.top, work.bottom - height));
    placement.rcNormalPosition = RECT{left - dx, top - dy, left - dx + width, top - dy + height};
}

}  // namespace

int LoadFormPlacement(HWND window, const std::function<void(const Error&)>& reportUnreadable) {
    const Settings settings(ProgramKeyPath());
    const std::wstring section = ClassNameOf(window);
    WINDOWPLACEMENT placement = CurrentPlacement(window);
    // One value of the wrong type must not cost the other nine, or the next close would overwrite
    // them with the window's designed place.
    std::optional<Error> firstUnreadable;
    ForEachPlacementField(placement, [&](const wchar_t* name, auto& field) {
        using Field = std::remove_reference_t<decltype(field)>;
        try {
            field = static_cast<Field>(settings.ReadInteger(section, name, static_cast<int>(field)));
        } catch (const Error& error) {
            if (reportUnreadable)
                reportUnreadable(error);
            else if (!firstUnreadable)
                firstUnreadable = error;
        }
    });
    KeepInView(placement);
    const int showCommand = static_cast<int>(placement.showCmd);
    if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;
    SetWindowPlacement(window, &placement);
    if (firstUnreadable) throw *firstUnreadable;
    return showCommand;
}

void SaveFormPlacement(HWND window) {
    Settings settings(ProgramKeyPath());
    const std::wstring section = ClassNameOf(window);
    WINDOWPLACEMENT placement = CurrentPlacement(window);
    ForEachPlacementField(placement, [&](const wchar_t* name, auto& field) {
        settings.WriteInteger(section, name, static_cast<int>(field));
    });
}

}  // namespace morvane
