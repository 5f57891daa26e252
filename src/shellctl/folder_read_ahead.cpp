#include "shellctl/folder_read_ahead.h"

#include <atomic>

#include "shellctl/com_ptr.h"
#include "shellctl/shell_folder.h"

namespace morvane {

// The folder is set before the thread starts; the rest is written by the thread only, and read
// by the caller only once the thread has ended.
struct FolderReadAhead::Reading {
    IDList Folder;  // absolute
    SHCONTF Flags = 0;
    bool Readable = false;
    std::vector<IDList> Items;
    std::atomic<bool> Cancelled{false};  // set by the caller: the thread stops between items
};

namespace {

// A folder on a fixed drive reached through no link: every part of its path is a plain folder of
// that drive (a junction or a symbolic link may lead to another drive or onto the network).
bool IsLocalFolder(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
    for (size_t end = path.find(L'\\', 3); ; end = path.find(L'\\', end + 1)) {
        const std::wstring part = path.substr(0, end);
        if (part.size() > 3) {
            const DWORD attributes = GetFileAttributesW(part.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
                (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                return false;
        }
        if (end == std::wstring::npos) return true;
    }
}

}  // namespace

FolderReadAhead::FolderReadAhead(const std::wstring& path, SHCONTF flags) {
    if (path.size() >= kMaxShellName || !IsLocalFolder(path) || !DesktopFolder()) return;
    auto reading = std::make_unique<Reading>();
    std::wstring text = path;  // ParseDisplayName takes a writable string
    if (FAILED(DesktopFolder()->ParseDisplayName(nullptr, nullptr, text.data(), nullptr, reading->Folder.Receive(),
                                                 nullptr)))
        return;
    if (!reading->Folder) return;
    reading->Flags = flags;
    thread_ = CreateThread(nullptr, 0, &FolderReadAhead::Read, reading.get(), 0, nullptr);
    if (thread_) reading_ = std::move(reading);
}

FolderReadAhead::~FolderReadAhead() { Drop(); }

void FolderReadAhead::Drop() {
    if (reading_) reading_->Cancelled = true;
    Wait();
    reading_.reset();
}

void FolderReadAhead::Wait() {
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

bool FolderReadAhead::Holds(LPCITEMIDLIST folder, SHCONTF flags) const {
    // The folder and flags were set before the thread began; what it read only once it has ended.
    return reading_ && (!thread_ || WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) && reading_->Readable &&
           folder && flags == reading_->Flags && DesktopFolder() &&
           CompareIDLists(DesktopFolder(), folder, reading_->Folder.Get()) == 0;
}

DWORD WINAPI FolderReadAhead::Read(void* toRead) {
    Reading& reading = *static_cast<Reading*>(toRead);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 0;
    try {
        ComPtr<IShellFolder> desktop;
        ComPtr<IShellFolder> folder;
        if (SUCCEEDED(SHGetDesktopFolder(desktop.Receive())) && desktop &&
            SUCCEEDED(desktop->BindToObject(reading.Folder.Get(), nullptr, IID_IShellFolder, folder.ReceiveVoid())) &&
            folder) {
            const FolderContents contents = EnumerateItems(folder.Get(), nullptr, reading.Flags);
            for (IDList id = contents.Next(); id && !reading.Cancelled; id = contents.Next())
                reading.Items.push_back(std::move(id));
            reading.Readable = contents.Readable && !reading.Cancelled;
        }
    } catch (...) {
        // Out of memory: the list reads the folder itself.
        reading.Readable = false;
        reading.Items.clear();
    }
    CoUninitialize();
    return 0;
}

std::optional<std::vector<IDList>> FolderReadAhead::Take(LPCITEMIDLIST folder, SHCONTF flags) {
    // Another folder is seen at once: the reading is not waited for.
    if (!reading_ || !folder || flags != reading_->Flags || !DesktopFolder() ||
        CompareIDLists(DesktopFolder(), folder, reading_->Folder.Get()) != 0) {
        Drop();
        return std::nullopt;
    }
    Wait();
    const std::unique_ptr<Reading> reading = std::move(reading_);
    if (!reading->Readable) return std::nullopt;
    return std::move(reading->Items);
}

}  // namespace morvane
