#pragma once
// The shell's item identifier lists and the two process-wide shell objects every browsing
// component shares: the shell allocator and the desktop folder.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstddef>
#include <string>

namespace morvane {

// ---- Allocation through the shell allocator ----
// Both fall back to the COM task allocator (which is what the shell allocator is) when no
// ShellScope is alive, so that a list outliving the shared state is still freed.
void* ShellAlloc(std::size_t bytes);  // zero-filled; nullptr when the allocator fails
void ShellFree(void* memory);         // nullptr is ignored

// ---- Helpers over lists; every list they return is a new allocation the caller owns ----
LPITEMIDLIST NextID(LPCITEMIDLIST id);
LPITEMIDLIST NextIDOrNil(LPCITEMIDLIST id);
UINT GetIDListSize(LPCITEMIDLIST list);
LPITEMIDLIST CopyFirstID(LPCITEMIDLIST list);
LPITEMIDLIST ConcatIDLists(LPCITEMIDLIST first, LPCITEMIDLIST second);
LPITEMIDLIST ConcatIDListsFree(LPITEMIDLIST first, LPITEMIDLIST second);
LPITEMIDLIST ParentIDList(LPCITEMIDLIST list);
LPITEMIDLIST LastIDList(LPCITEMIDLIST list);

// Negative: a sorts first, 0: the same item, positive: b sorts first. A failed comparison is -1,
// so that it never reads as the same item.
int CompareIDLists(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b);
// The folder's name for a list; false (and an empty name) when the shell gives none.
bool GetDisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags, std::wstring& name);
// Index in the system image list; 0 when the shell gives nothing.
int GetSysIconIndex(LPCITEMIDLIST absoluteList, UINT flags);
// The shared system image list, large or small icons; never destroyed by its users.
HIMAGELIST SystemImageList(bool smallIcons);
// The small icon of a plain folder, closed or open, from the system image list (no folder asked).
int PlainFolderImage(bool open);

// ---- The shared state ----
IMalloc* ShellMalloc();
IShellFolder* DesktopFolder();

// Starts the shared state on construction and shuts it down on destruction. Scopes nest: the
// first one alive starts it, the last one to go shuts it down, so that the program, each demo
// and each test hold one for as long as any component lives.
class ShellScope {
public:
    ShellScope();
    ~ShellScope();
    ShellScope(const ShellScope&) = delete;
    ShellScope& operator=(const ShellScope&) = delete;
};

// Owns one identifier list and frees it through the shell allocator exactly once. Counts the
// lists alive, so that tests can see every list freed.
class IDList {
public:
    IDList() noexcept = default;
    explicit IDList(LPITEMIDLIST adopted) noexcept;
    IDList(IDList&& other) noexcept;
    IDList& operator=(IDList&& other) noexcept;
    IDList(const IDList&) = delete;
    IDList& operator=(const IDList&) = delete;
    ~IDList();

    static IDList Copy(LPCITEMIDLIST list);

    LPITEMIDLIST Get() const noexcept { return list_; }
    explicit operator bool() const noexcept { return list_ != nullptr; }
    void Reset(LPITEMIDLIST adopted = nullptr) noexcept;
    // For calls that hand a new list back through a pointer: the list is adopted once the call
    // (the full expression) is over.
    class Receiver {
    public:
        explicit Receiver(IDList& owner) noexcept : owner_(owner) {}
        ~Receiver() { owner_.Reset(received_); }
        Receiver(const Receiver&) = delete;
        Receiver& operator=(const Receiver&) = delete;
        operator LPITEMIDLIST*() noexcept { return &received_; }

    private:
        IDList& owner_;
        LPITEMIDLIST received_ = nullptr;
    };
    Receiver Receive() noexcept { return Receiver(*this); }
    // Gives ownership away (to a helper that consumes it).
    LPITEMIDLIST Release() noexcept;

    static long LiveCount() noexcept;

private:
    LPITEMIDLIST list_ = nullptr;
};

}  // namespace morvane
