#include "shellctl/idlist.h"

#include <atomic>
#include <cstring>

#include "shellctl/com_ptr.h"

namespace morvane {

namespace {

IMalloc* sharedMalloc = nullptr;
IShellFolder* sharedDesktop = nullptr;
int scopes = 0;
std::atomic<long> liveLists{0};

USHORT SizeOfID(LPCITEMIDLIST id) {
    USHORT size;
    std::memcpy(&size, id, sizeof size);  // identifiers carry no alignment promise
    return size;
}

// Bytes of the identifiers of a list, the terminator not included.
UINT BytesBeforeTerminator(LPCITEMIDLIST list) {
    const UINT size = GetIDListSize(list);
    return size >= 2 ? size - 2 : 0;
}

LPITEMIDLIST CopyBytes(LPCITEMIDLIST list, UINT bytes) {
    auto* copy = static_cast<LPITEMIDLIST>(ShellAlloc(bytes + 2));
    if (copy && bytes) std::memcpy(copy, list, bytes);
    return copy;  // the zero fill is the terminator
}

// Text of the system code page, as the shell's ANSI name kinds hold it.
std::wstring FromSystemCodePage(const char* text, int length) {
    if (length <= 0) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) MultiByteToWideChar(CP_ACP, 0, text, length, result.data(), size);
    return result;
}

}  // namespace

void* ShellAlloc(std::size_t bytes) {
    void* memory = sharedMalloc ? sharedMalloc->Alloc(bytes) : CoTaskMemAlloc(bytes);
    if (memory) std::memset(memory, 0, bytes);
    return memory;
}

void ShellFree(void* memory) {
    if (!memory) return;
    if (sharedMalloc)
        sharedMalloc->Free(memory);
    else
        CoTaskMemFree(memory);
}

LPITEMIDLIST NextID(LPCITEMIDLIST id) {
    return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(id)) + SizeOfID(id));
}

LPITEMIDLIST NextIDOrNil(LPCITEMIDLIST id) {
    if (!id || SizeOfID(id) == 0) return nullptr;
    LPITEMIDLIST next = NextID(id);
    return SizeOfID(next) == 0 ? nullptr : next;
}

UINT GetIDListSize(LPCITEMIDLIST list) {
    if (!list) return 0;
    UINT size = 2;
    for (LPCITEMIDLIST id = list; SizeOfID(id) != 0; id = NextID(id)) size += SizeOfID(id);
    return size;
}

LPITEMIDLIST CopyFirstID(LPCITEMIDLIST list) {
    if (!list) return nullptr;
    return CopyBytes(list, SizeOfID(list));
}

LPITEMIDLIST ConcatIDLists(LPCITEMIDLIST first, LPCITEMIDLIST second) {
    const UINT a = BytesBeforeTerminator(first);
    const UINT b = GetIDListSize(second);
    auto* result = static_cast<BYTE*>(ShellAlloc(a + b + 2));
    if (!result) return nullptr;
    if (a) std::memcpy(result, first, a);
    if (b) std::memcpy(result + a, second, b);
    return reinterpret_cast<LPITEMIDLIST>(result);  // the zero fill ends it when b is 0
}

LPITEMIDLIST ConcatIDListsFree(LPITEMIDLIST first, LPITEMIDLIST second) {
    LPITEMIDLIST result = ConcatIDLists(first, second);
    ShellFree(first);
    ShellFree(second);
    return result;
}

LPITEMIDLIST ParentIDList(LPCITEMIDLIST list) {
    if (!list || SizeOfID(list) == 0) return nullptr;
    UINT bytes = 0;
    LPCITEMIDLIST id = list;
    for (LPCITEMIDLIST next = NextIDOrNil(id); next; id = next, next = NextIDOrNil(id)) bytes += SizeOfID(id);
    if (bytes == 0) return nullptr;  // one identifier only
    return CopyBytes(list, bytes);
}

LPITEMIDLIST LastIDList(LPCITEMIDLIST list) {
    if (!list) return nullptr;
    LPCITEMIDLIST last = list;
    for (LPCITEMIDLIST next = NextIDOrNil(last); next; next = NextIDOrNil(last)) last = next;
    return CopyFirstID(last);
}

int CompareIDLists(IShellFolder* folder, LPCITEMIDLIST a, LPCITEMIDLIST b) {
    if (!folder) return -1;
    const ComPtr<IShellFolder> held(folder);
    const HRESULT result = held->CompareIDs(0, a, b);
    if (FAILED(result)) return -1;
    return static_cast<short>(HRESULT_CODE(result));
}

bool GetDisplayName(IShellFolder* folder, LPCITEMIDLIST list, DWORD flags, std::wstring& name) {
    name.clear();
    if (!folder) return false;
    const ComPtr<IShellFolder> held(folder);
    STRRET value{};
    if (held->GetDisplayNameOf(list, flags, &value) != S_OK) return false;
    switch (value.uType) {
    case STRRET_WSTR:
        if (value.pOleStr) name = value.pOleStr;
        ShellFree(value.pOleStr);
        return true;
    case STRRET_OFFSET: {
        const char* text = reinterpret_cast<const char*>(list) + value.uOffset;
        name = FromSystemCodePage(text, static_cast<int>(std::strlen(text)));
        return true;
    }
    case STRRET_CSTR:
        name = FromSystemCodePage(value.cStr, static_cast<int>(strnlen(value.cStr, sizeof value.cStr)));
        return true;
    default:
        return false;
    }
}

int GetSysIconIndex(LPCITEMIDLIST absoluteList, UINT flags) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absoluteList), 0, &info, sizeof info, flags | SHGFI_PIDL))
        return 0;
    return info.iIcon;
}

HIMAGELIST SystemImageList(bool smallIcons) {
    // Asked for a folder that need not exist: the current directory may be on a drive that is
    // gone (a shortcut's working folder on an unplugged drive), and asking there would wait on it.
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | (smallIcons ? SHGFI_SMALLICON : 0);
    return reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags));
}

int PlainFolderImage(bool open) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0);
    return SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags) ? info.iIcon : 0;
}

IMalloc* ShellMalloc() { return sharedMalloc; }

IShellFolder* DesktopFolder() { return sharedDesktop; }

ShellScope::ShellScope() {
    if (scopes++ > 0) return;
    OleInitialize(nullptr);
    if (SUCCEEDED(SHGetMalloc(&sharedMalloc)) && sharedMalloc) {
        if (FAILED(SHGetDesktopFolder(&sharedDesktop))) sharedDesktop = nullptr;
    } else {
        sharedMalloc = nullptr;
    }
}

ShellScope::~ShellScope() {
    if (--scopes > 0) return;
    if (sharedDesktop) sharedDesktop->Release();
    if (sharedMalloc) sharedMalloc->Release();
    OleUninitialize();
    sharedDesktop = nullptr;
    sharedMalloc = nullptr;
}

// ---- IDList ----

IDList::IDList(LPITEMIDLIST adopted) noexcept : list_(adopted) {
    if (list_) ++liveLists;
}

IDList::IDList(IDList&& other) noexcept : list_(other.list_) { other.list_ = nullptr; }

IDList& IDList::operator=(IDList&& other) noexcept {
    if (this != &other) {
        Reset();
        list_ = other.list_;
        other.list_ = nullptr;
    }
    return *this;
}

IDList::~IDList() { Reset(); }

IDList IDList::Copy(LPCITEMIDLIST list) {
    return IDList(list ? CopyBytes(list, BytesBeforeTerminator(list)) : nullptr);
}

void IDList::Reset(LPITEMIDLIST adopted) noexcept {
    if (adopted == list_) return;
    if (list_) {
        ShellFree(list_);
        --liveLists;
    }
    list_ = adopted;
    if (list_) ++liveLists;
}

LPITEMIDLIST IDList::Release() noexcept {
    if (list_) --liveLists;
    LPITEMIDLIST list = list_;
    list_ = nullptr;
    return list;
}

long IDList::LiveCount() noexcept { return liveLists; }

}  // namespace morvane
