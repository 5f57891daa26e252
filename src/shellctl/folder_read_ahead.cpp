#include "shellctl/folder_read_ahead.h"

#include "shellctl/com_ptr.h"
#include "shellctl/shell_folder.h"

namespace morvane {

// Written by the thread only, read by the caller only once the thread has ended.
struct FolderReadAhead::Reading {
    std::wstring Path;
    SHCONTF Flags = 0;
    bool Readable = false;
    IDList Folder;  // absolute
    std::vector<IDList> Items;
};

namespace {

bool IsFolderOnFixedDrive(const std::wstring& path) {
    if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    if (GetDriveTypeW(root) != DRIVE_FIXED) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

FolderReadAhead::FolderReadAhead(const std::wstring& path, SHCONTF flags) {
    if (path.size() >= kMaxShellName || !IsFolderOnFixedDrive(path)) return;
    reading_ = std::make_unique<Reading>();
    reading_->Path = path;
    reading_->Flags = flags;
    thread_ = CreateThread(nullptr, 0, &FolderReadAhead::Read, reading_.get(), 0, nullptr);
    if (!thread_) reading_.reset();
}

FolderReadAhead::~FolderReadAhead() { Wait(); }

void FolderReadAhead::Wait() {
    if (!thread_) return;
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

bool FolderReadAhead::Holds(LPCITEMIDLIST folder, SHCONTF flags) const {
    return (!thread_ || WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0) && IsOf(folder, flags);
}

bool FolderReadAhead::IsOf(LPCITEMIDLIST folder, SHCONTF flags) const {
    // Read only once the thread has ended.
    return reading_ && reading_->Readable && folder && flags == reading_->Flags && DesktopFolder() &&
           CompareIDLists(DesktopFolder(), folder, reading_->Folder.Get()) == 0;
}

DWORD WINAPI FolderReadAhead::Read(void* toRead) {
    Reading& reading = *static_cast<Reading*>(toRead);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) return 0;
    {
        ComPtr<IShellFolder> desktop;
        std::wstring path = reading.Path;
        if (SUCCEEDED(SHGetDesktopFolder(desktop.Receive())) && desktop)
            desktop->ParseDisplayName(nullptr, nullptr, path.data(), nullptr, reading.Folder.Receive(), nullptr);
        ComPtr<IShellFolder> folder;
        if (reading.Folder &&
            SUCCEEDED(desktop->BindToObject(reading.Folder.Get(), nullptr, IID_IShellFolder, folder.ReceiveVoid())) &&
            folder) {
            const FolderContents contents = EnumerateItems(folder.Get(), nullptr, reading.Flags);
            reading.Readable = contents.Readable;
            for (IDList id = contents.Next(); id; id = contents.Next()) reading.Items.push_back(std::move(id));
        }
    }
    CoUninitialize();
    return 0;
}

std::optional<std::vector<IDList>> FolderReadAhead::Take(LPCITEMIDLIST folder, SHCONTF flags) {
    Wait();
    const bool usable = IsOf(folder, flags);
    const std::unique_ptr<Reading> reading = std::move(reading_);
    if (!usable) return std::nullopt;
    return std::move(reading->Items);
}

}  // namespace morvane
