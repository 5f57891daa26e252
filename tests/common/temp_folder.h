#pragma once
// A real folder under the temporary folder, removed with everything in it when the test ends (a
// link in it is removed, never followed).
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane::test {

// Names of every entry of a folder, sorted, without "." and "..".
std::vector<std::wstring> NamesInFolder(const std::wstring& folder);

// Removes a folder with everything in it (a link in it is removed, never followed).
void RemoveTree(const std::wstring& folder);

// A whole file's bytes ("(missing)" when it cannot be opened), and a file written whole.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, std::string_view bytes);

// Another program holding a file open and sharing nothing, as an editor or a backup tool may.
class FileLock {
public:
    explicit FileLock(const std::wstring& path);
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    void Release();

private:
    HANDLE handle_;
};

class TempFolder {
public:
    // The folder's own name ends in the given suffix (which may be Japanese).
    explicit TempFolder(std::wstring_view suffix = L"");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring PathOf(std::wstring_view name) const;

    // Creates an empty file (or one holding the text) and sets its attributes when given.
    void AddFile(std::wstring_view name, DWORD attributes = 0, std::string_view content = {}) const;
    void AddFolder(std::wstring_view name) const;
    // An empty file made by the host's file system, under a name that Windows itself would not
    // make (sub\b.txt, a:b.txt, "trail.txt.", x.jpg beside x.JPG): only under Wine, which
    // shows such names as they are; false elsewhere.
    bool AddHostFile(std::wstring_view name) const;
    // Runs a command of the host's shell in this folder and waits until done() holds (only under
    // Wine; false elsewhere, and when done() never comes).
    bool RunOnHost(std::wstring_view command, const std::function<bool()>& done) const;
    // A link to a folder inside this one (or to this one itself, as "."): a junction, made as any
    // user can make one; under Wine, which cannot make one, a symbolic link of the host's file
    // system, which Wine shows as a reparse point. Fails the test when no link comes.
    void AddFolderLink(std::wstring_view name, std::wstring_view target) const;
    // Names of every entry, sorted, without "." and "..".
    std::vector<std::wstring> Names() const;

private:
    std::wstring path_;
};

}  // namespace morvane::test
