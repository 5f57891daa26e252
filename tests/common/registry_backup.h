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

// Points one of the process's predefined roots (the classes root, the current user's) at a fresh
// scratch key under the real HKEY_CURRENT_USER for as long as it lives, so that a test never
// touches the prefix's own keys; the root and the scratch key are restored afterwards. The scratch
// keys are made under the current user: redirect that root last.
class RedirectedRoot {
public:
    RedirectedRoot(HKEY predefined, const std::wstring& name);
    ~RedirectedRoot();
    RedirectedRoot(const RedirectedRoot&) = delete;
    RedirectedRoot& operator=(const RedirectedRoot&) = delete;

    // The scratch key, to read back what went under the root.
    HKEY Key() const { return key_; }
    // Takes the scratch key away while the root still points at it: the registry refuses every
    // later write under the root.
    void Refuse();

private:
    HKEY predefined_;
    std::wstring name_;
    HKEY parent_ = nullptr;
    HKEY key_ = nullptr;
};

bool RegistryKeyExists(HKEY root, const std::wstring& path);
// Writes a string value, creating the key.
void PutRegistryText(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text);
// A string value, or the marker text "(missing)".
std::wstring RegistryText(HKEY root, const std::wstring& key, const std::wstring& name);

}  // namespace morvane::test
