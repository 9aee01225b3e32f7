#include "temp_folder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "handles.h"

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found = {};
    const TFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (find) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        } while (::FindNextFileW(find.Get(), &found));
    }
    ::RemoveDirectoryW(folder.c_str());
}

TTempFolder::TTempFolder() {
    static unsigned counter = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base = length > 0 ? std::wstring(temp, length) : std::wstring(L"C:\\");
    if (base.back() != L'\\') base += L'\\';
    fPath = base + L"kestrum-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
    RemoveTree(fPath);
    ::CreateDirectoryW(fPath.c_str(), nullptr);
}

TTempFolder::~TTempFolder() { RemoveTree(fPath); }

std::wstring TTempFolder::MakeFolder(const std::wstring& relative) const {
    std::wstring path = fPath;
    std::size_t start = 0;
    while (start < relative.size()) {
        std::size_t end = relative.find(L'\\', start);
        if (end == std::wstring::npos) end = relative.size();
        if (end > start) {
            path += L"\\" + relative.substr(start, end - start);
            ::CreateDirectoryW(path.c_str(), nullptr);
        }
        start = end + 1;
    }
    return path;
}

TCurrentFolderScope::TCurrentFolderScope(const std::wstring& folder) {
    wchar_t previous[MAX_PATH + 1] = {};
    fPrevious.assign(previous, ::GetCurrentDirectoryW(MAX_PATH + 1, previous));
    EXPECT_TRUE(::SetCurrentDirectoryW(folder.c_str()));
}

TCurrentFolderScope::~TCurrentFolderScope() { ::SetCurrentDirectoryW(fPrevious.c_str()); }
