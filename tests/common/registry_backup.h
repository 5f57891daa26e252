#pragma once
// Sets a registry key aside for a test: the key (with everything below it) is moved to a backup
// place and comes back, as it was, when the test ends. Without a key before, none is left after.
#include <windows.h>

#include <string>

namespace morvane::test {

class RegistryBackup {
public:
    RegistryBackup(HKEY root, std::wstring path);
    ~RegistryBackup();
    RegistryBackup(const RegistryBackup&) = delete;
    RegistryBackup& operator=(const RegistryBackup&) = delete;

private:
    HKEY root_;
    std::wstring path_;
    std::wstring backup_;
    bool existed_ = false;
};

// Writes a string value, creating the key.
void PutRegistryText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text);
// A string value, or the marker text "(missing)".
std::wstring RegistryText(HKEY root, const std::wstring& key, const std::wstring& name);

}  // namespace morvane::test
