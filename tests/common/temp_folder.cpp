#include "common/temp_folder.h"

#include <gtest/gtest.h>

#include <winioctl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <vector>

namespace morvane::test {

namespace {

constexpr DWORD kFolderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

bool IsFolderLink(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kFolderLink) == kFolderLink;
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name") != nullptr; }

// Runs one of the host's programs (under Wine, which runs those too) in the folder, then waits until
// the work is seen done: the handle Wine gives for a host's process does not wait for its end.
void RunHostProgram(const wchar_t* program, std::wstring commandLine, const std::wstring& folder,
               const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &process))
        return;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 500 && !done(); ++wait) Sleep(10);
}

// A link goes, what it leads to stays: a junction is removed as a folder, a link of the host's file
// system by the host.
void RemoveLink(const std::wstring& folder, const std::wstring& name) {
    const std::wstring path = folder + L"\\" + name;
    if (RemoveDirectoryW(path.c_str()) || !UnderWine()) return;
    RunHostProgram(L"Z:\\bin\\rm", L"rm \"" + name + L"\"", folder, [&] { return !IsFolderLink(path); });
}

// Whether a path of the folder and the name reaches that entry; otherwise only the host can remove it.
bool ReachableByPath(std::wstring_view name) {
    return name.find_first_of(L"\\/:*?\"<>|") == std::wstring_view::npos && !name.ends_with(L'.') &&
           !name.ends_with(L' ');
}

}  // namespace

void RemoveTree(const std::wstring& folder) {
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..") entries.push_back(found);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    // Links first, while what they lead to is still there to tell them by.
    std::stable_partition(entries.begin(), entries.end(), [](const WIN32_FIND_DATAW& entry) {
        return (entry.dwFileAttributes & kFolderLink) == kFolderLink;
    });
    for (const WIN32_FIND_DATAW& entry : entries) {
        const std::wstring path = folder + L"\\" + entry.cFileName;
        if ((entry.dwFileAttributes & kFolderLink) == kFolderLink) {
            RemoveLink(folder, entry.cFileName);
            continue;
        }
        if (!ReachableByPath(entry.cFileName)) {
            const std::wstring name = entry.cFileName;
            RunHostProgram(L"Z:\\bin\\rm", L"rm -rf \"" + name + L"\"", folder, [&] {
                const std::vector<std::wstring> left = NamesInFolder(folder);
                return std::find(left.begin(), left.end(), name) == left.end();
            });
            continue;
        }
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

std::vector<std::wstring> NamesInFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(missing)";
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write a test file, error " << GetLastError();
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

FileLock::FileLock(const std::wstring& path)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << "cannot lock a test file";
}

void FileLock::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

TempFolder::TempFolder(std::wstring_view suffix) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // A run that was cut short leaves its folders behind, and Wine gives small process numbers
    // again: the next free name is taken.
    for (int attempt = 0;; ++attempt) {
        path_ = std::wstring(temp) + L"morvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++) + std::wstring(suffix);
        if (CreateDirectoryW(path_.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS || attempt == 1000) break;
    }
    ADD_FAILURE() << "cannot create the test folder, error " << GetLastError();
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::wstring TempFolder::PathOf(std::wstring_view name) const {
    return path_ + L"\\" + std::wstring(name);
}

void TempFolder::AddFile(std::wstring_view name, DWORD attributes, std::string_view content) const {
    const std::wstring path = PathOf(name);
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot create a test file, error " << GetLastError();
        return;
    }
    DWORD written = 0;
    if (!content.empty())
        WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    if (attributes != 0 && !SetFileAttributesW(path.c_str(), attributes))
        ADD_FAILURE() << "cannot set attributes of a test file, error " << GetLastError();
}

void TempFolder::AddFolder(std::wstring_view name) const {
    if (!CreateDirectoryW(PathOf(name).c_str(), nullptr))
        ADD_FAILURE() << "cannot create a test subfolder, error " << GetLastError();
}

void TempFolder::AddFolderLink(std::wstring_view name, std::wstring_view target) const {
    const std::wstring link = PathOf(name);
    const std::wstring targetPath = target == L"." ? path_ : PathOf(target);
    if (!CreateDirectoryW(link.c_str(), nullptr)) {
        ADD_FAILURE() << "cannot create the folder of a link, error " << GetLastError();
        return;
    }
    // The junction's reparse data: the target as the object manager names it, then as shown.
    const std::wstring substitute = L"\\??\\" + targetPath;
    const auto substituteBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    const auto printBytes = static_cast<WORD>(targetPath.size() * sizeof(wchar_t));
    const WORD dataLength = static_cast<WORD>(4 * sizeof(WORD) + substituteBytes + printBytes + 2 * sizeof(wchar_t));
    std::vector<BYTE> buffer(8 + dataLength, 0);
    const auto put = [&](size_t offset, const void* data, size_t size) { memcpy(buffer.data() + offset, data, size); };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    const WORD header[6] = {dataLength, 0, 0, substituteBytes, static_cast<WORD>(substituteBytes + sizeof(wchar_t)),
                            printBytes};
    put(0, &tag, sizeof tag);
    put(4, header, sizeof header);
    put(16, substitute.c_str(), substituteBytes);
    put(16 + substituteBytes + sizeof(wchar_t), targetPath.c_str(), printBytes);
    const HANDLE handle = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    const bool junction = handle != INVALID_HANDLE_VALUE &&
                          DeviceIoControl(handle, FSCTL_SET_REPARSE_POINT, buffer.data(),
                                          static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);

    if (!junction && UnderWine()) {
        // Wine cannot make a junction; ln, in this folder, links the name to the target.
        RemoveDirectoryW(link.c_str());
        RunHostProgram(L"Z:\\bin\\ln", L"ln -s \"" + std::wstring(target) + L"\" \"" + std::wstring(name) + L"\"",
                       path_, [&] { return IsFolderLink(link); });
    }
    if (!IsFolderLink(link)) ADD_FAILURE() << "cannot make a link to a folder";
}

bool TempFolder::RunOnHost(std::wstring_view command, const std::function<bool()>& done) const {
    if (!UnderWine()) return false;
    RunHostProgram(L"Z:\\bin\\sh", L"sh -c \"" + std::wstring(command) + L"\"", path_, done);
    return done();
}

bool TempFolder::AddHostFile(std::wstring_view name) const {
    const std::wstring wanted(name);
    const bool made = RunOnHost(L"touch '" + wanted + L"'", [&] {
        const std::vector<std::wstring> names = Names();
        return std::find(names.begin(), names.end(), wanted) != names.end();
    });
    if (UnderWine() && !made) ADD_FAILURE() << "the host made no file of the name";
    return made;
}

std::vector<std::wstring> TempFolder::Names() const { return NamesInFolder(path_); }

}  // namespace morvane::test
