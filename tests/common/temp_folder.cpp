#include "common/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace morvane::test {

namespace {

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

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
    path_ = std::wstring(temp) + L"morvane-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++) + std::wstring(suffix);
    if (!CreateDirectoryW(path_.c_str(), nullptr))
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

std::vector<std::wstring> TempFolder::Names() const { return NamesInFolder(path_); }

}  // namespace morvane::test
