#pragma once
// The program's settings under HKEY_CURRENT_USER. Every value is a registry string; integers are
// stored as decimal text and booleans as "0" or "1". A section is a subkey of the opened key.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "ui/error.h"
#include "ui/handles.h"

namespace morvane {

// The key every setting of the program lives under, and the program's own section of it.
inline constexpr std::wstring_view kSettingsKey = L"Halvik";
inline constexpr std::wstring_view kSettingsSection = L"Morvane";

// How a settings object opens its key: creating it (a failure is an error), or for reading only
// what is there, where a key that cannot be created reads as empty (writes then fail).
enum class KeyAccess { Create, ReadWhatIsThere };

class Settings {
public:
    // Opens the key path under HKEY_CURRENT_USER, creating it when missing.
    explicit Settings(std::wstring_view keyPath, KeyAccess access = KeyAccess::Create);

    // Readers give the default for a missing section or value and for an integer that does not
    // parse; a value of another registry type than a string is an error.
    std::wstring ReadString(std::wstring_view section, std::wstring_view name,
                            std::wstring_view defaultValue) const;
    int ReadInteger(std::wstring_view section, std::wstring_view name, int defaultValue) const;
    bool ReadBool(std::wstring_view section, std::wstring_view name, bool defaultValue) const;

    // Writers create the section when it is missing.
    void WriteString(std::wstring_view section, std::wstring_view name, std::wstring_view value);
    void WriteInteger(std::wstring_view section, std::wstring_view name, int value);
    void WriteBool(std::wstring_view section, std::wstring_view name, bool value);

private:
    UniqueRegKey key_;
};

// Restore and store a window's placement in the subkey of Halvik\Morvane named after its class.
// A visible window takes the stored show command at once; a hidden one stays hidden, takes only
// its positions, and the show command to first show it with is returned. A value that cannot be
// read keeps its field as it was and goes to the report, and the other fields are applied all the
// same; without a report the first such error is thrown once the placement is applied.
int LoadFormPlacement(HWND window, const std::function<void(const Error&)>& reportUnreadable = {});
void SaveFormPlacement(HWND window);

}  // namespace morvane
