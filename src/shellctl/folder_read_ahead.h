#pragma once
// A folder's items read on a thread of their own while the program builds its windows: a start
// on a large folder then waits for the slower of the two, not for both one after the other.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shellctl/idlist.h"

namespace morvane {

class FolderReadAhead {
public:
    // Starts reading the folder at the full path, with the enumeration's flags. Only a folder on
    // a fixed local drive reached through no link is read ahead: another may need a window to ask
    // the user through (a medium, a password) or wait on the network, which the list's own reading
    // handles.
    FolderReadAhead(const std::wstring& path, SHCONTF flags);
    // Stops the reading and waits for the thread: it never outlives the process's shell.
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead&) = delete;
    FolderReadAhead& operator=(const FolderReadAhead&) = delete;

    // The items read, relative to the folder, when `folder` (absolute) is the folder read with
    // these flags and it could be read: the reading is waited for. Empty otherwise: the reading
    // stops at its next item, and the caller reads the folder itself. Once only.
    std::optional<std::vector<IDList>> Take(LPCITEMIDLIST folder, SHCONTF flags);
    // Until the reading has ended.
    void Wait();
    // Whether the reading has ended with the items of `folder` read with these flags: Take then
    // gives them at once. Does not wait.
    bool Holds(LPCITEMIDLIST folder, SHCONTF flags) const;

private:
    void Drop();

    struct Reading;
    static DWORD WINAPI Read(void* reading);

    std::unique_ptr<Reading> reading_;
    HANDLE thread_ = nullptr;
};

}  // namespace morvane
